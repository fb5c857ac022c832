// Reads uncompressed 24-bit bitmaps (either row order) straight into a grid.
#include "imagefile/PlainBitmapReader.h"

#include <new>
#include <string>

namespace tq1 {

namespace {

std::uint32_t get16(const std::uint8_t* at) { return at[0] | (std::uint32_t{at[1]} << 8); }
std::uint32_t get32(const std::uint8_t* at) { return get16(at) | (get16(at + 2) << 16); }

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
  const auto width = static_cast<std::int32_t>(get32(info + 4));
  const auto height = static_cast<std::int32_t>(get32(info + 8));
  const bool handled = get32(info) == 40 && get16(info + 12) == 1 && get16(info + 14) == 24 &&
                       get32(info + 16) == 0 && width > 0 && height != 0 &&
                       height != INT32_MIN;
  if (!handled) return std::nullopt;
  PlainHeader header;
  header.width = static_cast<std::uint32_t>(width);
  header.topDown = height < 0;
  header.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
  header.pixelOffset = get32(bytes.data() + 10);
  header.rowBytes = (3 * std::uint64_t{header.width} + 3) / 4 * 4;
  if (header.pixelOffset < kHeaders) return std::nullopt;
  const std::uint64_t end = header.pixelOffset + header.rowBytes * header.height;
  if (end > bytes.size()) return std::nullopt;  // cut short: the general loader decides
  return header;
}

}  // namespace

std::optional<ImageFileResult<Grid>> readPlainBitmap(std::span<const std::uint8_t> bytes,
                                                     const ImageLimits& limits) {
  const std::optional<PlainHeader> header = parseHeader(bytes);
  if (!header) return std::nullopt;
  ImageFileResult<Grid> result;
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
  for (std::uint32_t fileRow = 0; fileRow < header->height; ++fileRow) {
    const std::uint32_t y = header->topDown ? fileRow : header->height - 1 - fileRow;
    const std::uint8_t* pixel = bytes.data() + header->pixelOffset + fileRow * header->rowBytes;
    for (std::uint32_t x = 0; x < header->width; ++x, pixel += 3) {
      result.value.at(x, y) = rgbColour(pixel[2], pixel[1], pixel[0]);
    }
  }
  return result;
}

}  // namespace tq1
