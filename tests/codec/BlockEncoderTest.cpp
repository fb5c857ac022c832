// Quadtree block encoder: block shapes and order, the block test, and the fast shape search
// against the full block test on random images.
#include <gtest/gtest.h>

#include <random>

#include "CodecTestSupport.h"
#include "ReferenceCodec.h"
#include "codec/BlockDecoder.h"
#include "codec/BlockEncoder.h"
#include "codec/EncoderSteps.h"
#include "codec/Quantiser.h"

namespace tq1 {
namespace {

using testing::contextFor;
constexpr PackedColour X = MarkerXToken;
constexpr PackedColour Y = MarkerYToken;

std::vector<PackedColour> tokensOf(const Grid& image, std::uint8_t tolerance = 0) {
  CodecParams params;
  params.tolerance = tolerance;
  CodecContext context = contextFor(image, params);
  const std::uint32_t last = tokenise(context);
  EXPECT_EQ(last + 1, context.tokens.size());
  for (PackedColour cell : context.pixels.cells()) EXPECT_EQ(cell, EmptyCell);
  return context.tokens;
}

TEST(Tokenise, UniformSquareIsOneBlock) {
  const PackedColour c = rgbColour(1, 2, 3);
  EXPECT_EQ(tokensOf(Grid(4, 4, c)), (std::vector<PackedColour>{X, X, Y, Y, c}));
  EXPECT_EQ(tokensOf(Grid(1, 1, c)), (std::vector<PackedColour>{c}));
}

TEST(Tokenise, UniformThreeByThree) {
  const PackedColour c = rgbColour(9, 9, 9);
  EXPECT_EQ(tokensOf(Grid(3, 3, c)), (std::vector<PackedColour>{X, Y, c, X, c, Y, c, c}));
}

TEST(Tokenise, EqualAreaPrefersTheNarrowShape) {
  const PackedColour a = rgbColour(10, 10, 10);
  const PackedColour b = rgbColour(200, 0, 0);
  Grid image(2, 2, a);
  image.at(1, 1) = b;
  EXPECT_EQ(tokensOf(image), (std::vector<PackedColour>{Y, a, a, b}));
}

TEST(Tokenise, AverageRoundsDownAndToleranceIsInclusive) {
  Grid image(2, 1);
  image.at(0, 0) = rgbColour(10, 0, 0);
  image.at(1, 0) = rgbColour(13, 0, 0);
  // Both values are levels; 11 is not, so it snaps to the nearer level 10.
  EXPECT_EQ(tokensOf(image, 3), (std::vector<PackedColour>{X, rgbColour(10, 0, 0)}));
  EXPECT_EQ(tokensOf(image, 2).size(), 2u);  // spread 3 > 2: two single cells

  CodecParams params;
  params.tolerance = 3;
  CodecContext context = contextFor(image, params);
  EXPECT_EQ(reference::blockAverage(context, 0, 0, 1, 0), rgbColour(11, 0, 0));
  params.tolerance = 2;
  CodecContext strict = contextFor(image, params);
  EXPECT_EQ(reference::blockAverage(strict, 0, 0, 1, 0), EmptyCell);
  EXPECT_EQ(reference::blockAverage(strict, 1, 0, 1, 0), EmptyCell);  // leaves the image
}

TEST(Tokenise, SnapsToTheNearestLevelLowerOnTies) {
  CodecContext context;
  context.levelCount = {3, 1, 1, 1};
  context.levelValue[0][0] = 10;
  context.levelValue[0][1] = 14;
  context.levelValue[0][2] = 200;
  EXPECT_EQ(channelOf(reference::snapToLevels(context, rgbColour(12, 0, 0)), 0), 10);
  EXPECT_EQ(channelOf(reference::snapToLevels(context, rgbColour(13, 0, 0)), 0), 14);
  EXPECT_EQ(channelOf(reference::snapToLevels(context, rgbColour(255, 0, 0)), 0), 200);
}

TEST(Tokenise, NoUniformNeighboursGivesOneTokenPerCell) {
  Grid image(3, 2);
  for (std::uint32_t x = 0; x < 3; ++x)
    for (std::uint32_t y = 0; y < 2; ++y) image.at(x, y) = rgbColour(std::uint8_t(40 * x + 100 * y), 0, 0);
  const auto tokens = tokensOf(image);
  // Walk order: (0,0) (0,1) (1,0) (1,1) then (2,0) (2,1).
  EXPECT_EQ(tokens, (std::vector<PackedColour>{image.at(0, 0), image.at(0, 1), image.at(1, 0),
                                              image.at(1, 1), image.at(2, 0), image.at(2, 1)}));
}

TEST(Tokenise, BlocksCoverEveryCellOnceAndReportProgress) {
  std::mt19937 random(3);
  Grid image = testing::patchyImage(random, 37, 21, 3);
  CodecParams params;
  params.tolerance = 6;
  CodecContext context = contextFor(image, params);
  std::uint64_t lastDone = 0;
  int calls = 0;
  context.progressDone = 5;
  context.progress = [&](std::uint64_t done, std::uint64_t) {
    EXPECT_GT(done, lastDone);
    lastDone = done;
    ++calls;
  };
  tokenise(context);
  EXPECT_EQ(lastDone, 5u + 37u * 21u);
  std::size_t colours = 0;
  for (PackedColour t : context.tokens) colours += (t != X && t != Y) ? 1 : 0;
  EXPECT_EQ(static_cast<std::size_t>(calls), colours);
}

TEST(Tokenise, HighToleranceNeverOverlapsCoveredCells) {
  std::mt19937 random(8);
  for (std::uint8_t tolerance : {126, 127, 200, 255}) {
    Grid image = testing::patchyImage(random, 13, 11, 100);
    CodecParams params;
    params.tolerance = tolerance;
    CodecContext fast = contextFor(image, params);
    tokenise(fast);
    CodecContext slow = contextFor(image, params);
    EXPECT_EQ(reference::tokenise(slow), fast.tokens) << int(tolerance);
  }
}

// Walking the four quadrants one after the other gives the tokens and counts of the whole
// walk, though blocks found in an earlier quadrant reach into later ones.
TEST(EncodeWalk, QuadrantsInWalkOrderGiveTheWholeWalk) {
  std::mt19937 random(55);
  for (int round = 0; round < 60; ++round) {
    const std::uint32_t w = 1 + random() % 70;
    const std::uint32_t h = 1 + random() % 70;
    Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 6));
    const CodecParams params = testing::randomParams(random);
    CodecContext whole = contextFor(image, params);
    tokenise(whole);

