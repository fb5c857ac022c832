// Thumbnails of .tq1 files for file managers: the decoded image scaled down to fit a square.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "imagefile/ImageFileStatus.h"

namespace tq1 {

// The size an image of `imageSize` is shown at inside a `maxSide` square: the aspect ratio
// kept, each side at least one pixel, never enlarged.
[[nodiscard]] QSize thumbnailSize(QSize imageSize, int maxSide) noexcept;

// Decodes the .tq1 file at `path` and shrinks it to thumbnailSize, each pixel the mean of the
// cells it covers.
[[nodiscard]] ImageFileResult<QImage> makeThumbnail(const QString& path, int maxSide);

// Writes `image` as a PNG file through a temporary file, so that a failure leaves nothing at
// `path`.
[[nodiscard]] ImageFileStatus savePng(const QImage& image, const QString& path);

}  // namespace tq1
