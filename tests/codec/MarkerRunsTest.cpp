// The marker-run table: counts and lengths of runs of x- then y-marker codes at the start of
// a window, and the tables it refuses to make.
#include <gtest/gtest.h>

#include "codec/MarkerRuns.h"

namespace tq1 {
namespace {

constexpr std::uint32_t kX = 1, kY = 2;

// Codes by hand: x "00", y "010", colours "011" and "1".
SymbolTable markersAndColours() {
  SymbolTable table;
  table.entries = {{kX, 1, 2, 0b00}, {kY, 1, 3, 0b010}, {0x123, 1, 3, 0b011}, {0x456, 1, 1, 0b1}};
  return table;
}

std::uint32_t window(const char* bits) {
  std::uint32_t w = 0;
  unsigned n = 0;
  for (; bits[n] != '\0'; ++n) w |= static_cast<std::uint32_t>(bits[n] - '0') << (31 - n);
  return w;
}

TEST(MarkerRuns, CountsXThenYCodesThatFitTheWindow) {
  MarkerRuns runs;
  runs.build(markersAndColours(), 3, kX, kY);
  ASSERT_TRUE(runs.used());
  struct Case {
    const char* bits;
    unsigned x, y, length;
  };
  for (const Case& c : {Case{"1", 0, 0, 0}, Case{"0111", 0, 0, 0}, Case{"001", 1, 0, 2},
                        Case{"0000010011", 2, 1, 7}, Case{"010010001", 0, 2, 6},
                        // after the y-markers an x-marker code belongs to the next token
                        Case{"01000", 0, 1, 3},
                        // six x-codes fill 12 bits; the 13th bit cannot hold another code
                        Case{"0000000000000", 6, 0, 12},
                        // a code that ends with the window counts
                        Case{"0000000000010", 5, 1, 13}}) {
    const MarkerRuns::Run run = runs.runAt(window(c.bits));
    EXPECT_EQ(run.xMarkers, c.x) << c.bits;
    EXPECT_EQ(run.yMarkers, c.y) << c.bits;
    EXPECT_EQ(run.bits, c.length) << c.bits;
  }
}

TEST(MarkerRuns, UnusedWhenTheMarkersAreNotEachOneSymbol) {
  MarkerRuns runs;
  runs.build(markersAndColours(), 3, kX, kX);  // both markers the same value
  EXPECT_FALSE(runs.used());
  SymbolTable twice = markersAndColours();
  twice.entries[2].value = kX;  // two symbols stand for the x-marker
  runs.build(twice, 3, kX, kY);
  EXPECT_FALSE(runs.used());
  runs.build(markersAndColours(), 0, kX, kY);  // the y-marker lies beyond the coded entries
  EXPECT_FALSE(runs.used());
  SymbolTable longCode = markersAndColours();
  longCode.entries[1].length = 14;
  runs.build(longCode, 3, kX, kY);
  EXPECT_FALSE(runs.used());
}

}  // namespace
}  // namespace tq1