    CodecContext parts = contextFor(image, params);
    for (auto& map : parts.channelMap) {
      for (unsigned v = 0; v < 256; ++v) map[v] = static_cast<std::uint8_t>(v);
    }
    quantise(parts);
    const unsigned k = bitLength(std::max(parts.maxX, parts.maxY));
    if (k == 0) {
      encodeWalk(parts, 0, 0, 0);
    } else {
      const std::uint32_t half = 1u << (k - 1);
      for (const auto& [x, y] : {std::pair{0u, 0u}, {0u, half}, {half, 0u}, {half, half}}) {
        encodeWalk(parts, x, y, k - 1);
      }
    }
    ASSERT_EQ(parts.tokens, whole.tokens) << "round " << round << " " << w << "x" << h;
    ASSERT_EQ(parts.symbols.entries, whole.symbols.entries) << "round " << round;
    ASSERT_EQ(parts.markerXCount, whole.markerXCount);
    ASSERT_EQ(parts.markerYCount, whole.markerYCount);
  }
}

TEST(Tokenise, MatchesFullBlockTestsOnRandomImages) {
  std::mt19937 random(2024);
  for (int round = 0; round < 150; ++round) {
    const std::uint32_t w = 1 + random() % 70;
    const std::uint32_t h = 1 + random() % 70;
    Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 12));
    const CodecParams params = testing::randomParams(random);
    CodecContext fast = contextFor(image, params);
    tokenise(fast);
    CodecContext slow = contextFor(image, params);
    const auto expected = reference::tokenise(slow);
    ASSERT_EQ(fast.tokens, expected) << "round " << round << " " << w << "x" << h;
    ASSERT_EQ(fast.symbols.entries, slow.symbols.entries) << "round " << round;
    ASSERT_EQ(fast.markerXCount, slow.markerXCount);
    ASSERT_EQ(fast.markerYCount, slow.markerYCount);
  }
}

// Small and thin images of every size to 12 x 12, where the shapes tested together near the
// right and bottom edges reach past the image and, in a grid only a few cells high, past the
// end of the grid (which the sanitizer builds would report).
TEST(Tokenise, MatchesFullBlockTestsOnEverySmallSize) {
  std::mt19937 random(77);
  for (std::uint32_t w = 1; w <= 12; ++w) {
    for (std::uint32_t h = 1; h <= 12; ++h) {
      const Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 4));
      CodecParams params;
      params.tolerance = static_cast<std::uint8_t>(random() % 3 == 0 ? 0 : 40 + random() % 60);
      CodecContext fast = contextFor(image, params);
      tokenise(fast);
      CodecContext slow = contextFor(image, params);
      ASSERT_EQ(fast.tokens, reference::tokenise(slow)) << w << "x" << h;
    }
  }
}

}  // namespace
}  // namespace tq1

namespace tq1 {
namespace {

TEST(TokeniseAndRebuild, SameAsTokenisingThenRebuildingFromTheTokens) {
  std::mt19937 random(31);
  for (int round = 0; round < 60; ++round) {
    Grid image = testing::patchyImage(random, 1 + random() % 50, 1 + random() % 50,
                                      static_cast<int>(random() % 9));
    const CodecParams params = testing::randomParams(random);
    CodecContext oneGo = testing::contextFor(image, params);
    std::vector<std::uint64_t> oneGoSteps;
    oneGo.progress = [&](std::uint64_t done, std::uint64_t) { oneGoSteps.push_back(done); };
    const std::uint32_t last = tokeniseAndRebuild(oneGo);

    CodecContext twoSteps = testing::contextFor(image, params);
    std::vector<std::uint64_t> twoStepSteps;
    twoSteps.progress = [&](std::uint64_t done, std::uint64_t) { twoStepSteps.push_back(done); };
    EXPECT_EQ(tokenise(twoSteps), last);
    ASSERT_TRUE(rebuildImage(twoSteps).ok());

    ASSERT_EQ(oneGo.tokens, twoSteps.tokens) << "round " << round;
    ASSERT_EQ(oneGo.pixels, twoSteps.pixels) << "round " << round;
    ASSERT_EQ(oneGo.flatPixels, twoSteps.flatPixels) << "round " << round;
    ASSERT_EQ(oneGoSteps, twoStepSteps) << "round " << round;
    EXPECT_EQ(oneGoSteps.back(), 3 * image.cells().size());
  }
}

}  // namespace
}  // namespace tq1
