// The marker-run table: counts and lengths of runs of x- then y-marker codes at the start of
// a window, the tables it refuses to make, and how the marker symbols are found.
#include <gtest/gtest.h>

#include <vector>

#include "codec/MarkerRuns.h"

namespace tq1 {
namespace {

using Word = CanonicalDecoder::Word;

constexpr std::uint32_t kX = 1, kY = 2;

// Codes by hand: x "00", y "010", colours "011" and "1".
constexpr Word kXCode{0b00, 2};
constexpr Word kYCode{0b010, 3};

std::uint32_t window(const char* bits) {
  std::uint32_t w = 0;
  unsigned n = 0;
  for (; bits[n] != '\0'; ++n) w |= static_cast<std::uint32_t>(bits[n] - '0') << (31 - n);
  return w;
}

TEST(MarkerRuns, CountsXThenYCodesThatFitTheWindow) {
  MarkerRuns runs;
  runs.build(kXCode, kYCode);
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

TEST(MarkerRuns, UnusedWithoutTwoDistinctShortCodes) {
  MarkerRuns runs;
  runs.build(kXCode, kXCode);  // both markers the same symbol
  EXPECT_FALSE(runs.used());
  runs.build(kXCode, std::nullopt);
  EXPECT_FALSE(runs.used());
  runs.build(Word{0, 14}, kYCode);  // longer than the window
  EXPECT_FALSE(runs.used());
  runs.build(kXCode, kYCode);
  EXPECT_TRUE(runs.used());
}

TEST(MarkerRuns, MarkerSymbolsAreTheOnlyCandidatesWithTheirValue) {
  SymbolTable table;
  table.entries = {{kX, 1, 2, 0}, {kY, 1, 3, 0}, {0x123, 1, 3, 0}, {0x456, 1, 1, 0}};
  const std::vector<std::uint32_t> controls = {0, 1, 3};
  EXPECT_EQ(onlySymbolWithValue(table, controls, kX), 0u);
  EXPECT_EQ(onlySymbolWithValue(table, controls, kY), 1u);
  EXPECT_EQ(onlySymbolWithValue(table, controls, 0x123), std::nullopt);  // not a candidate
  EXPECT_EQ(onlySymbolWithValue(table, std::vector<std::uint32_t>{0, 0, 1}, kX), 0u);
  EXPECT_EQ(onlySymbolWithValue(table, std::vector<std::uint32_t>{0, 9}, kX), 0u);  // 9: none
  table.entries[3].value = kX;  // two symbols stand for the x-marker
  EXPECT_EQ(onlySymbolWithValue(table, controls, kX), std::nullopt);
}

}  // namespace
}  // namespace tq1
