// The .tq1 handler of the Qt image plugin: the magic, the size from the header alone, the
// quality mapping of writes, reading back exactly what the codec decodes, and damaged data.
#include "imageplugin/Tq1ImageHandler.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <random>

#include "codec/Codec.h"
#include "codec/FileInfo.h"
#include "imagefile/GridImage.h"

namespace tq1 {
namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// Flat patches with some noise, so that tolerance and smoothing change the result.
QImage patchyPicture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int patch = (x / 8) * 7 + (y / 8) * 13;
      const int noise = static_cast<int>(random() % 9);
      image.setPixel(x, y, qRgb((patch * 37 + noise) % 256, (patch * 91) % 256,
                                (patch * 53 + 2 * noise) % 256));
    }
  }
  return image;
}

QByteArray writeWithHandler(const QImage& image, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  EXPECT_TRUE(buffer.open(QIODevice::WriteOnly));
  Tq1ImageHandler handler;
  handler.setDevice(&buffer);
  if (quality >= 0) handler.setOption(QImageIOHandler::Quality, quality);
  EXPECT_TRUE(handler.write(image)) << handler.errorString().toStdString();
  return bytes;
}

struct ReadResult {
  bool ok = false;
  QImage image;
  QString error;
};

ReadResult readWithHandler(QByteArray bytes) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  Tq1ImageHandler handler;
  handler.setDevice(&buffer);
  ReadResult result;
  result.ok = handler.read(&result.image);
  result.error = handler.errorString();
  return result;
}

TEST(Tq1ImageHandler, QualityMapsToToleranceAndThreeTimesItAsSmoothing) {
  struct Case { int quality, tolerance, smoothing; };
  const Case cases[] = {{100, 0, 0}, {80, 10, 30}, {81, 9, 27}, {1, 49, 147},
                        {0, 50, 150}, {250, 0, 0}, {-1, 0, 0}};
  for (const Case& c : cases) {
    const Tq1WriteParams params = writeParamsForQuality(c.quality);
    EXPECT_EQ(params.tolerance, c.tolerance) << "quality " << c.quality;
    EXPECT_EQ(params.smoothing, c.smoothing) << "quality " << c.quality;
  }
}

TEST(Tq1ImageHandler, WritesAtTheChosenQualityAndReadsBackWhatTheCodecDecodes) {
  const QImage picture = patchyPicture(61, 37, 5);
  const QByteArray bytes = writeWithHandler(picture, 80);
  FileInfo info;
  ASSERT_TRUE(readFileInfo(bytesOf(bytes), info).ok());
  EXPECT_EQ(info.tolerance, 10);
  EXPECT_EQ(info.smoothThreshold, 30);

  const ReadResult read = readWithHandler(bytes);
  ASSERT_TRUE(read.ok) << read.error.toStdString();
  EXPECT_TRUE(read.error.isEmpty());
  CodecContext context;
  ASSERT_TRUE(decodeBytes(context, bytesOf(bytes)).ok());
  const ImageFileResult<QImage> expected = imageFromGrid(context.pixels);
  ASSERT_TRUE(expected.ok());
  EXPECT_EQ(read.image, expected.value);
  EXPECT_NE(read.image, picture);  // tolerance 10 on noisy patches is lossy
}

TEST(Tq1ImageHandler, NoQualityWritesTheFactorySettingsLosslessly) {
  const QImage picture = patchyPicture(40, 33, 9);
  const QByteArray bytes = writeWithHandler(picture, -1);
  FileInfo info;
  ASSERT_TRUE(readFileInfo(bytesOf(bytes), info).ok());
  EXPECT_EQ(info.tolerance, 0);
  EXPECT_EQ(info.smoothThreshold, 0);
  const ReadResult read = readWithHandler(bytes);
  ASSERT_TRUE(read.ok) << read.error.toStdString();
  EXPECT_EQ(read.image, picture.convertToFormat(QImage::Format_RGB32));
}

