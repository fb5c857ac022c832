// Encodes grids as uncompressed 24-bit bottom-up bitmap files.
#include "imagefile/BitmapEncoding.h"

#include "imagefile/BitmapRows.h"

#include <algorithm>
#include <new>
#include <span>
#include <string>

namespace tq1 {
namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
static_assert(kFileHeaderBytes + kInfoHeaderBytes == kBitmapHeaderBytes);

using Bytes = std::vector<std::uint8_t>;

ImageFileResult<Bytes> failed(ImageFileError error, std::string message) {
  return {{}, ImageFileStatus::failure(error, std::move(message))};
}

void put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  put16(at, value & 0xffffu);
  put16(at + 2, value >> 16);
}

// Fields left out stay 0: reserved words, compression (BI_RGB), resolution, colours used and
// important colours.
void putHeaders(std::uint8_t* file, const BitmapLayout& layout) {
  file[0] = 'B';
  file[1] = 'M';
  put32(file + 2, layout.fileBytes);
  put32(file + 10, kBitmapHeaderBytes);  // offset of the pixel rows
  std::uint8_t* info = file + kFileHeaderBytes;
  put32(info + 0, kInfoHeaderBytes);
  put32(info + 4, layout.width);
  put32(info + 8, layout.height);  // positive: rows are stored bottom-up
  put16(info + 12, 1);             // planes
  put16(info + 14, 24);            // bits per pixel
  put32(info + 20, layout.imageBytes);
}

}  // namespace

namespace detail {

std::uint8_t* bitmapRow(Bytes& file, const BitmapLayout& layout, std::uint32_t y) {
  return file.data() + kBitmapHeaderBytes +
         std::size_t{layout.height - 1 - y} * layout.rowBytes;
}

ImageFileResult<Bytes> startBitmapFile(const BitmapLayout& layout) {
  try {
    Bytes file(layout.fileBytes, 0);
    putHeaders(file.data(), layout);
    return {std::move(file), ImageFileStatus::success()};
  } catch (const std::bad_alloc&) {
    return failed(ImageFileError::OutOfMemory,
                  "not enough memory for a bitmap of " + std::to_string(layout.fileBytes) +
                      " bytes");
  }
}

ImageFileResult<Bytes> noBitmapLayout(std::uint64_t width, std::uint64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width == 0 || height == 0) {
    return failed(ImageFileError::EmptyImage, "a " + size + " image has no pixels to write");
  }
  return failed(ImageFileError::ImageTooLarge,
                "a " + size + " image does not fit a bitmap file (4 GiB at most)");
}

}  // namespace detail

std::optional<BitmapLayout> bitmapLayout(std::uint64_t width, std::uint64_t height) noexcept {
  constexpr std::uint64_t kMaxFileBytes = UINT32_MAX;
  if (width == 0 || height == 0) return std::nullopt;
  if (width > (kMaxFileBytes - kBitmapHeaderBytes) / 3) return std::nullopt;
  const std::uint64_t rowBytes = (3 * width + 3) / 4 * 4;
  if (height > (kMaxFileBytes - kBitmapHeaderBytes) / rowBytes) return std::nullopt;
  const std::uint64_t imageBytes = rowBytes * height;
  return BitmapLayout{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                      static_cast<std::uint32_t>(rowBytes), static_cast<std::uint32_t>(imageBytes),
                      static_cast<std::uint32_t>(imageBytes + kBitmapHeaderBytes)};
}

namespace {

// Calls band(y0, count) for the bands of rows in file order, bottom band first.
template <typename Band>
bool forEachBand(const BitmapLayout& layout, Band band) {
  for (std::uint32_t end = layout.height; end > 0;) {
    const std::uint32_t count = std::min(kBitmapBandRows, end);
    end -= count;
    if (!band(end, count)) return false;
  }
  return true;
}

}  // namespace

ImageFileResult<Bytes> encodeBitmap(const Grid& grid) {
  const auto layout = bitmapLayout(grid.width(), grid.height());
  if (!layout) return detail::noBitmapLayout(grid.width(), grid.height());
  ImageFileResult<Bytes> result = detail::startBitmapFile(*layout);
  if (!result.ok()) return result;
  forEachBand(*layout, [&](std::uint32_t y0, std::uint32_t count) {
    // The rows' padding is zeroed in the file as started.
    fillBitmapBand(grid, layout->rowBytes, y0, count,
                   detail::bitmapRow(result.value, *layout, y0 + count - 1));
    return true;
  });
  return result;
}

bool streamBitmap(const Grid& grid, const BitmapLayout& layout, const ByteSink& sink) {
  std::uint8_t header[kBitmapHeaderBytes] = {};
  putHeaders(header, layout);
  if (!sink(header)) return false;
  std::vector<std::uint8_t> band(std::size_t{kBitmapBandRows} * layout.rowBytes, 0);
  return forEachBand(layout, [&](std::uint32_t y0, std::uint32_t count) {
    fillBitmapBand(grid, layout.rowBytes, y0, count, band.data());
    return sink(std::span<const std::uint8_t>(band.data(), std::size_t{count} * layout.rowBytes));
  });
}

}  // namespace tq1
