// The direct reader of plain 24-bit bitmaps must agree pixel for pixel with the general loader
// on every file it accepts, and leave every other file to it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cstring>
#include <filesystem>

#include "ImageTestHelpers.h"
#include "TestData.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/ImageLoad.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1 {
namespace {

// Both sides work in bands of 16 rows: heights around the band size and widths for every
// row padding. The streamed file must equal the one built in memory.
TEST(PlainBitmapReader, ReadsWhatTheWriterWritesForEveryRowPaddingAndBand) {
  for (const std::uint32_t height : {1u, 5u, 16u, 17u, 40u}) {
    for (std::uint32_t width = 1; width <= 9; ++width) {
      const Grid grid = testing::randomGrid(width, height, width * 100 + height);
      const auto bytes = encodeBitmap(grid);
      ASSERT_TRUE(bytes.ok());
      const auto read = readPlainBitmap(bytes.value);
      ASSERT_TRUE(read.has_value()) << width;
      ASSERT_TRUE(read->ok());
      EXPECT_EQ(read->value, grid) << width << " x " << height;

      std::vector<std::uint8_t> streamed;
      const bool complete = streamBitmap(grid, *bitmapLayout(width, height),
                                         [&](std::span<const std::uint8_t> piece) {
                                           streamed.insert(streamed.end(), piece.begin(), piece.end());
                                           return true;
                                         });
      EXPECT_TRUE(complete);
      EXPECT_EQ(streamed, bytes.value) << width << " x " << height;
    }
  }
  // A sink that refuses stops the stream.
  int pieces = 0;
  EXPECT_FALSE(streamBitmap(testing::randomGrid(3, 40, 1), *bitmapLayout(3, 40),
                            [&](std::span<const std::uint8_t>) { return ++pieces < 2; }));
  EXPECT_EQ(pieces, 2);
}

TEST(PlainBitmapReader, RefusesCutFilesAndLeavesOtherVariantsToTheGeneralLoader) {
  const Grid grid = testing::randomGrid(7, 3, 1);
  auto bytes = encodeBitmap(grid).value;
  auto cut = bytes;
  cut.pop_back();
  const auto refused = readPlainBitmap(cut);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->status.error(), ImageFileError::PixelDataCutShort);
  auto compressed = bytes;
  compressed[30] = 1;  // RLE8
  EXPECT_FALSE(readPlainBitmap(compressed).has_value());
  auto notBitmap = bytes;
  notBitmap[0] = 'P';
  EXPECT_FALSE(readPlainBitmap(notBitmap).has_value());
  EXPECT_FALSE(readPlainBitmap(std::vector<std::uint8_t>(20, 0)).has_value());
}

TEST(PlainBitmapReader, TopDownRowsAndSizeLimits) {
  const Grid grid = testing::randomGrid(4, 3, 9);
  auto bytes = encodeBitmap(grid).value;
  // Turn the file top-down: negate the height and reverse the row order.
  const std::int32_t negative = -3;
  std::memcpy(bytes.data() + 22, &negative, 4);
  const std::size_t row = 12;
  std::vector<std::uint8_t> flipped(bytes.begin(), bytes.begin() + 54);
  for (int r = 2; r >= 0; --r) {
    flipped.insert(flipped.end(), bytes.begin() + 54 + r * row, bytes.begin() + 54 + (r + 1) * row);
  }
  const auto read = readPlainBitmap(flipped);
  ASSERT_TRUE(read && read->ok());
  EXPECT_EQ(read->value, grid);

  ImageLimits tight;
  tight.maxPixels = 11;
  const auto refused = readPlainBitmap(encodeBitmap(grid).value, tight);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->status.error(), ImageFileError::ImageTooLarge);
}

TEST(PlainBitmapReader, AgreesWithTheGeneralLoaderOnTheBitmapSuite) {
  TQ1_REQUIRE_TESTDATA(data);
  int accepted = 0;
  for (const char* folder : {"g", "q", "b"}) {
    for (const auto& entry : std::filesystem::directory_iterator(data / "bmpsuite" / folder)) {
      const QString path = QString::fromStdString(entry.path().string());
      const auto bytes = testing::fileBytes(path);
      const auto direct = readPlainBitmap(bytes);
      if (!direct) continue;
      const auto general = loadGridFile(path);
      // A damaged file of any variant is refused here as the general loader refuses it.
      if (!direct->ok()) {
        EXPECT_TRUE(isBitmapDamage(direct->status.error())) << entry.path();
        EXPECT_EQ(general.status.error(), direct->status.error()) << entry.path();
        continue;
      }
      ++accepted;
      ASSERT_TRUE(general.ok()) << entry.path();
      EXPECT_EQ(direct->value, general.value) << entry.path();
    }
  }
  EXPECT_GE(accepted, 3);  // rgb24.bmp, rgb24pal.bmp and the padding variants at least
}

}  // namespace
}  // namespace tq1