TEST(Tq1ImageHandler, KnowsTheFileByItsMagicAndKeepsTheDevicePosition) {
  const QByteArray file = writeWithHandler(patchyPicture(9, 9, 1), 100);
  const QByteArray others[] = {QByteArray(), QByteArray("TQ"), QByteArray("BM\x36\0\0\0", 6),
                               QByteArray("TQ\x02\x00", 4) + file.mid(4)};
  QByteArray copy = file;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  EXPECT_TRUE(Tq1ImageHandler::canRead(&buffer));
  EXPECT_EQ(buffer.pos(), 0);
  for (QByteArray other : others) {
    QBuffer otherBuffer(&other);
    otherBuffer.open(QIODevice::ReadOnly);
    EXPECT_FALSE(Tq1ImageHandler::canRead(&otherBuffer)) << other.left(4).toHex().toStdString();
  }
  EXPECT_FALSE(Tq1ImageHandler::canRead(nullptr));
}

TEST(Tq1ImageHandler, TellsTheSizeFromTheHeaderWithoutTheRestOfTheFile) {
  const QByteArray file = writeWithHandler(patchyPicture(300, 7, 2), 90);
  QByteArray header = file.left(37);
  QBuffer buffer(&header);
  buffer.open(QIODevice::ReadOnly);
  Tq1ImageHandler handler;
  handler.setDevice(&buffer);
  EXPECT_TRUE(handler.supportsOption(QImageIOHandler::Size));
  EXPECT_EQ(handler.option(QImageIOHandler::Size).toSize(), QSize(300, 7));
  EXPECT_EQ(buffer.pos(), 0);
  QImage image;
  EXPECT_FALSE(handler.read(&image));  // the tables and tokens are missing
  EXPECT_TRUE(image.isNull());

  QByteArray shorter = file.left(36);
  QBuffer shortBuffer(&shorter);
  shortBuffer.open(QIODevice::ReadOnly);
  handler.setDevice(&shortBuffer);
  EXPECT_FALSE(handler.option(QImageIOHandler::Size).isValid());
}

// Every cut of a file and bytes flipped throughout it: a failure leaves a null image and says
// why; whatever decodes matches the codec.
TEST(Tq1ImageHandler, DamagedFilesGiveANullImageAndAMessage) {
  const QByteArray file = writeWithHandler(patchyPicture(45, 29, 3), 70);
  for (qsizetype length = 0; length < file.size(); length += 1 + length / 16) {
    const ReadResult read = readWithHandler(file.left(length));
    EXPECT_FALSE(read.ok) << "cut at " << length;
    EXPECT_TRUE(read.image.isNull()) << "cut at " << length;
    EXPECT_FALSE(read.error.isEmpty()) << "cut at " << length;
  }
  std::mt19937 random(11);
  for (int trial = 0; trial < 200; ++trial) {
    QByteArray damaged = file;
    const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(file.size()));
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
    const ReadResult read = readWithHandler(damaged);
    CodecContext context;
    const bool decodes = decodeBytes(context, bytesOf(damaged)).ok();
    EXPECT_EQ(read.ok, decodes) << "byte " << at;
    EXPECT_EQ(read.image.isNull(), !read.ok) << "byte " << at;
    EXPECT_EQ(read.error.isEmpty(), read.ok) << "byte " << at;
  }
}

// A header may declare far more pixels than the data holds or the program allows: the read is
// refused before anything of that size is allocated.
TEST(Tq1ImageHandler, RefusesImagesAboveTheLimitsBeforeDecoding) {
  QByteArray file = writeWithHandler(patchyPicture(16, 16, 4), 100);
  QByteArray huge = file;
  for (int k = 4; k < 8; ++k) huge[k] = '\xff';  // 65536 x 65536
  const ReadResult hugeRead = readWithHandler(huge);
  EXPECT_FALSE(hugeRead.ok);
  EXPECT_FALSE(hugeRead.error.isEmpty());

  const QByteArray big = writeWithHandler(patchyPicture(1024, 600, 6), 100);
  const int savedLimit = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(1);  // MiB: below 1024 x 600 x 4 bytes
  const ReadResult limited = readWithHandler(big);
  QImageReader::setAllocationLimit(savedLimit);
  EXPECT_FALSE(limited.ok);
  EXPECT_TRUE(limited.error.contains(QStringLiteral("allocation limit")));
  EXPECT_TRUE(readWithHandler(big).ok);
}

}  // namespace
}  // namespace tq1
