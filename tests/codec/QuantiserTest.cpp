// Colour quantisation: worked examples, idempotence, and the neighbour-pair search against
// the exhaustive definition.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "CodecTestSupport.h"
#include "ReferenceCodec.h"
#include "codec/Quantiser.h"

namespace tq1 {
namespace {

using testing::contextFor;

// Quantises an image whose red channel holds the given values (green and blue 0).
CodecContext quantiseRed(const std::vector<std::uint8_t>& reds, std::uint8_t bits) {
  Grid grid(static_cast<std::uint32_t>(reds.size()), 1);
  for (std::uint32_t x = 0; x < reds.size(); ++x) grid.at(x, 0) = rgbColour(reds[x], 0, 0);
  CodecParams params;
  params.bits = {bits, 8, 8};
  CodecContext context = contextFor(grid, params);
  for (unsigned c = 0; c < 4; ++c) {
    for (unsigned v = 0; v < 256; ++v) context.channelMap[c][v] = static_cast<std::uint8_t>(v);
  }
  quantise(context);
  return context;
}

TEST(Quantise, CheapestPairMergesIntoTheHeavierLevel) {
  // Levels 10 (5 pixels), 11 (3) and 200 (1) with room for two levels.
  std::vector<std::uint8_t> reds = {10, 10, 10, 10, 10, 11, 11, 11, 200};
  CodecContext context = quantiseRed(reds, 1);
  ASSERT_EQ(context.levelCount[0], 2u);
  EXPECT_EQ(context.levelValue[0][0], 10);
  EXPECT_EQ(context.levelValue[0][1], 200);
  EXPECT_EQ(context.histogram[0][10], 8);
  EXPECT_EQ(context.histogram[0][200], 1);
  EXPECT_EQ(channelOf(context.pixels.at(5, 0), 0), 10);
  EXPECT_EQ(channelOf(context.pixels.at(8, 0), 0), 200);
}

TEST(Quantise, EqualCountsKeepTheLowerLevel) {
  CodecContext context = quantiseRed({50, 60}, 0);
  ASSERT_EQ(context.levelCount[0], 1u);
  EXPECT_EQ(context.levelValue[0][0], 50);
  EXPECT_EQ(channelOf(context.pixels.at(1, 0), 0), 50);
}

TEST(Quantise, LevelCountsFollowTheBits) {
  std::vector<std::uint8_t> all(256);
  for (unsigned v = 0; v < 256; ++v) all[v] = static_cast<std::uint8_t>(v);
  EXPECT_EQ(quantiseRed(all, 8).levelCount[0], 256u);
  EXPECT_EQ(quantiseRed(all, 3).levelCount[0], 8u);
  EXPECT_EQ(quantiseRed(all, 0).levelCount[0], 1u);
  CodecContext single = quantiseRed({77, 77, 77}, 8);
  EXPECT_EQ(single.levelCount[0], 1u);
  EXPECT_EQ(single.levelValue[0][0], 77);
  // Channel 3 and the untouched channels keep exactly one level, 0.
  EXPECT_EQ(single.levelCount[3], 1u);
  EXPECT_EQ(single.levelValue[3][0], 0);
}

TEST(Quantise, KeepsOnlyInputValuesAndIsIdempotent) {
  std::mt19937 random(5);
  for (int round = 0; round < 30; ++round) {
    Grid image = testing::patchyImage(random, 23, 17, 40);
    CodecParams params;
    params.bits = {std::uint8_t(random() % 9), std::uint8_t(random() % 9), std::uint8_t(random() % 9)};
    CodecContext first = contextFor(image, params);
    for (unsigned c = 0; c < 4; ++c)
      for (unsigned v = 0; v < 256; ++v) first.channelMap[c][v] = static_cast<std::uint8_t>(v);
    quantise(first);
    for (unsigned c = 0; c < 3; ++c) {
      EXPECT_LE(first.levelCount[c], (1u << params.bits[c]));
      std::set<std::uint8_t> input;
      for (PackedColour cell : image.cells()) input.insert(channelOf(cell, c));
      for (std::uint32_t l = 0; l < first.levelCount[c]; ++l) {
        EXPECT_TRUE(input.count(first.levelValue[c][l]));
        if (l > 0) EXPECT_LT(first.levelValue[c][l - 1], first.levelValue[c][l]);
      }
    }
    CodecContext second = contextFor(first.pixels, params);
    for (unsigned c = 0; c < 4; ++c)
      for (unsigned v = 0; v < 256; ++v) second.channelMap[c][v] = static_cast<std::uint8_t>(v);
    quantise(second);
    EXPECT_EQ(second.pixels, first.pixels) << "round " << round;
  }
}

TEST(MergeLevels, SameChoiceAsExhaustiveSearch) {
  std::mt19937 random(17);
  for (int round = 0; round < 200; ++round) {
    CodecContext context;
    std::array<std::int64_t, 256> histogram{};
    const int occupied = 2 + static_cast<int>(random() % 60);
    for (int i = 0; i < occupied; ++i) {
      histogram[random() % 256] += 1 + (round % 3 == 0 ? random() % 3 : random() % 5000);
    }
    std::array<std::uint8_t, 256> map{};
    for (unsigned v = 0; v < 256; ++v) map[v] = static_cast<std::uint8_t>(v);
    context.histogram[0] = histogram;
    context.channelMap[0] = map;
    for (int step = 0; step < 8; ++step) {
      mergeLevels(context, 0);
      reference::mergeLevelsExhaustive(histogram, map);
      ASSERT_EQ(context.histogram[0], histogram) << "round " << round << " step " << step;
      ASSERT_EQ(context.channelMap[0], map) << "round " << round << " step " << step;
    }
  }
}

}  // namespace
}  // namespace tq1
