// The bitmap writer's rows, checked byte by byte against the cells they come from: every
// width around the four-column squares and the junk bytes after them, band heights that are
// and are not multiples of four, and cells whose fourth channel is set.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imagefile/BitmapEncoding.h"
#include "imagefile/BitmapRows.h"

namespace tq1 {
namespace {

Grid noisyGrid(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  std::mt19937 random(seed);
  Grid grid(width, height);
  for (PackedColour& cell : grid.cells()) cell = random();  // the fourth channel too
  return grid;
}

// The pixel bytes and padding of a whole file, as the file layout defines them.
void expectFileHolds(const std::vector<std::uint8_t>& file, const Grid& grid) {
  const BitmapLayout layout = *bitmapLayout(grid.width(), grid.height());
  ASSERT_EQ(file.size(), layout.fileBytes);
  for (std::uint32_t y = 0; y < grid.height(); ++y) {
    const std::size_t row = kBitmapHeaderBytes + std::size_t{grid.height() - 1 - y} * layout.rowBytes;
    for (std::uint32_t x = 0; x < grid.width(); ++x) {
      const PackedColour cell = grid.at(x, y);
      const std::size_t at = row + 3 * std::size_t{x};
      ASSERT_EQ(file[at], channelOf(cell, 2)) << grid.width() << " x " << grid.height() << " at " << x << "," << y;
      ASSERT_EQ(file[at + 1], channelOf(cell, 1)) << x << "," << y;
      ASSERT_EQ(file[at + 2], channelOf(cell, 0)) << x << "," << y;
    }
    for (std::size_t pad = 3 * std::size_t{grid.width()}; pad < layout.rowBytes; ++pad) {
      ASSERT_EQ(file[row + pad], 0) << "padding of row " << y << " in a " << grid.width() << " wide file";
    }
  }
}

TEST(BitmapRows, EveryPixelAndPaddingByteForWidthsAndBandsOfEveryShape) {
  for (const std::uint32_t height : {1u, 3u, 4u, 16u, 20u, 37u}) {
    for (std::uint32_t width = 1; width <= 24; ++width) {
      const Grid grid = noisyGrid(width, height, width * 1000 + height);
      const auto file = encodeBitmap(grid);
      ASSERT_TRUE(file.ok());
      expectFileHolds(file.value, grid);
      std::vector<std::uint8_t> streamed;
      ASSERT_TRUE(streamBitmap(grid, *bitmapLayout(width, height), [&](std::span<const std::uint8_t> piece) {
        streamed.insert(streamed.end(), piece.begin(), piece.end());
        return true;
      }));
      EXPECT_EQ(streamed, file.value) << width << " x " << height;
    }
  }
}

// A band leaves the bytes after each row's pixels as they were, and writes nothing past its
// last row.
TEST(BitmapRows, ABandWritesOnlyItsRowsPixelBytes) {
  const Grid grid = noisyGrid(13, 16, 7);
  const std::uint32_t rowBytes = 3 * 13 + 5;
  std::vector<std::uint8_t> out(std::size_t{rowBytes} * 17, 0xA5);
  fillBitmapBand(grid, rowBytes, 0, 16, out.data());
  for (std::uint32_t r = 0; r < 16; ++r) {
    for (std::uint32_t k = 3 * 13; k < rowBytes; ++k) EXPECT_EQ(out[r * rowBytes + k], 0xA5) << r;
    // File order: the band's first row is its bottom image row.
    EXPECT_EQ(out[r * rowBytes], channelOf(grid.at(0, 15 - r), 2)) << r;
  }
  for (std::uint32_t k = 0; k < rowBytes; ++k) EXPECT_EQ(out[16 * rowBytes + k], 0xA5);
}

}  // namespace
}  // namespace tq1
