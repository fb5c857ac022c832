// Encoding on two threads against encoding on one: the same bytes for random images of every
// small size, for photos, and for the pieces the second thread needs (a stream joined at any
// bit, an exception thrown on the other thread).
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "CodecTestSupport.h"
#include "TestData.h"
#include "codec/BitWriter.h"
#include "codec/Codec.h"
#include "codec/TokenWriting.h"
#include "codec/TwoHalves.h"

#ifdef TQ1_HAVE_IMAGEFILE
#include <QString>

#include "imagefile/ImageLoad.h"
#endif

namespace tq1 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes encodeWith(const Grid& image, const CodecParams& params, EncodeThreads threads,
                 CodecOutputs outputs) {
  CodecContext context;
  context.outputs = outputs;
  context.encodeThreads = threads;
  if (!prepareForEncoding(context, image, params)) return {};
  const CodecStatus status = encodeToBytes(context);
  if (!status) return {};
  return context.stream;
}

// Both thread choices, with and without the rebuilt image, give one file, which decodes.
void expectSameFileOnEitherThreading(const Grid& image, const CodecParams& params,
                                     const std::string& what) {
  const Bytes one = encodeWith(image, params, EncodeThreads::One, CodecOutputs::ResultOnly);
  ASSERT_FALSE(one.empty()) << what;
  EXPECT_EQ(encodeWith(image, params, EncodeThreads::Two, CodecOutputs::ResultOnly), one) << what;
  EXPECT_EQ(encodeWith(image, params, EncodeThreads::Two, CodecOutputs::Everything), one) << what;
  EXPECT_EQ(encodeWith(image, params, EncodeThreads::Auto, CodecOutputs::ResultOnly), one) << what;
  CodecContext decoded;
  EXPECT_TRUE(decodeBytes(decoded, one).ok()) << what;
}

TEST(TwoThreadEncoding, SameFileForRandomImagesOfManySizes) {
  std::mt19937 random(19);
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
      {1, 1}, {1, 2}, {2, 1}, {3, 3}, {1, 40}, {40, 1}, {17, 5}, {64, 64}, {129, 31}, {200, 150}};
  for (const auto& [w, h] : sizes) {
    for (int round = 0; round < 6; ++round) {
      const CodecParams params = testing::randomParams(random);
      const Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 40));
      expectSameFileOnEitherThreading(image, params,
                                      std::to_string(w) + "x" + std::to_string(h) + " round " +
                                          std::to_string(round));
    }
  }
}

#ifdef TQ1_HAVE_IMAGEFILE
TEST(TwoThreadEncoding, SameFileForPhotos) {
  TQ1_REQUIRE_TESTDATA(data);
  CodecParams lossless;
  CodecParams lossy;
  lossy.tolerance = 10;
  lossy.smoothThreshold = 30;
  CodecParams coarse;
  coarse.tolerance = 25;
  coarse.bits = {5, 5, 5};
  for (const char* name : {"kodim01.png", "kodim03.png", "kodim13.png"}) {
    auto photo = loadGridFile(QString::fromStdString((data / "kodak" / name).string()));
    ASSERT_TRUE(photo.ok()) << name;
    for (const CodecParams& params : {lossless, lossy, coarse}) {
      const Bytes one = encodeWith(photo.value, params, EncodeThreads::One, CodecOutputs::ResultOnly);
      ASSERT_FALSE(one.empty()) << name;
      EXPECT_EQ(encodeWith(photo.value, params, EncodeThreads::Two, CodecOutputs::ResultOnly), one)
          << name << " tolerance " << int{params.tolerance};
    }
  }
}
#endif

// A stream written in one go, and the same fields written in two parts joined by appendBits,
// are the same bytes wherever the parts split, whatever bit the first part ends on.
TEST(TwoThreadEncoding, StreamsJoinAtAnyBit) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::pair<std::uint64_t, unsigned>> fields(random() % 60);
    for (auto& [value, length] : fields) {
      length = random() % (BitWriter::kMaxField + 1);
      value = length == 0 ? 0 : ((std::uint64_t{random()} << 32) | random()) >> (64 - length);
    }
    const std::size_t split = fields.empty() ? 0 : random() % (fields.size() + 1);
    Bytes whole, first, second;
    BitWriter wholeWriter(whole);
    BitWriter firstWriter(first);
    BitWriter secondWriter(second);
    for (std::size_t k = 0; k < fields.size(); ++k) {
      wholeWriter.writeBits(fields[k].first, fields[k].second);
      (k < split ? firstWriter : secondWriter).writeBits(fields[k].first, fields[k].second);
    }
    wholeWriter.finish();
    const std::uint64_t secondBits = secondWriter.bitCursor();
    secondWriter.finish();
    appendBits(second, secondBits, firstWriter);
    firstWriter.finish();
    ASSERT_EQ(first, whole) << "round " << round << ", split at field " << split;
  }
}

TEST(TwoThreadEncoding, WhatTheOtherThreadThrowsReachesTheCaller) {
  for (const bool twoThreads : {false, true}) {
    bool firstRan = false;
    EXPECT_THROW(runBothHalves(
                     twoThreads, [&] { firstRan = true; },
                     [] { throw std::runtime_error("second half failed"); }),
                 std::runtime_error);
    EXPECT_TRUE(firstRan);
  }
}

}  // namespace
}  // namespace tq1
