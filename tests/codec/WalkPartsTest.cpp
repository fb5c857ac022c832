// The pieces under the block walk: the coverage bitmap and the walk over its empty cells, the
// ranking of block colours, and the ring that carries blocks between the decoder's threads.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "codec/BlockQueue.h"
#include "codec/ColourRanks.h"
#include "codec/CoverageMap.h"
#include "codec/SymbolTable.h"

namespace tq1 {
namespace {

using Cell = std::pair<std::uint32_t, std::uint32_t>;

// The walk order written out plainly: quadrants top-left, bottom-left, top-right,
// bottom-right, down to single cells, cells outside the image left out.
void walkOrder(std::uint32_t maxX, std::uint32_t maxY, std::uint32_t x, std::uint32_t y,
               unsigned k, std::vector<Cell>& cells) {
  if (x > maxX || y > maxY) return;
  if (k == 0) {
    cells.emplace_back(x, y);
    return;
  }
  const std::uint32_t h = 1u << (k - 1);
  walkOrder(maxX, maxY, x, y, k - 1, cells);
  walkOrder(maxX, maxY, x, y + h, k - 1, cells);
  walkOrder(maxX, maxY, x + h, y, k - 1, cells);
  walkOrder(maxX, maxY, x + h, y + h, k - 1, cells);
}

// A coverage map and a plain bitmap of the same cells, changed together.
struct TwinCoverage {
  TwinCoverage(std::uint32_t w, std::uint32_t h) : map(w, h), width(w), height(h), plain(w * h) {}

  void set(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h, bool filled) {
    map.set(x, y, w, h, filled);
    for (std::uint32_t cx = x; cx < x + w; ++cx) {
      for (std::uint32_t cy = y; cy < y + h; ++cy) plain[cx * height + cy] = filled;
    }
  }
  // A random rectangle of the image, up to 20 cells a side, at (x, y) or anywhere.
  void setRandom(std::mt19937& random, std::uint32_t x, std::uint32_t y, bool filled) {
    const std::uint32_t w = 1 + random() % std::min(20u, width - x);
    const std::uint32_t h = 1 + random() % std::min(20u, height - y);
    set(x, y, w, h, filled);
  }
  [[nodiscard]] bool filled(std::uint32_t x, std::uint32_t y) const { return plain[x * height + y]; }

  CoverageMap map;
  std::uint32_t width, height;
  std::vector<bool> plain;
};

// Rectangles filled and emptied again, across tile borders, read back cell by cell.
TEST(CoverageMap, CellsReadBackAsSetAcrossTiles) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const std::uint32_t w = 1 + random() % 45, h = 1 + random() % 45;
    TwinCoverage coverage(w, h);
    for (int step = 0; step < 30; ++step) {
      coverage.setRandom(random, random() % w, random() % h, step % 3 != 2);
    }
    for (std::uint32_t x = 0; x < w; ++x) {
      for (std::uint32_t y = 0; y < h; ++y) {
        ASSERT_EQ(coverage.map.filled(x, y), coverage.filled(x, y))
            << "round " << round << " cell " << x << "," << y;
      }
    }
  }
}

// The walk hands out exactly the cells still empty when it reaches them, in walk order, also
// when a visit fills cells ahead of the walk (as a block does) and on sides that are no power
// of two; a visit that says stop ends the walk there.
TEST(CoverageWalk, VisitsTheEmptyCellsInWalkOrder) {
  std::mt19937 random(11);
  for (int round = 0; round < 120; ++round) {
    const std::uint32_t w = 1 + random() % 70, h = 1 + random() % 70;
    const std::uint32_t maxX = w - 1, maxY = h - 1;
    const unsigned k = bitLength(std::max(maxX, maxY));
    std::vector<Cell> order;
    walkOrder(maxX, maxY, 0, 0, k, order);
    ASSERT_EQ(order.size(), std::size_t{w} * h);

    TwinCoverage coverage(w, h);
    for (int before = 0; before < 3; ++before) {
      coverage.setRandom(random, random() % w, random() % h, true);
    }
    // What the walk should see: the order, minus cells filled before or by earlier visits.
    std::mt19937 blocks(round);
    TwinCoverage expectedCoverage = coverage;
    std::vector<Cell> expected;
    const std::size_t stopAfter = round % 4 == 0 ? random() % (order.size() + 1) : order.size();
    bool stopped = false;
    for (const Cell& cell : order) {
      if (expectedCoverage.filled(cell.first, cell.second)) continue;
      if (expected.size() == stopAfter) {
        stopped = true;
        break;
      }
      expected.push_back(cell);
      expectedCoverage.setRandom(blocks, cell.first, cell.second, true);
    }

    std::mt19937 sameBlocks(round);
    std::vector<Cell> visited;
    auto visit = [&](std::uint32_t x, std::uint32_t y) {
      if (visited.size() == stopAfter) return false;
      visited.emplace_back(x, y);
      coverage.setRandom(sameBlocks, x, y, true);
      return true;
    };
    const bool finished = walkEmptyCells(coverage.map, maxX, maxY, 0, 0, k, visit);
    ASSERT_EQ(visited, expected) << "round " << round << " " << w << "x" << h;
    EXPECT_EQ(finished, !stopped) << "round " << round;
  }
}

