// Writing bitmap files from grids and images: the bytes come from the encoders, the file goes
// through a temporary file and a rename.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "codec/Grid.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/ImageFileStatus.h"

namespace tq1 {

// The file bytes of an image in any format, converted to RGB32 colours first.
[[nodiscard]] ImageFileResult<std::vector<std::uint8_t>> encodeBitmap(const QImage& image);

// encodeBitmap, then the bytes go to a temporary file beside `path` that replaces it only once
// complete: on any failure nothing is created and an existing file is left as it was. An
// existing file is replaced without asking; asking is the caller's business.
[[nodiscard]] ImageFileStatus writeBitmapFile(const QString& path, const Grid& grid);
[[nodiscard]] ImageFileStatus writeBitmapFile(const QString& path, const QImage& image);

}  // namespace tq1
