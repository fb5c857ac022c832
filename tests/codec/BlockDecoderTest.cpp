// Quadtree decoder and edge smoothing: worked examples, damaged token sequences, and the
// decoder against a direct two-pass walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "CodecTestSupport.h"
#include "ReferenceCodec.h"
#include "codec/BlockDecoder.h"
#include "codec/BlockEncoder.h"
#include "codec/EncoderSteps.h"
#include "codec/Reciprocal.h"
#include "codec/Smoothing.h"

namespace tq1 {
namespace {

constexpr PackedColour X = MarkerXToken;
constexpr PackedColour Y = MarkerYToken;

CodecContext decoderContext(std::uint32_t w, std::uint32_t h, std::vector<PackedColour> tokens,
                            std::uint8_t threshold = 0) {
  CodecContext context;
  context.maxX = w - 1;
  context.maxY = h - 1;
  context.smoothThreshold = threshold;
  EXPECT_TRUE(allocateGrids(context).ok());
  context.tokens = std::move(tokens);
  return context;
}

TEST(RebuildImage, ThreeByThreeBlocks) {
  const PackedColour a = rgbColour(1, 0, 0), b = rgbColour(2, 0, 0), c = rgbColour(3, 0, 0),
                     d = rgbColour(4, 0, 0);
  CodecContext context = decoderContext(3, 3, {X, Y, a, X, b, Y, c, d});
  ASSERT_TRUE(rebuildImage(context).ok());
  EXPECT_EQ(context.cursor, 8u);
  const PackedColour expected[3][3] = {{a, a, b}, {a, a, b}, {c, c, d}};  // [x][y]
  for (std::uint32_t x = 0; x < 3; ++x)
    for (std::uint32_t y = 0; y < 3; ++y) EXPECT_EQ(context.pixels.at(x, y), expected[x][y]);
  EXPECT_EQ(context.pixels, context.flatPixels);
}

TEST(RebuildImage, ColourTokensOnlyFillCellByCell) {
  std::vector<PackedColour> tokens;
  for (PackedColour v = 0; v < 4; ++v) tokens.push_back(v);
  CodecContext context = decoderContext(2, 2, tokens);
  ASSERT_TRUE(rebuildImage(context).ok());
  EXPECT_EQ(context.pixels.at(0, 0), 0u);
  EXPECT_EQ(context.pixels.at(0, 1), 1u);
  EXPECT_EQ(context.pixels.at(1, 0), 2u);
  EXPECT_EQ(context.pixels.at(1, 1), 3u);
}

TEST(RebuildImage, RejectsBlocksPastTheImageAndMissingTokens) {
  CodecContext wide = decoderContext(3, 3, {X, X, 5, 5, 5, 5, 5, 5, 5, 5});
  EXPECT_EQ(rebuildImage(wide).error(), CodecError::BlockOutsideImage);
  CodecContext huge = decoderContext(2, 2, std::vector<PackedColour>(40, X));
  EXPECT_EQ(rebuildImage(huge).error(), CodecError::MissingTokens);
  CodecContext hugeBlock = decoderContext(2, 2, std::vector<PackedColour>(40, X));
  hugeBlock.tokens.push_back(7);
  EXPECT_EQ(rebuildImage(hugeBlock).error(), CodecError::BlockOutsideImage);
  CodecContext shortStream = decoderContext(3, 3, {X, Y, 1, X, 2});
  EXPECT_EQ(rebuildImage(shortStream).error(), CodecError::MissingTokens);
  // Tokens beyond what the walk needs are accepted.
  CodecContext extra = decoderContext(1, 1, {4, 5, 6});
  EXPECT_TRUE(rebuildImage(extra).ok());
  EXPECT_EQ(extra.cursor, 1u);
}

TEST(RebuildImage, BothPassesReportTheSameBlocks) {
  const PackedColour c = rgbColour(50, 60, 70);
  CodecContext context = decoderContext(3, 3, {X, Y, c, X, c, Y, c, c}, 30);
  std::vector<std::uint64_t> steps;
  std::uint64_t previous = 0;
  context.progress = [&](std::uint64_t done, std::uint64_t) {
    steps.push_back(done - previous);
    previous = done;
  };
  ASSERT_TRUE(rebuildImage(context).ok());
  EXPECT_EQ(steps, (std::vector<std::uint64_t>{4, 2, 2, 1, 4, 2, 2, 1}));
  EXPECT_EQ(context.progressDone, 18u);
}

// A 4 x 2 image of a 2 x 2 block of 100 next to a 2 x 2 block of 120 (all channels).
CodecContext twoBlocks(std::uint8_t threshold) {
  const PackedColour left = rgbColour(100, 100, 100), right = rgbColour(120, 120, 120);
  CodecContext context = decoderContext(4, 2, {X, Y, left, X, Y, right}, threshold);
  EXPECT_TRUE(rebuildImage(context).ok());
  return context;
}

// The last block overlaps cells the second one filled, as a damaged file's blocks may: the
// cells reported still never exceed the total, and the report ends at the total.
TEST(RebuildImage, OverlappingBlocksNeverReportMoreThanAllTheWork) {
  const PackedColour a = rgbColour(10, 20, 30), b = rgbColour(40, 50, 60), c = rgbColour(70, 80, 90);
  CodecContext context = decoderContext(4, 4, {X, Y, a, X, X, Y, b, X, Y, Y, c}, 30);
  context.progressTotal = 2 * context.cellCount();
  std::vector<std::uint64_t> reported;
  context.progress = [&](std::uint64_t done, std::uint64_t total) {
    EXPECT_LE(done, total);
    reported.push_back(done);
  };
  ASSERT_TRUE(rebuildImage(context).ok());
  EXPECT_EQ(context.flatPixels.at(3, 3), c);  // the later block wins
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.back(), context.progressTotal);
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
}

TEST(SmoothBlock, BlendsTowardsCloseNeighboursInWalkOrder) {
  CodecContext context = twoBlocks(20);
  const std::uint8_t expected[4] = {100, 105, 116, 120};
  for (std::uint32_t x = 0; x < 4; ++x) {
    for (std::uint32_t y = 0; y < 2; ++y) {
      EXPECT_EQ(context.pixels.at(x, y), rgbColour(expected[x], expected[x], expected[x]))
          << x << "," << y;
    }
  }
  EXPECT_EQ(context.flatPixels.at(1, 0), rgbColour(100, 100, 100));
}

TEST(SmoothBlock, ThresholdDecidesWhetherToBlend) {
  EXPECT_EQ(twoBlocks(10).pixels, twoBlocks(10).flatPixels);
  EXPECT_EQ(twoBlocks(0).pixels, twoBlocks(0).flatPixels);
  // A neighbour exactly the threshold away is blended.
  EXPECT_NE(twoBlocks(20).pixels, twoBlocks(20).flatPixels);
  EXPECT_EQ(twoBlocks(19).pixels, twoBlocks(19).flatPixels);
}

TEST(SmoothBlock, ThinBlocksAndLoneBlocksKeepTheirColour) {
  const PackedColour a = rgbColour(100, 0, 0), b = rgbColour(110, 0, 0);
  CodecContext thin = decoderContext(2, 2, {Y, a, Y, b}, 150);
  ASSERT_TRUE(rebuildImage(thin).ok());
  EXPECT_EQ(thin.pixels, thin.flatPixels);
  CodecContext lone = decoderContext(4, 4, {X, X, Y, Y, a}, 150);
  ASSERT_TRUE(rebuildImage(lone).ok());
  EXPECT_EQ(lone.pixels, lone.flatPixels);
}

// Blocks of every shape at every kind of position (touching no border, some borders, all of
// them), with neighbours of random colours in all four channels and any threshold; one
// smoother serves all rounds, as in a decoder, so scratch rows left from a larger block must
// not leak into a smaller one.
TEST(SmoothBlock, MatchesPerChannelArithmeticOnRandomBlocks) {
  std::mt19937 random(4242);
  BlockSmoother smoother;
  for (int round = 0; round < 3000; ++round) {
    const unsigned a = 1 + random() % (round % 50 == 0 ? 9 : 4);
    const unsigned b = 1 + random() % (round % 50 == 25 ? 9 : 4);
    const std::uint32_t ex = 1u << a, ey = 1u << b;
    const std::uint32_t w = ex + random() % 3, h = ey + random() % 3;
    CodecContext context;
    context.maxX = w - 1;
    context.maxY = h - 1;
    context.smoothThreshold = static_cast<std::uint8_t>(round % 7 == 0 ? 255 : random() % 160);
    context.pixels = Grid(w, h);
    for (PackedColour& cell : context.pixels.cells()) cell = static_cast<PackedColour>(random());
    const std::uint32_t x0 = random() % (w - ex + 1), y0 = random() % (h - ey + 1);
    const PackedColour own = static_cast<PackedColour>(random());
    for (std::uint32_t x = x0; x < x0 + ex; ++x) {
      for (std::uint32_t y = y0; y < y0 + ey; ++y) context.pixels.at(x, y) = own;
    }
    CodecContext expected = context;
    reference::smoothBlock(expected, x0, y0, a, b);
    smoother.smooth(context, x0, y0, a, b);
    ASSERT_EQ(context.pixels, expected.pixels)
        << "round " << round << ": " << ex << "x" << ey << " at " << x0 << "," << y0 << " in "
        << w << "x" << h << ", threshold " << int(context.smoothThreshold);
  }
}

TEST(RebuildImage, MatchesDirectTwoPassWalkOnEncodedImages) {
  std::mt19937 random(77);
  for (int round = 0; round < 120; ++round) {
    const std::uint32_t w = 1 + random() % 60, h = 1 + random() % 60;
    Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 10));
    CodecParams params = testing::randomParams(random);
    CodecContext context = testing::contextFor(image, params);
    tokenise(context);
    CodecContext slow = context;
    ASSERT_TRUE(rebuildImage(context).ok());
    reference::rebuildImage(slow);
    ASSERT_EQ(context.pixels, slow.pixels) << "round " << round;
    ASSERT_EQ(context.flatPixels, slow.flatPixels) << "round " << round;
  }
}

}  // namespace
}  // namespace tq1