// Distinct colours ascending with their counts, and each block's rank pointing at its colour;
// colours that differ only in the low or only in the high half of their bits sort apart.
TEST(ColourRanks, DistinctColoursAscendingWithEachBlocksRank) {
  std::mt19937 random(3);
  EXPECT_TRUE(rankColours({}).colours.empty());
  for (int round = 0; round < 30; ++round) {
    std::vector<PackedColour> palette;
    for (int i = 0; i < 1 + round * 3; ++i) {
      const PackedColour base = random() & 0xFFFFFFu;
      palette.push_back(base);
      palette.push_back(base ^ 0x000001u);  // same high digit
      palette.push_back(base ^ 0x800000u);  // same low digit
    }
    std::vector<PackedColour> blocks(random() % 5000);
    for (auto& colour : blocks) colour = palette[random() % palette.size()];
    std::map<PackedColour, std::uint32_t> counts;
    for (const PackedColour colour : blocks) ++counts[colour];

    const ColourRanks ranks = rankColours(blocks);
    ASSERT_EQ(ranks.colours.size(), counts.size());
    std::size_t i = 0;
    for (const auto& [colour, count] : counts) {
      EXPECT_EQ(ranks.colours[i].value, colour) << "round " << round;
      EXPECT_EQ(ranks.colours[i].count, count) << "round " << round;
      ++i;
    }
    ASSERT_EQ(ranks.rank.size(), blocks.size());
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      ASSERT_EQ(ranks.colours[ranks.rank[b]].value, blocks[b]) << "round " << round << " block " << b;
    }
  }
}

// Many times the ring's size pass through in order while the consumer lags behind, so that
// the producer waits for room and both positions wrap around the ring.
TEST(BlockQueue, EntriesArriveInOrderAcrossManyWrapArounds) {
  constexpr std::uint64_t kEntries = 300000;
  BlockQueue queue;
  std::uint64_t refused = 0;
  std::thread producer([&] {
    for (std::uint64_t i = 0; i < kEntries; ++i) refused += queue.push(i * 2654435761u) ? 0 : 1;
    queue.flush();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let the ring fill up
  std::uint64_t wrong = 0;
  for (std::uint64_t i = 0; i < kEntries; ++i) wrong += queue.pop() != i * 2654435761u ? 1 : 0;
  producer.join();
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(refused, 0u);
}

// A consumer that has gone to sleep waiting for a stretch of entries is woken by the last
// flush even when far fewer arrive, and a few entries pushed slowly all arrive.
TEST(BlockQueue, SleepingConsumerWakesForTheLastFewEntries) {
  for (int round = 0; round < 20; ++round) {
    BlockQueue queue;
    std::thread producer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the consumer falls asleep
      for (std::uint64_t i = 0; i < 3; ++i) {
        queue.push(i + 1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      queue.flush();
    });
    EXPECT_EQ(queue.pop(), 1u);
    EXPECT_EQ(queue.pop(), 2u);
    EXPECT_EQ(queue.pop(), 3u);
    producer.join();
  }
}

// A consumer that stops early releases a producer waiting for room, and every push after that
// is refused instead of waiting for ever.
TEST(BlockQueue, StoppedConsumerReleasesTheProducer) {
  BlockQueue queue;
  std::uint64_t accepted = 0;
  std::uint64_t refused = 0;
  std::thread producer([&] {
    for (std::uint64_t i = 0; i < 200000; ++i) (queue.push(i) ? accepted : refused) += 1;
    queue.flush();
  });
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(queue.pop(), std::uint64_t(i));
  queue.stopConsuming();
  producer.join();
  EXPECT_GT(refused, 0u);
  EXPECT_EQ(accepted + refused, 200000u);
  // Accepted entries were taken or fit into the ring once; nothing more.
  EXPECT_LE(accepted, 1000u + (std::uint64_t{1} << 14));
}

}  // namespace
}  // namespace tq1
