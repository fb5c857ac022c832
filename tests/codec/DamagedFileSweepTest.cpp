// Damaged .tq1 files: every truncation and every single-bit flip in the header and the first
// kilobyte of files of many shapes and parameters decodes to an error or an image, never a
// crash, and never asks for more memory than the size its header declares.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "AllocationWatch.h"
#include "CodecTestSupport.h"
#include "TestData.h"
#include "codec/Codec.h"

#ifdef TQ1_HAVE_IMAGEFILE
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"
#endif

namespace tq1 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Small, so that a flipped size bit quickly reaches the refusal path as well.
constexpr std::uint64_t kSweepMaxPixels = std::uint64_t{1} << 16;

struct Sample {
  std::string name;
  Bytes bytes;
  Grid decoded;  // what the undamaged file decodes to
};

CodecParams params(std::uint8_t tolerance, std::uint8_t smoothing,
                   std::array<std::uint8_t, 3> bits = {8, 8, 8}) {
  CodecParams p;
  p.tolerance = tolerance;
  p.smoothThreshold = smoothing;
  p.bits = bits;
  return p;
}

Sample sample(std::string name, const Grid& image, const CodecParams& p) {
  CodecContext context = testing::contextFor(image, p);
  const CodecStatus status = encodeToBytes(context);
  EXPECT_TRUE(status.ok()) << name << ": " << status.message();
  return {std::move(name), context.stream, context.pixels};
}

Grid randomImage(std::mt19937& random, std::uint32_t w, std::uint32_t h) {
  Grid grid(w, h);
  for (PackedColour& cell : grid.cells()) cell = random() & 0xFFFFFF;
  return grid;
}

std::vector<Sample> samples() {
  std::mt19937 random(77);
  std::vector<Sample> all;
  all.push_back(sample("1x1", Grid(1, 1, 0x00A0B0C0), params(0, 0)));
  all.push_back(sample("1x1 black, tolerance 10", Grid(1, 1, 0), params(10, 0)));
  all.push_back(sample("2x2 uniform", Grid(2, 2, 0x123456), params(0, 0)));
  all.push_back(sample("wide 64x1", randomImage(random, 64, 1), params(0, 0)));
  all.push_back(sample("tall 1x64, smoothing", testing::patchyImage(random, 1, 64, 5), params(6, 30)));
  all.push_back(sample("23x17 lossless", testing::patchyImage(random, 23, 17, 3), params(0, 0)));
  all.push_back(sample("30x20 tolerance, smoothing, 5-6-4 bits",
                       testing::patchyImage(random, 30, 20, 6), params(12, 60, {5, 6, 4})));
  all.push_back(sample("300x2 three bits", testing::patchyImage(random, 300, 2, 20), params(3, 0, {3, 3, 3})));
  all.push_back(sample("16x16 one bit, strong smoothing", testing::patchyImage(random, 16, 16, 40),
                       params(0, 150, {1, 1, 1})));
#ifdef TQ1_HAVE_IMAGEFILE
  if (const auto data = testing::testDataDir()) {
    const auto photo = loadImageFile(QString::fromStdString((*data / "kodak/kodim23.png").string()));
    if (photo.ok()) {
      const auto crop = gridFromImage(photo.value, 300, 200, 64, 48);
      if (crop.ok()) {
        all.push_back(sample("photo crop lossless", crop.value, params(0, 0)));
        all.push_back(sample("photo crop lossy", crop.value, params(4, 20, {7, 7, 6})));
      }
    }
  }
#endif
  return all;
}

// The pixels the header of `bytes` declares, or 0 when there is no whole header.
std::uint64_t declaredCells(const Bytes& bytes) {
  if (bytes.size() < 8) return 0;
  const std::uint64_t w = ((std::uint64_t{bytes[4]} << 8) | bytes[5]) + 1;
  const std::uint64_t h = ((std::uint64_t{bytes[6]} << 8) | bytes[7]) + 1;
  return w * h;
}

struct Outcome {
  CodecStatus status;
  Grid pixels;
  std::size_t largestAllocation = 0;
};

// A decode of `bytes` with all outputs, or, for converters, the result only, on one thread or
// with a second one placing the blocks.
Outcome decodeWatched(const Bytes& bytes, CodecOutputs outputs = CodecOutputs::Everything,
                      DecodeThreads threads = DecodeThreads::Auto) {
  Outcome outcome;
  CodecContext context;
  context.maxPixels = kSweepMaxPixels;
  context.outputs = outputs;
  context.decodeThreads = threads;
  {
    testing::AllocationWatch watch;
    outcome.status = decodeBytes(context, bytes);
    outcome.largestAllocation = watch.largest();
  }
  outcome.pixels = std::move(context.pixels);
  return outcome;
}

// What a decode of `bytes` may allocate at most in one piece: a grid of the declared size
// when that size is accepted, and a few dozen bytes per input byte for the token and symbol
// tables (a token takes at least one bit, a symbol count 20), plus fixed lookup tables.
std::uint64_t allocationAllowance(const Bytes& bytes) {
  const std::uint64_t cells = declaredCells(bytes);
  const std::uint64_t gridBytes = cells <= kSweepMaxPixels ? 4 * cells : 0;
  return gridBytes + 64 * std::uint64_t{bytes.size()} + (std::uint64_t{128} << 10);
}

