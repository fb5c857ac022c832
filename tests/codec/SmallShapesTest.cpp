// The combined block test for shapes of up to 4 x 4 cells against one block test per shape,
// and the choice of the largest shape against a search of the mask.
#include <gtest/gtest.h>

#include <random>

#include "codec/BlockRange.h"
#include "codec/SmallShapes.h"

namespace tq1 {
namespace {

// Cells near one colour, some covered; columns of 6 cells so that reads past the wanted rows
// stay inside.
std::vector<PackedColour> randomNeighbourhood(std::mt19937& random, unsigned spread) {
  std::vector<PackedColour> cells(4 * 6);
  const PackedColour base = random() & 0x00FFFFFFu;
  for (PackedColour& cell : cells) {
    if (random() % 12 == 0) {
      cell = EmptyCell;
      continue;
    }
    Channels c = unpackColour(base);
    for (unsigned k = 0; k < 3; ++k) {
      c[k] = static_cast<std::uint8_t>(std::min<unsigned>(255, c[k] + random() % (spread + 1)));
    }
    cell = packColour(c);
  }
  cells[0] = base;  // the anchor is never covered
  return cells;
}

TEST(SmallShapes, EachShapePassesExactlyWhenItsBlockIsUniform) {
  std::mt19937 random(5);
  for (int round = 0; round < 20000; ++round) {
    const unsigned spread = random() % 4 == 0 ? random() % 256 : random() % 24;
    const unsigned tolerance = random() % 3 == 0 ? random() % 256 : random() % 24;
    const unsigned columns = 1 + random() % 4;
    const unsigned rows = 1 + random() % 4;
    const std::vector<PackedColour> cells = randomNeighbourhood(random, spread);
    const unsigned mask = uniformSmallShapes(cells.data(), 6, columns, rows, tolerance);
    for (unsigned a = 0; a <= 2; ++a) {
      for (unsigned b = 0; b <= 2; ++b) {
        bool expected = (1u << a) <= columns && (1u << b) <= rows;
        if (expected) {
          ChannelRange range(cells[0]);
          for (unsigned c = 0; c < (1u << a); ++c) {
            for (unsigned r = 0; r < (1u << b); ++r) range.add(cells[c * 6 + r]);
          }
          expected = range.uniform(tolerance);
        }
        ASSERT_EQ(((mask >> smallShapeBit(a, b)) & 1) != 0, expected)
            << "round " << round << ", shape " << a << "," << b << ", tolerance " << tolerance;
      }
    }
    // Only shapes of the nine have bits.
    ASSERT_EQ(mask & ~0x777u, 0u);
  }
}

TEST(SmallShapes, LargestShapeHasTheGreatestAreaThenTheSmallestWidth) {
  const auto bits = [](std::initializer_list<std::pair<unsigned, unsigned>> shapes) {
    unsigned mask = 0;
    for (const auto& [a, b] : shapes) mask |= 1u << smallShapeBit(a, b);
    return mask;
  };
  EXPECT_EQ(largestSmallShape(bits({{0, 0}})), 0x00u);
  EXPECT_EQ(largestSmallShape(bits({{0, 0}, {1, 0}})), 0x01u);
  EXPECT_EQ(largestSmallShape(bits({{0, 0}, {0, 1}, {1, 0}})), 0x10u);
  EXPECT_EQ(largestSmallShape(bits({{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}})), 0x11u);
  EXPECT_EQ(largestSmallShape(bits({{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}})), 0x20u);
  EXPECT_EQ(largestSmallShape(bits({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 1}, {1, 2},
                                    {0, 1}, {0, 2}})),
            0x22u);
}

}  // namespace
}  // namespace tq1
