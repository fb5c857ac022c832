// The one bitmap variant the program writes: uncompressed 24-bit, bottom-up rows, a 14-byte
// file header and a 40-byte information header, no colour table, all fields little-endian.
// Free of Qt, so that the command line can write bitmaps without loading it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "codec/Codec.h"
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

// The same file handed to `sink` a band of rows at a time, so that no copy of the whole file
// is made; `layout` must be bitmapLayout(grid.width(), grid.height()). False when the sink
// refused a piece.
[[nodiscard]] bool streamBitmap(const Grid& grid, const BitmapLayout& layout, const ByteSink& sink);

namespace detail {

// A zero-filled file of the layout's size with both headers in place.
[[nodiscard]] ImageFileResult<std::vector<std::uint8_t>> startBitmapFile(const BitmapLayout& layout);
// The first byte of the file row that holds image row y (the top row is stored last).
[[nodiscard]] std::uint8_t* bitmapRow(std::vector<std::uint8_t>& file, const BitmapLayout& layout,
                                      std::uint32_t y);
// The error for an image that has no bitmap layout.
[[nodiscard]] ImageFileResult<std::vector<std::uint8_t>> noBitmapLayout(std::uint64_t width,
                                                                       std::uint64_t height);

// The bytes of a pixel in file order: blue, green, red.
inline void putBitmapPixel(std::uint8_t* at, PackedColour colour) noexcept {
  at[0] = channelOf(colour, 2);
  at[1] = channelOf(colour, 1);
  at[2] = channelOf(colour, 0);
}

}  // namespace detail

}  // namespace tq1