// A damaged file gives an error with a message, or an image of the declared size.
void expectSound(const Bytes& bytes, const Outcome& outcome, const std::string& what) {
  EXPECT_LE(outcome.largestAllocation, allocationAllowance(bytes)) << what;
  if (!outcome.status.ok()) {
    EXPECT_FALSE(outcome.status.message().empty()) << what;
    return;
  }
  ASSERT_GE(bytes.size(), 8u) << what;
  EXPECT_EQ(std::uint64_t{outcome.pixels.width()} * outcome.pixels.height(), declaredCells(bytes))
      << what;
}

TEST(DamagedFiles, EveryTruncationFailsUnlessOnlyPaddingIsCut) {
  for (const Sample& s : samples()) {
    ASSERT_TRUE(decodeWatched(s.bytes).status.ok()) << s.name;
    for (std::size_t length = 0; length < s.bytes.size(); ++length) {
      const Bytes cut(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(length));
      const Outcome outcome = decodeWatched(cut);
      const std::string what = s.name + ", cut to " + std::to_string(length) + " bytes";
      expectSound(cut, outcome, what);
      // Success means that no bit the decoder needed was cut: only the last byte's padding.
      if (outcome.status.ok()) {
        EXPECT_EQ(length + 1, s.bytes.size()) << what;
        EXPECT_EQ(outcome.pixels, s.decoded) << what;
      } else if (length >= 37) {
        // With the whole header present, the decoder names the structure that was cut.
        EXPECT_EQ(outcome.status.error(), CodecError::Truncated) << what << ": " << outcome.status.message();
      }
    }
  }
}

TEST(DamagedFiles, EveryBitFlipInTheFirstKilobyteIsAnErrorOrAnImage) {
  for (const Sample& s : samples()) {
    const std::size_t bits = std::min<std::size_t>(s.bytes.size(), 1024) * 8;
    int rejected = 0;
    for (std::size_t bit = 0; bit < bits; ++bit) {
      Bytes damaged = s.bytes;
      damaged[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
      const Outcome outcome = decodeWatched(damaged);
      expectSound(damaged, outcome, s.name + ", bit " + std::to_string(bit) + " flipped");
      rejected += outcome.status.ok() ? 0 : 1;
    }
    // Flips in the size, count and table fields break every file.
    EXPECT_GT(rejected, 0) << s.name;
  }
}

void expectTheOneThreadOutcome(const Bytes& bytes, const std::string& what) {
  const Outcome one = decodeWatched(bytes, CodecOutputs::ResultOnly, DecodeThreads::One);
  const Outcome two = decodeWatched(bytes, CodecOutputs::ResultOnly, DecodeThreads::Two);
  expectSound(bytes, two, what);
  EXPECT_EQ(two.status.error(), one.status.error()) << what << ": " << two.status.message();
  EXPECT_EQ(two.status.message(), one.status.message()) << what;
  if (one.status.ok() && two.status.ok()) EXPECT_EQ(two.pixels, one.pixels) << what;
}

// With two threads, one reads the tokens while the other places the blocks, and either may
// meet the damage first: the decoder must still report what one thread reports, in the
// same order (a block outside the image before a bad literal after it, the codes before
// everything).
TEST(DamagedFiles, TwoThreadsDecodeEveryDamagedFileAsOneDoes) {
  for (const Sample& s : samples()) {
    // Every cut in the first kilobyte, then every seventh: a thread is started for each.
    for (std::size_t length = 0; length <= s.bytes.size(); length += length < 1024 ? 1 : 7) {
      const Bytes cut(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(length));
      expectTheOneThreadOutcome(cut, s.name + ", cut to " + std::to_string(length) + " bytes");
    }
    expectTheOneThreadOutcome(s.bytes, s.name + ", whole");
    // Every third bit of the first kilobyte: each field still has flips, at every offset
    // within a byte.
    const std::size_t bits = std::min<std::size_t>(s.bytes.size(), 1024) * 8;
    for (std::size_t bit = 0; bit < bits; bit += 3) {
      Bytes damaged = s.bytes;
      damaged[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
      expectTheOneThreadOutcome(damaged, s.name + ", bit " + std::to_string(bit) + " flipped");
    }
  }
}

TEST(DamagedFiles, AHugeDeclaredImageIsRefusedBeforeAnyGridIsMade) {
  Bytes bytes = sample("2x2", Grid(2, 2, 0x123456), params(0, 0)).bytes;
  bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0xFF;  // 65536 x 65536
  CodecContext context;  // the default memory limit
  testing::AllocationWatch watch;
  const CodecStatus status = decodeBytes(context, bytes);
  EXPECT_EQ(status.error(), CodecError::ImageTooLarge);
  EXPECT_NE(status.message().find("65536 x 65536"), std::string::npos) << status.message();
  EXPECT_NE(status.message().find("too large"), std::string::npos) << status.message();
  EXPECT_LT(watch.largest(), std::size_t{1} << 20);
  EXPECT_TRUE(context.pixels.empty());
}

TEST(DamagedFiles, DeclaredTokensAndSymbolsBeyondTheDataAllocateNothingLarge) {
  const Bytes good = sample("2x2", Grid(2, 2, 0x123456), params(0, 0)).bytes;
  // lastSymbol at bit 112 and lastToken at bit 136, each 24 bits: byte-aligned, all ones.
  for (const std::size_t field : {std::size_t{14}, std::size_t{17}}) {
    Bytes bytes = good;
    bytes[field] = bytes[field + 1] = bytes[field + 2] = 0xFF;
    const Outcome outcome = decodeWatched(bytes);
    EXPECT_EQ(outcome.status.error(), CodecError::Truncated) << "field at byte " << field;
    EXPECT_LT(outcome.largestAllocation, std::size_t{1} << 20) << "field at byte " << field;
  }
}

}  // namespace
}  // namespace tq1
