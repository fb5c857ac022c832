// Reads uncompressed 24-bit bitmaps (either row order) straight into a grid.
#include "imagefile/PlainBitmapReader.h"

#include <algorithm>
#include <new>
#include <string>

#include "imagefile/BitmapCheck.h"
#include "imagefile/LittleEndian.h"

namespace tq1 {

namespace {

struct PlainHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool topDown = false;
  std::uint64_t pixelOffset = 0;
  std::uint64_t rowBytes = 0;
};

std::optional<PlainHeader> parseHeader(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHeaders = 54;
  if (bytes.size() < kHeaders || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint8_t* info = bytes.data() + 14;
  const auto width = static_cast<std::int32_t>(readLe32(info + 4));
  const auto height = static_cast<std::int32_t>(readLe32(info + 8));
  const bool handled = readLe32(info) == 40 && readLe16(info + 12) == 1 &&
                       readLe16(info + 14) == 24 && readLe32(info + 16) == 0 && width > 0 &&
                       height != 0 && height != INT32_MIN;
  if (!handled) return std::nullopt;
  PlainHeader header;
  header.width = static_cast<std::uint32_t>(width);
  header.topDown = height < 0;
  header.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
  header.pixelOffset = readLe32(bytes.data() + 10);
  header.rowBytes = (3 * std::uint64_t{header.width} + 3) / 4 * 4;
  if (header.pixelOffset < kHeaders) return std::nullopt;
  const std::uint64_t end = header.pixelOffset + header.rowBytes * header.height;
  // Cut rows were refused by the check; what is short here is an image beyond the limits or a
  // last row without its padding, both the general loader's to judge.
  if (end > bytes.size()) return std::nullopt;
  return header;
}

// 16 cells of a grid column fill one 64-byte cache line.
constexpr std::uint32_t kBandRows = 16;

// The file's pixel rows into the column-ordered grid, a band of rows at a time, so that each
// grid column is written a cache line at a time instead of one cell per row.
void copyPixels(std::span<const std::uint8_t> bytes, const PlainHeader& header, Grid& grid) {
  const std::uint8_t* rows[kBandRows];
  for (std::uint32_t y0 = 0; y0 < header.height; y0 += kBandRows) {
    const std::uint32_t count = std::min(kBandRows, header.height - y0);
    for (std::uint32_t r = 0; r < count; ++r) {
      const std::uint32_t y = y0 + r;
      const std::uint64_t fileRow = header.topDown ? y : header.height - 1 - y;
      rows[r] = bytes.data() + header.pixelOffset + fileRow * header.rowBytes;
    }
    for (std::uint32_t x = 0; x < header.width; ++x) {
      PackedColour* cells = grid.column(x).data() + y0;
      const std::size_t at = 3 * std::size_t{x};
      for (std::uint32_t r = 0; r < count; ++r) {
        cells[r] = rgbColour(rows[r][at + 2], rows[r][at + 1], rows[r][at]);
      }
    }
  }
}

}  // namespace

std::optional<ImageFileResult<Grid>> readPlainBitmap(std::span<const std::uint8_t> bytes,
                                                     const ImageLimits& limits) {
  ImageFileResult<Grid> result;
  result.status = checkBitmapStructure(bytes, limits);
  if (!result.ok()) return result;
  const std::optional<PlainHeader> header = parseHeader(bytes);
  if (!header) return std::nullopt;
  if (!limits.fits(header->width, header->height)) {
    result.status = ImageFileStatus::failure(
        ImageFileError::ImageTooLarge, "a " + std::to_string(header->width) + " x " +
                                           std::to_string(header->height) +
                                           " image is larger than the program accepts");
    return result;
  }
  try {
    result.value = Grid(header->width, header->height);
  } catch (const std::bad_alloc&) {
    result.status = ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                             "not enough memory for the image");
    return result;
  }
  copyPixels(bytes, *header, result.value);
  return result;
}

}  // namespace tq1
