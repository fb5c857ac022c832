// The 24-bit bitmap writer: exact bytes, row layout and padding, reading back, and safe writes.
#include "imagefile/BitmapFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include "ImageTestHelpers.h"
#include "ResourceLimits.h"
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"


namespace tq1 {
namespace {

using testing::fileBytes;
using testing::randomGrid;
using testing::readLe32;

std::vector<std::uint8_t> encoded(const Grid& grid) {
  auto result = encodeBitmap(grid);
  EXPECT_TRUE(result.ok()) << result.status.message();
  return result.value;
}

TEST(BitmapFile, OneWhitePixelIsTheExact58ByteFile) {
  const std::vector<std::uint8_t> expected = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,             // size, width, height
      1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,             // planes, bits, BI_RGB, image size
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // resolution, colours
      0xff, 0xff, 0xff, 0};                            // one pixel and its padding byte
  EXPECT_EQ(encoded(Grid(1, 1, rgbColour(255, 255, 255))), expected);

  QImage white(1, 1, QImage::Format_RGB32);
  white.fill(Qt::white);
  auto fromImage = encodeBitmap(white);
  ASSERT_TRUE(fromImage.ok()) << fromImage.status.message();
  EXPECT_EQ(fromImage.value, expected);
}

TEST(BitmapFile, RowsArePaddedToFourBytesWithZeros) {
  struct Case {
    std::uint32_t width;
    std::uint32_t rowBytes;
  };
  for (const Case c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}}) {
    SCOPED_TRACE(c.width);
    const std::uint32_t height = 3;
    const auto bytes = encoded(Grid(c.width, height, rgbColour(0x11, 0x22, 0x33)));
    ASSERT_EQ(bytes.size(), 54u + c.rowBytes * height);
    EXPECT_EQ(readLe32(bytes, 2), bytes.size());              // bfSize
    EXPECT_EQ(readLe32(bytes, 34), c.rowBytes * height);      // biSizeImage
    for (std::uint32_t row = 0; row < height; ++row) {
      const std::size_t start = 54 + std::size_t{row} * c.rowBytes;
      for (std::uint32_t i = 0; i < c.rowBytes; ++i) {
        const std::uint8_t want = i < 3 * c.width ? std::uint8_t(0x33 - 0x11 * (i % 3)) : 0;
        ASSERT_EQ(bytes[start + i], want) << "row " << row << " byte " << i;
      }
    }
  }
}

// Rows run bottom-up, pixels left to right, each as blue, green, red.
TEST(BitmapFile, TopLeftPixelIsTheFirstPixelOfTheLastRow) {
  Grid grid(3, 2);
  for (std::uint32_t x = 0; x < 3; ++x) {
    for (std::uint32_t y = 0; y < 2; ++y) {
      grid.at(x, y) = rgbColour(std::uint8_t(0x10 * x + y), 0x80, std::uint8_t(0xf0 - x));
    }
  }
  const auto bytes = encoded(grid);
  ASSERT_EQ(bytes.size(), 54u + 12 * 2);
  auto pixelAt = [&](std::size_t offset) {
    return rgbColour(bytes[offset + 2], bytes[offset + 1], bytes[offset]);
  };
  const std::size_t lastRow = 54 + 12;
  EXPECT_EQ(pixelAt(lastRow), grid.at(0, 0));
  EXPECT_EQ(pixelAt(lastRow + 6), grid.at(2, 0));
  EXPECT_EQ(pixelAt(54), grid.at(0, 1));
  EXPECT_EQ(pixelAt(54 + 6), grid.at(2, 1));  // the bottom-right cell [2][1]
}

