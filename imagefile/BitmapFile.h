// The one bitmap variant the program writes: uncompressed 24-bit, bottom-up rows, a 14-byte
// file header and a 40-byte information header, no colour table, all fields little-endian.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "codec/Grid.h"
#include "imagefile/ImageFileStatus.h"

namespace tq1 {

inline constexpr std::uint32_t kBitmapHeaderBytes = 54;

// Sizes of the file for one image. Each row holds 3 bytes per pixel (blue, green, red) and
// zero padding up to a multiple of 4 bytes.
struct BitmapLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t rowBytes = 0;    // 3 x width + padding
  std::uint32_t imageBytes = 0;  // rowBytes x height
  std::uint32_t fileBytes = 0;   // kBitmapHeaderBytes + imageBytes
};

// The layout of a width x height file, or nothing when a side is 0 or the file size would not
// fit its 32-bit header field.
[[nodiscard]] std::optional<BitmapLayout> bitmapLayout(std::uint64_t width,
                                                       std::uint64_t height) noexcept;

// The complete file, byte for byte. Cell (x, y) / pixel (x, y) is stored in the row
// height - 1 - y, so the image's top row is the last row of the file.
[[nodiscard]] ImageFileResult<std::vector<std::uint8_t>> encodeBitmap(const Grid& grid);
[[nodiscard]] ImageFileResult<std::vector<std::uint8_t>> encodeBitmap(const QImage& image);

// encodeBitmap, then the bytes go to a temporary file beside `path` that replaces it only once
// complete: on any failure nothing is created and an existing file is left as it was. An
// existing file is replaced without asking; asking is the caller's business.
[[nodiscard]] ImageFileStatus writeBitmapFile(const QString& path, const Grid& grid);
[[nodiscard]] ImageFileStatus writeBitmapFile(const QString& path, const QImage& image);

}  // namespace tq1
