// Loading image files (every bitmap variant Qt reads, and any other format it reads, such as
// PNG) into a QImage for the view and into a codec grid.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <span>

#include "codec/Grid.h"
#include "imagefile/ImageFileStatus.h"
#include "imagefile/ImageLimits.h"

namespace tq1 {

// Reads `path` through QImageReader, deciding the format from the contents, not the name.
// The size in the header is checked against `limits` before decoding. On success the image is
// in Format_RGB32: a file with transparency keeps the colour channels exactly as Qt's
// conversion to RGB32 gives them (the stored colour of a straight-alpha image, with the alpha
// simply dropped, never blended onto a background). On failure the image is null and the
// status says whether the file is missing, unreadable, of an unknown kind, damaged or too big.
[[nodiscard]] ImageFileResult<QImage> loadImageFile(const QString& path,
                                                    const ImageLimits& limits = {});

// The same for a file's contents held in memory (what came in on standard input); `name`
// stands for the source in messages.
[[nodiscard]] ImageFileResult<Grid> loadGridData(std::span<const std::uint8_t> bytes,
                                                 const QString& name,
                                                 const ImageLimits& limits = {});

// loadImageFile followed by a copy of the whole image into a grid.
[[nodiscard]] ImageFileResult<Grid> loadGridFile(const QString& path,
                                                 const ImageLimits& limits = {});

}  // namespace tq1
