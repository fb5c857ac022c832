// The front ends' conversions and the file header: what the results hold on success and on
// failure, the header's fields through a write and a read, and the header inspection.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "CodecTestSupport.h"
#include "codec/Conversion.h"
#include "codec/FileHeader.h"
#include "codec/FileInfo.h"
#include "codec/Limits.h"

namespace tq1 {
namespace {

CodecParams lossy() {
  CodecParams params;
  params.tolerance = 12;
  params.smoothThreshold = 40;
  params.bits = {6, 7, 5};
  return params;
}

Grid photoLike(std::uint32_t w, std::uint32_t h, unsigned seed) {
  std::mt19937 random(seed);
  return testing::patchyImage(random, w, h, 6);
}

// The rebuilt image is what decoding the bytes gives; asking for it changes no byte; the
// counts are those the file declares.
TEST(Conversion, EncodeGivesBytesRebuiltImageAndCounts) {
  const Grid image = photoLike(61, 37, 1);
  const EncodeResult lean = encodeImage(image, lossy());
  const EncodeResult full = encodeImage(image, lossy(), {.keepRebuilt = true});
  ASSERT_TRUE(lean.ok()) << lean.status.message();
  ASSERT_TRUE(full.ok()) << full.status.message();
  EXPECT_EQ(lean.bytes, full.bytes);
  EXPECT_TRUE(lean.rebuilt.empty());

  const DecodeResult decoded = decodeImage(full.bytes);
  ASSERT_TRUE(decoded.ok()) << decoded.status.message();
  EXPECT_EQ(decoded.image, full.rebuilt);
  EXPECT_EQ(decoded.fileBytes, full.bytes.size());

  FileInfo info;
  ASSERT_TRUE(readFileInfo(full.bytes, info).ok());
  EXPECT_EQ(info.width, 61u);
  EXPECT_EQ(info.height, 37u);
  EXPECT_EQ(info.tokenCount, full.tokenCount);
  EXPECT_EQ(info.symbolCount, full.symbolCount);
  EXPECT_DOUBLE_EQ(full.bitsPerPixel(), double(full.bytes.size()) * 8.0 / (61 * 37));
}

// Failures come back in the result with nothing half done: no bytes, no image, no file.
TEST(Conversion, FailuresLeaveNothingBehind) {
  CodecParams tooManyBits;
  tooManyBits.bits = {9, 8, 8};
  const EncodeResult refused = encodeImage(Grid(4, 3, 0), tooManyBits, {.keepRebuilt = true});
  EXPECT_EQ(refused.status.error(), CodecError::InvalidParameters);
  EXPECT_TRUE(refused.bytes.empty());
  EXPECT_TRUE(refused.rebuilt.empty());
  EXPECT_EQ(refused.width, 4u);
  EXPECT_EQ(refused.bitsPerPixel(), 0.0);

  const auto dir = std::filesystem::temp_directory_path() /
                   ("tq1-conversion-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const EncodeResult unwritable =
      encodeImageToFile(Grid(4, 3, 0), CodecParams{}, dir / "absent" / "x.tq1", {.keepRebuilt = true});
  EXPECT_EQ(unwritable.status.error(), CodecError::FileWriteFailed);
  EXPECT_TRUE(unwritable.bytes.empty());
  EXPECT_TRUE(unwritable.rebuilt.empty());

  EXPECT_EQ(decodeImageFile(dir / "missing.tq1").status.error(), CodecError::FileOpenFailed);
  const EncodeResult written = encodeImageToFile(photoLike(9, 9, 2), lossy(), dir / "cut.tq1");
  ASSERT_TRUE(written.ok()) << written.status.message();
  std::filesystem::resize_file(dir / "cut.tq1", written.bytes.size() / 2);
  const DecodeResult cut = decodeImageFile(dir / "cut.tq1");
  EXPECT_EQ(cut.status.error(), CodecError::Truncated);
  EXPECT_TRUE(cut.image.empty());
  EXPECT_EQ(cut.fileBytes, written.bytes.size() / 2);

  // A smaller pixel limit refuses the image before any grid is made.
  const DecodeResult limited = decodeImage(written.bytes, {.maxPixels = 80});
  EXPECT_EQ(limited.status.error(), CodecError::ImageTooLarge);
  std::filesystem::remove_all(dir);
}

TEST(Conversion, FailureMessagesNameTheirFile) {
  const CodecStatus unreadable = CodecStatus::failure(CodecError::FileOpenFailed, "cannot open 'a.tq1'");
  const CodecStatus damaged = CodecStatus::failure(CodecError::Truncated, "the data ends inside the header");
  EXPECT_EQ(failureAbout("a.tq1", unreadable), "cannot open 'a.tq1'");
  EXPECT_EQ(failureAbout("a.tq1", damaged), "a.tq1: the data ends inside the header");
}

// Values from anywhere end up inside the ranges, never wrapped into a byte.
TEST(Conversion, ParametersAreClampedIntoTheirRanges) {
  const CodecParams low = clampedParams(-1, -300, {-5, 0, 3});
  EXPECT_EQ(low, (CodecParams{0, 0, {0, 0, 3}}));
  const CodecParams high = clampedParams(256 + 10, 151, {9, 264, std::int64_t{1} << 40});
  EXPECT_EQ(high, (CodecParams{kMaxToleranceUi, kMaxSmoothingUi, {8, 8, 8}}));
  EXPECT_TRUE(high.validate().ok());
}

// Every field keeps its value through a write and a read, at the largest value its width
// holds and at random ones: a field of the wrong width or in the wrong place shifts the rest.
TEST(FileHeader, FieldsSurviveWriteAndRead) {
  std::mt19937 random(5);
  for (int round = 0; round < 50; ++round) {
    FileHeader header;
    const bool largest = round == 0;
    const auto pick = [&](unsigned bits) {
      const std::uint32_t top = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
      return largest ? top : static_cast<std::uint32_t>(random()) & top;
    };
    for (auto& byte : header.magic) byte = static_cast<std::uint8_t>(pick(8));
    header.maxX = pick(kSideBits);
    header.maxY = pick(kSideBits);
    header.tolerance = static_cast<std::uint8_t>(pick(8));
    header.smoothThreshold = static_cast<std::uint8_t>(pick(8));
    for (auto& count : header.levelCount) count = pick(8) + 1;
    header.lastSymbol = pick(kSymbolCountBits);
    header.lastToken = pick(kTokenCountBits);
    for (unsigned k = 0; k < 3; ++k) {
      header.controlValue[k] = pick(kControlValueBits);
      header.controlIndex[k] = pick(kControlIndexBits);
    }
    std::vector<std::uint8_t> bytes;
    BitWriter out(bytes);
    writeFileHeader(header, out);
    out.finish();
    ASSERT_EQ(bytes.size(), (kHeaderBits + 7) / 8);

    BitReader in(bytes);
    FileHeader back;
    ASSERT_TRUE(readFileHeader(in, back).ok());
    EXPECT_EQ(in.bitCursor(), kHeaderBits);
    EXPECT_EQ(back.magic, header.magic);
    EXPECT_EQ(back.maxX, header.maxX);
    EXPECT_EQ(back.maxY, header.maxY);
    EXPECT_EQ(back.tolerance, header.tolerance);
    EXPECT_EQ(back.smoothThreshold, header.smoothThreshold);
    EXPECT_EQ(back.levelCount, header.levelCount);
    EXPECT_EQ(back.lastSymbol, header.lastSymbol);
    EXPECT_EQ(back.lastToken, header.lastToken);
    EXPECT_EQ(back.controlValue, header.controlValue);
    EXPECT_EQ(back.controlIndex, header.controlIndex) << "round " << round;
  }
}

// The inspection reads what was written and refuses data too short for what it declares,
// down to the last byte.
TEST(FileInfo, DescribesAFileAndRefusesCutOnes) {
  const Grid image = photoLike(23, 41, 3);
  const EncodeResult encoded = encodeImage(image, lossy());
  ASSERT_TRUE(encoded.ok());
  FileInfo info;
  ASSERT_TRUE(readFileInfo(encoded.bytes, info).ok());
  EXPECT_TRUE(info.usualMagic());
  EXPECT_EQ(info.tolerance, 12);
  EXPECT_EQ(info.smoothThreshold, 40);
  EXPECT_EQ(info.fileBytes, encoded.bytes.size());
  EXPECT_LE(info.levelCount[2], 32u);  // five bits of blue
  EXPECT_EQ(info.levelCount[3], 1u);

  // The header's last field ends inside byte 37; the tokens take at least a bit each.
  const std::span<const std::uint8_t> bytes(encoded.bytes);
  FileInfo cut;
  EXPECT_EQ(readFileInfo(bytes.first(36), cut).error(), CodecError::Truncated);
  FileHeader header;
  BitReader in(bytes);
  ASSERT_TRUE(readFileHeader(in, header).ok());
  const std::size_t least = (header.leastFileBits() + 7) / 8;
  ASSERT_LE(least, bytes.size());
  EXPECT_EQ(readFileInfo(bytes.first(least - 1), cut).error(), CodecError::Truncated);
  EXPECT_EQ(cut.width, 23u);  // the header's fields are there all the same
  EXPECT_TRUE(readFileInfo(bytes.first(least), cut).ok());
}

}  // namespace
}  // namespace tq1
