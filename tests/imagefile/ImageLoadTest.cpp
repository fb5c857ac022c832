// Loading image files: every way of failing gives its own error, sizes are checked from the
// header, other formats load too, and the result is always Format_RGB32.
#include "imagefile/ImageLoad.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "ImageTestHelpers.h"
#include "TestData.h"
#include "imagefile/Rgb32Colour.h"

namespace tq1 {
namespace {

// A 24-bit bitmap header for width x height followed by `dataBytes` zero bytes of pixel data.
QByteArray bitmapHeader(std::int32_t width, std::int32_t height, int dataBytes) {
  QByteArray bytes(54 + dataBytes, '\0');
  auto put32 = [&](int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  return bytes;
}

class ImageLoad : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString file(const QString& name, const QByteArray& contents) {
    const QString path = dir_.filePath(name);
    EXPECT_TRUE(testing::writeBytes(path, contents));
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(ImageLoad, EachKindOfFailureHasItsOwnError) {
  struct Case {
    const char* what;
    QString path;
    ImageFileError error;
  };
  const Case cases[] = {
      {"missing", dir_.filePath("nothing.bmp"), ImageFileError::FileNotFound},
      {"directory", dir_.path(), ImageFileError::NotAFile},
      {"empty file", file("empty.bmp", {}), ImageFileError::UnsupportedFormat},
      {"text", file("notes.bmp", "just some words, no picture\n"),
       ImageFileError::UnsupportedFormat},
      {"cut inside the header", file("cut.bmp", bitmapHeader(4, 4, 48).left(30)),
       ImageFileError::InvalidData},
      {"zero width", file("zero.bmp", bitmapHeader(0, 4, 48)), ImageFileError::InvalidData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = loadImageFile(c.path);
    EXPECT_EQ(result.status.error(), c.error) << result.status.message();
    EXPECT_TRUE(result.value.isNull());
    // The message names the file so that a batch log or a message box says which one.
    EXPECT_NE(result.status.message().find(c.path.toStdString()), std::string::npos)
        << result.status.message();
  }
}

// A header that promises a huge image is refused before any pixel memory is taken.
TEST_F(ImageLoad, SizeIsCheckedFromTheHeaderBeforeDecoding) {
  const auto tooWide = loadImageFile(file("wide.bmp", bitmapHeader(70000, 1, 0)));
  EXPECT_EQ(tooWide.status.error(), ImageFileError::ImageTooLarge) << tooWide.status.message();

  const QString small = file("small.bmp", bitmapHeader(20, 10, 10 * 60));
  ImageLimits limits;
  limits.maxSide = 19;
  EXPECT_EQ(loadImageFile(small, limits).status.error(), ImageFileError::ImageTooLarge);
  limits = ImageLimits{};
  limits.maxPixels = 199;
  EXPECT_EQ(loadImageFile(small, limits).status.error(), ImageFileError::ImageTooLarge);
  limits.maxPixels = 200;
  EXPECT_TRUE(loadImageFile(small, limits).ok());

  // Stored top-down: Qt reports the height as negative, which must not slip past the limit.
  const QString topDown = file("topdown.bmp", bitmapHeader(20, -10, 10 * 60));
  limits.maxPixels = 199;
  EXPECT_EQ(loadImageFile(topDown, limits).status.error(), ImageFileError::ImageTooLarge);
  limits.maxPixels = 200;
  const auto loaded = loadImageFile(topDown, limits);
  ASSERT_TRUE(loaded.ok()) << loaded.status.message();
  EXPECT_EQ(loaded.value.size(), QSize(20, 10));
}

// The contents decide the format, whatever the name says; transparency is dropped, the
// stored colour kept.
TEST_F(ImageLoad, PngLoadsAsRgb32WhateverItsName) {
  QImage picture(6, 5, QImage::Format_ARGB32);
  picture.fill(qRgba(10, 20, 30, 255));
  picture.setPixel(0, 0, qRgba(200, 150, 100, 0));
  picture.setPixel(5, 4, qRgba(1, 2, 3, 77));
  const QString path = dir_.filePath("really a png.bmp");
  ASSERT_TRUE(picture.save(path, "PNG"));

  const auto loaded = loadImageFile(path);
  ASSERT_TRUE(loaded.ok()) << loaded.status.message();
  EXPECT_EQ(loaded.value.format(), QImage::Format_RGB32);
  EXPECT_EQ(loaded.value.pixel(0, 0), qRgb(200, 150, 100));
  EXPECT_EQ(loaded.value.pixel(5, 4), qRgb(1, 2, 3));
  EXPECT_EQ(loaded.value.pixel(3, 3), qRgb(10, 20, 30));

  const auto grid = loadGridFile(path);
  ASSERT_TRUE(grid.ok()) << grid.status.message();
  EXPECT_EQ(grid.value.width(), 6u);
  EXPECT_EQ(grid.value.at(0, 0), rgbColour(200, 150, 100));
  EXPECT_EQ(grid.value.at(5, 4), rgbColour(1, 2, 3));
  EXPECT_EQ(loadGridFile(dir_.filePath("absent.png")).status.error(), ImageFileError::FileNotFound);
}

// Bytes in memory (what a pipe delivered) load as the same file on disk does, and the
// messages name the source as the caller calls it.
TEST_F(ImageLoad, BytesInMemoryLoadLikeTheirFile) {
  QImage picture(9, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) picture.setPixel(x, y, qRgb(x * 25, y * 60, 7));
  const QString png = dir_.filePath("p.png");
  ASSERT_TRUE(picture.save(png, "PNG"));
  const QString bmp = file("b.bmp", bitmapHeader(3, 2, 2 * 12));
  for (const QString& path : {png, bmp}) {
    QFile source(path);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const auto fromMemory = loadGridData(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())),
        "the pipe");
    const auto fromFile = loadGridFile(path);
    ASSERT_TRUE(fromMemory.ok()) << fromMemory.status.message();
    ASSERT_TRUE(fromFile.ok());
    EXPECT_EQ(fromMemory.value.width(), fromFile.value.width());
    EXPECT_EQ(fromMemory.value.height(), fromFile.value.height());
    for (std::uint32_t x = 0; x < fromFile.value.width(); ++x)
      for (std::uint32_t y = 0; y < fromFile.value.height(); ++y)
        EXPECT_EQ(fromMemory.value.at(x, y), fromFile.value.at(x, y)) << x << "," << y;
  }
  const std::uint8_t words[] = {'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
  const auto junk = loadGridData(words, "the pipe");
  EXPECT_EQ(junk.status.error(), ImageFileError::UnsupportedFormat);
  EXPECT_EQ(junk.status.message().rfind("the pipe: ", 0), 0u) << junk.status.message();
  ImageLimits small;
  small.maxPixels = 5;
  const QByteArray header = bitmapHeader(3, 2, 2 * 12);
  const auto tooLarge = loadGridData(
      std::span(reinterpret_cast<const std::uint8_t*>(header.constData()), static_cast<std::size_t>(header.size())),
      "the pipe", small);
  EXPECT_EQ(tooLarge.status.error(), ImageFileError::ImageTooLarge);
  EXPECT_EQ(tooLarge.status.message().rfind("the pipe: ", 0), 0u) << tooLarge.status.message();
}

TEST(ImageLoadPhotos, LargePngsLoadIntoGridsOfTheirSize) {
  TQ1_REQUIRE_TESTDATA(data);
  const QString path = QString::fromStdString((data / "kodak" / "kodim23.png").string());
  const auto grid = loadGridFile(path);
  ASSERT_TRUE(grid.ok()) << grid.status.message();
  EXPECT_EQ(grid.value.width(), 768u);
  EXPECT_EQ(grid.value.height(), 512u);
  const QImage reference(path);
  EXPECT_EQ(grid.value.at(767, 511), packedFromRgb32(reference.pixel(767, 511)));
  EXPECT_EQ(grid.value.at(300, 200), packedFromRgb32(reference.pixel(300, 200)));
}

}  // namespace
}  // namespace tq1