// Heights around the writer's band of 16 rows, and widths with every padding.
TEST(BitmapFile, GridAndImageOfTheSamePixelsGiveTheSameFile) {
  for (const auto& [width, height] : {std::pair{1, 1}, {5, 15}, {6, 16}, {7, 17}, {2, 33}}) {
    SCOPED_TRACE(QString("%1 x %2").arg(width).arg(height).toStdString());
    const QImage image = testing::randomImage(width, height, 7);
    auto grid = gridFromImage(image);
    ASSERT_TRUE(grid.ok());
    auto fromImage = encodeBitmap(image);
    ASSERT_TRUE(fromImage.ok());
    EXPECT_EQ(fromImage.value, encoded(grid.value));
    // Any other format is converted to the same colours first.
    auto fromRgb888 = encodeBitmap(image.convertToFormat(QImage::Format_RGB888));
    ASSERT_TRUE(fromRgb888.ok());
    EXPECT_EQ(fromRgb888.value, fromImage.value);
  }
}

TEST(BitmapFile, LayoutRefusesSizesTheHeaderCannotHold) {
  const auto widest = bitmapLayout(65536, 21845);  // 196608-byte rows, just under 4 GiB
  ASSERT_TRUE(widest.has_value());
  EXPECT_EQ(widest->rowBytes, 196608u);
  EXPECT_EQ(widest->fileBytes, 54u + 196608u * 21845u);
  EXPECT_FALSE(bitmapLayout(65536, 21846).has_value());
  EXPECT_FALSE(bitmapLayout(std::uint64_t{1} << 31, 1).has_value());
  EXPECT_FALSE(bitmapLayout(0, 5).has_value());
  EXPECT_FALSE(bitmapLayout(5, 0).has_value());

  EXPECT_EQ(encodeBitmap(Grid()).status.error(), ImageFileError::EmptyImage);
  EXPECT_EQ(encodeBitmap(QImage()).status.error(), ImageFileError::EmptyImage);
}

TEST(BitmapFile, WrittenFileReadsBackPixelExact) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("round trip.bmp");
  const Grid grid = randomGrid(100, 50, 42);
  const ImageFileStatus written = writeBitmapFile(path, grid);
  ASSERT_TRUE(written.ok()) << written.message();

  QImageReader reader(path);
  EXPECT_EQ(reader.format(), "bmp");
  EXPECT_EQ(reader.size(), QSize(100, 50));
  auto loaded = loadGridFile(path);
  ASSERT_TRUE(loaded.ok()) << loaded.status.message();
  EXPECT_TRUE(loaded.value == grid);

  // The image overload writes the same file.
  auto image = imageFromGrid(grid);
  ASSERT_TRUE(image.ok());
  const QString second = dir.filePath("from image.bmp");
  ASSERT_TRUE(writeBitmapFile(second, image.value).ok());
  EXPECT_EQ(fileBytes(second), fileBytes(path));
}

TEST(BitmapFile, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("out.bmp");
  ASSERT_TRUE(testing::writeBytes(path, QByteArray(1000, 'x')));
  ASSERT_TRUE(writeBitmapFile(path, Grid(2, 2, rgbColour(1, 2, 3))).ok());
  EXPECT_EQ(fileBytes(path), encoded(Grid(2, 2, rgbColour(1, 2, 3))));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.bmp"});
}

TEST(BitmapFile, WritingIntoAMissingDirectoryFailsAndCreatesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("missing/out.bmp");
  const ImageFileStatus status = writeBitmapFile(path, Grid(4, 4));
  EXPECT_EQ(status.error(), ImageFileError::FileWriteFailed);
  EXPECT_NE(status.message().find("missing/out.bmp"), std::string::npos) << status.message();
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));
  EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

#if defined(__unix__)
using testing::FileSizeLimit;

TEST(BitmapFile, AFailedWriteLeavesTheExistingFileIntact) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("keep.bmp");
  const QByteArray original(3000, 'k');
  ASSERT_TRUE(testing::writeBytes(path, original));

  ImageFileStatus status;
  {
    FileSizeLimit limit(4096);
    if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
    status = writeBitmapFile(path, randomGrid(200, 200, 3));  // 120054 bytes
  }
  EXPECT_EQ(status.error(), ImageFileError::FileWriteFailed) << status.message();
  EXPECT_EQ(fileBytes(path), std::vector<std::uint8_t>(original.begin(), original.end()));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bmp"});
}
#endif

}  // namespace
}  // namespace tq1