namespace tq1 {
namespace {

TEST(Reciprocal, ExactForEveryBlockSideAndNumerator) {
  // Smoothing divides numerators up to 255 x (side - 1) by side - 1, sides 2 to 65536.
  for (unsigned exponent = 1; exponent <= 16; ++exponent) {
    const std::uint32_t divisor = (1u << exponent) - 1;
    const Reciprocal reciprocal(divisor);
    const std::uint32_t limit = 255 * divisor;
    const std::uint32_t step = limit > 2'000'000 ? 97 : 1;
    for (std::uint32_t n = 0; n <= limit; n += step) {
      ASSERT_EQ(reciprocal.divide(n), n / divisor) << n << " / " << divisor;
    }
    ASSERT_EQ(reciprocal.divide(limit), 255u);
    ASSERT_EQ(reciprocal.divide(limit - 1), 254u);
  }
  for (std::uint32_t divisor = 1; divisor <= 65535; divisor += 13) {
    const Reciprocal reciprocal(divisor);
    for (std::uint32_t q = 0; q <= 255; ++q) {
      const std::uint32_t n = q * divisor;
      ASSERT_EQ(reciprocal.divide(n), q);
      if (n > 0) ASSERT_EQ(reciprocal.divide(n - 1), q - 1);
      ASSERT_EQ(reciprocal.divide(n + divisor - 1), q);
    }
  }
}

}  // namespace
}  // namespace tq1
