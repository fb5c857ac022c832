// Fuzz entry: arbitrary bytes through the Qt-free reader of plain 24-bit bitmaps and the
// structural check it makes of every bitmap.
#include "fuzz/FuzzEntries.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1::fuzz {

std::string loadPlainBitmap(std::span<const std::uint8_t> data) {
  const ImageLimits limits{2048, std::uint64_t{1} << 22};
  const auto result = readPlainBitmap(data, limits);
  if (!result) return {};
  if (!result->ok()) {
    if (result->status.message().empty()) return "a failure without a message";
    if (!result->value.empty()) return "a refused bitmap came with pixels";
    const ImageFileError error = result->status.error();
    if (!isBitmapDamage(error) && error != ImageFileError::ImageTooLarge &&
        error != ImageFileError::OutOfMemory) {
      return "a bitmap refused for no cause the reader has";
    }
    return {};
  }
  const Grid& grid = result->value;
  if (grid.empty()) return "an accepted bitmap has no pixels";
  if (!limits.fits(grid.width(), grid.height())) return "a bitmap beyond the limits was read";
  // Every pixel comes from the file, so the pixel rows must fit in it.
  if (std::uint64_t{grid.width()} * 3 * grid.height() > data.size()) {
    return "more pixels than the file holds bytes for";
  }
  for (const PackedColour cell : grid.cells()) {
    if ((cell >> 24) != 0) return "a cell with a non-zero fourth channel";
  }
  return {};
}

}  // namespace tq1::fuzz
