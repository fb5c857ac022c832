// Thumbnails: the fitted size, the box averaging against a cell-by-cell reference, and what a
// damaged file or an unwritable output leaves behind.
#include "thumbnailer/Thumbnail.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <random>

#include "codec/Codec.h"
#include "thumbnailer/BoxScale.h"

namespace tq1 {
namespace {

TEST(ThumbnailSize, FitsTheLongerSideAndNeverEnlarges) {
  struct Case { QSize image; int maxSide; QSize expected; };
  const Case cases[] = {
      {{6000, 4000}, 256, {256, 171}}, {{4000, 6000}, 128, {85, 128}},
      {{100, 50}, 256, {100, 50}},     {{256, 256}, 256, {256, 256}},
      {{65536, 1}, 256, {256, 1}},     {{1, 65536}, 16, {1, 16}},
      {{257, 3}, 256, {256, 3}},       {{100, 50}, 0, {}},
      {{0, 50}, 256, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(thumbnailSize(c.image, c.maxSide), c.expected)
        << c.image.width() << "x" << c.image.height() << " in " << c.maxSide;
  }
}

// Each thumbnail pixel against the rounded mean of the cells of its box, computed one by one.
TEST(BoxScaled, EveryPixelIsTheMeanOfTheBoxItCovers) {
  std::mt19937 random(7);
  const QSize sizes[][2] = {{{5, 3}, {2, 2}}, {{64, 48}, {64, 48}}, {{97, 13}, {10, 4}},
                            {{300, 1}, {7, 1}}, {{8, 8}, {1, 1}}};
  for (const auto& [from, to] : sizes) {
    Grid grid(std::uint32_t(from.width()), std::uint32_t(from.height()));
    for (PackedColour& cell : grid.cells()) cell = random() & 0xffffffu;
    const QImage image = boxScaled(grid, to);
    ASSERT_EQ(image.size(), to);
    for (int ty = 0; ty < to.height(); ++ty) {
      for (int tx = 0; tx < to.width(); ++tx) {
        const int x0 = tx * from.width() / to.width(), x1 = (tx + 1) * from.width() / to.width();
        const int y0 = ty * from.height() / to.height(), y1 = (ty + 1) * from.height() / to.height();
        std::uint64_t sum[3] = {0, 0, 0};
        for (int x = x0; x < x1; ++x) {
          for (int y = y0; y < y1; ++y) {
            for (int c = 0; c < 3; ++c) sum[c] += (grid.at(x, y) >> (8 * c)) & 0xff;
          }
        }
        const std::uint64_t n = std::uint64_t(x1 - x0) * (y1 - y0);
        const QRgb expected = qRgb(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n),
                                   int((sum[2] + n / 2) / n));
        ASSERT_EQ(image.pixel(tx, ty), expected) << "pixel " << tx << "," << ty;
      }
    }
  }
  Grid small(4, 4);
  EXPECT_TRUE(boxScaled(small, {5, 4}).isNull());  // never enlarges
  EXPECT_TRUE(boxScaled(small, {0, 4}).isNull());
}

class ThumbnailFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

  QString path(const QString& name) const { return QDir(folder_.path()).filePath(name); }

  // A .tq1 file of `width` x `height` with a horizontal colour ramp.
  QString writeRamp(int width, int height) {
    Grid grid{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < height; ++y) grid.at(x, y) = std::uint32_t(x * 255 / width) * 0x010101u;
    }
    CodecContext context;
    context.outputs = CodecOutputs::ResultOnly;
    EXPECT_TRUE(prepareForEncoding(context, std::move(grid), CodecParams{}).ok());
    const QString file = path(QStringLiteral("ramp.tq1"));
    EXPECT_TRUE(encodeFile(context, file.toStdString()).ok());
    return file;
  }

 private:
  QTemporaryDir folder_;
};

TEST_F(ThumbnailFiles, APngOfTheFittedSizeThatFollowsThePicture) {
  const QString input = writeRamp(600, 200);
  const ImageFileResult<QImage> thumbnail = makeThumbnail(input, 128);
  ASSERT_TRUE(thumbnail.ok()) << thumbnail.status.message();
  const QString output = path(QStringLiteral("thumb.png"));
  ASSERT_TRUE(savePng(thumbnail.value, output).ok());
  QImageReader reader(output);
  EXPECT_EQ(reader.format(), "png");
  const QImage read = reader.read();
  ASSERT_EQ(read.size(), QSize(128, 43));
  EXPECT_LT(qGray(read.pixel(0, 20)), 8);      // the dark end of the ramp
  EXPECT_GT(qGray(read.pixel(127, 20)), 245);  // the light end
}

TEST_F(ThumbnailFiles, ADamagedFileOrAnUnwritableOutputLeavesNothing) {
  const QString input = writeRamp(64, 64);
  QFile file(input);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  file.close();
  QFile cut(path(QStringLiteral("cut.tq1")));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(bytes.left(bytes.size() / 2));
  cut.close();
  const ImageFileResult<QImage> damaged = makeThumbnail(cut.fileName(), 32);
  EXPECT_FALSE(damaged.ok());
  EXPECT_FALSE(damaged.status.message().empty());
  EXPECT_FALSE(makeThumbnail(path(QStringLiteral("missing.tq1")), 32).ok());

  const ImageFileResult<QImage> good = makeThumbnail(input, 32);
  ASSERT_TRUE(good.ok());
  const QString nowhere = path(QStringLiteral("no/such/folder/thumb.png"));
  EXPECT_FALSE(savePng(good.value, nowhere).ok());
  EXPECT_FALSE(QFile::exists(nowhere));
  EXPECT_EQ(QDir(path(QString())).entryList(QDir::Files).size(), 2);  // ramp.tq1, cut.tq1
}

}  // namespace
}  // namespace tq1
