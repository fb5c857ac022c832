// Large buffers: zeroed when asked on both sides of the size where they are mapped instead of
// taken from the heap, independent copies, moves that leave nothing behind, and grids on top.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "codec/Grid.h"
#include "codec/LargeBuffer.h"

namespace tq1 {
namespace {

// Sizes below, at and above a mapping of its own, and one that is no multiple of a huge page.
constexpr std::size_t kSizes[] = {1, 1000, (std::size_t{1} << 23) - 1, std::size_t{1} << 23,
                                  (std::size_t{17} << 19) + 7};

TEST(LargeArray, ZeroedCopiedAndMovedAtEverySize) {
  for (const std::size_t size : kSizes) {
    LargeArray<std::uint32_t> array(size);
    ASSERT_EQ(array.size(), size);
    EXPECT_TRUE(std::all_of(array.begin(), array.end(), [](std::uint32_t v) { return v == 0; }))
        << size;
    // Every element is writable, the last one too.
    for (std::size_t i = 0; i < size; ++i) array[i] = static_cast<std::uint32_t>(i * 7 + 1);
    LargeArray<std::uint32_t> copy = array;
    EXPECT_EQ(copy, array);
    copy[size - 1] ^= 1;
    EXPECT_FALSE(copy == array) << "a copy shares its elements, size " << size;
    EXPECT_EQ(array[size - 1], static_cast<std::uint32_t>((size - 1) * 7 + 1));

    LargeArray<std::uint32_t> moved = std::move(array);
    EXPECT_TRUE(array.empty());  // NOLINT(bugprone-use-after-move): moving empties
    EXPECT_EQ(moved.size(), size);
    EXPECT_EQ(moved[0], 1u);
    copy = std::move(moved);
    EXPECT_EQ(copy[0], 1u);
    copy = copy;  // NOLINT(misc-redundant-expression): assigning to itself keeps the elements
    EXPECT_EQ(copy[size - 1], static_cast<std::uint32_t>((size - 1) * 7 + 1));
  }
}

TEST(LargeArray, ReusedMemoryIsZeroedAgainWhenAsked) {
  for (const std::size_t size : kSizes) {
    for (int round = 0; round < 3; ++round) {
      LargeArray<std::uint8_t> array(size);
      EXPECT_TRUE(std::all_of(array.begin(), array.end(), [](std::uint8_t v) { return v == 0; }))
          << size << " round " << round;
      std::fill(array.begin(), array.end(), std::uint8_t{0xAB});
    }
  }
}

// A program may switch to mappings for smaller buffers at any time: buffers made before keep
// their kind and are given back as such.
TEST(LargeArray, BuffersKeepTheirKindWhenTheProgramSwitchesToMappings) {
  constexpr std::size_t kTwoMegabytes = std::size_t{1} << 19;  // elements of four bytes
  LargeArray<std::uint32_t> before(kTwoMegabytes);
  before[kTwoMegabytes - 1] = 5;
  mapBuffersOfOneConversion();
  LargeArray<std::uint32_t> after(kTwoMegabytes);
  EXPECT_EQ(after[kTwoMegabytes - 1], 0u);
  after[kTwoMegabytes - 1] = 6;
  std::swap(before, after);
  EXPECT_EQ(before[kTwoMegabytes - 1], 6u);
  EXPECT_EQ(after[kTwoMegabytes - 1], 5u);
  before = LargeArray<std::uint32_t>();
  after = LargeArray<std::uint32_t>(3);
  EXPECT_EQ(after.size(), 3u);
}

TEST(LargeArray, GridsStartZeroedOrFilledAndCompareByCells) {
  const Grid zero(1000, 700);
  EXPECT_TRUE(std::all_of(zero.cells().begin(), zero.cells().end(), [](PackedColour c) { return c == 0; }));
  const Grid filled(1000, 700, 0x00123456);
  EXPECT_EQ(filled.at(999, 699), 0x00123456u);
  EXPECT_EQ(filled.at(0, 0), 0x00123456u);
  Grid other = filled;
  EXPECT_EQ(other, filled);
  other.at(500, 300) = 0;
  EXPECT_FALSE(other == filled);
  EXPECT_FALSE(Grid(700, 1000, 0x00123456) == filled) << "the same cells in another shape";
}

}  // namespace
}  // namespace tq1
