// Bitmaps from elsewhere and bitmaps saved here: cut and damaged files load or fail cleanly,
// images at the side limit load and beyond it are refused clearly, and a failed save keeps
// the old file.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "ImageTestHelpers.h"
#include "ResourceLimits.h"
#include "TestData.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/ImageLoad.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1 {
namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray asQBytes(const Bytes& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

Bytes bitmapOf(const Grid& grid) {
  auto result = encodeBitmap(grid);
  EXPECT_TRUE(result.ok()) << result.status.message();
  return result.value;
}

class BitmapDamage : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  // Loads `bytes` from a file the way the command line and the batch do.
  ImageFileResult<Grid> load(const QByteArray& bytes, const ImageLimits& limits = {}) {
    const QString path = dir_.filePath("input.bmp");
    EXPECT_TRUE(testing::writeBytes(path, bytes));
    return loadGridFile(path, limits);
  }

  QTemporaryDir dir_;
};

// A loaded image is never larger than the limits, and a failure always says something.
void expectSound(const ImageFileResult<Grid>& result, const ImageLimits& limits,
                 const std::string& what) {
  if (!result.ok()) {
    EXPECT_FALSE(result.status.message().empty()) << what;
    EXPECT_TRUE(result.value.empty()) << what;
    return;
  }
  EXPECT_FALSE(result.value.empty()) << what;
  EXPECT_TRUE(limits.fits(result.value.width(), result.value.height())) << what;
}

TEST_F(BitmapDamage, EveryTruncationOfASavedBitmapFailsCleanly) {
  const Grid image = testing::randomGrid(7, 5, 1);
  const Bytes file = bitmapOf(image);
  for (std::size_t length = 0; length < file.size(); ++length) {
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    const auto direct = readPlainBitmap(cut);
    EXPECT_FALSE(direct && direct->ok()) << length;
    const auto result = load(asQBytes(cut));
    expectSound(result, ImageLimits{}, "cut to " + std::to_string(length));
    EXPECT_FALSE(result.ok()) << length;
    // With the headers whole, the direct reader and the loader both name the cut.
    if (length >= kBitmapHeaderBytes) {
      ASSERT_TRUE(direct.has_value()) << length;
      EXPECT_EQ(direct->status.error(), ImageFileError::PixelDataCutShort) << length;
      EXPECT_EQ(result.status.error(), ImageFileError::PixelDataCutShort) << length;
    }
  }
}

TEST_F(BitmapDamage, EveryBitFlipInTheHeadersLoadsOrFailsCleanly) {
  const ImageLimits limits{4096, std::uint64_t{1} << 22};
  std::vector<std::pair<std::string, Bytes>> files{{"saved 7x5", bitmapOf(testing::randomGrid(7, 5, 2))}};
  if (const auto data = testing::testDataDir()) {
    for (const char* name : {"g/pal8.bmp", "g/rgb16.bmp", "g/pal4rle.bmp", "g/rgb32bf.bmp"}) {
      const Bytes bytes = testing::fileBytes(QString::fromStdString((*data / "bmpsuite" / name).string()));
      if (!bytes.empty()) files.emplace_back(name, bytes);
    }
  }
  for (const auto& [name, bytes] : files) {
    const std::size_t headerBits = std::min<std::size_t>(bytes.size(), 54 + 64) * 8;
    for (std::size_t bit = 0; bit < headerBits; ++bit) {
      Bytes damaged = bytes;
      damaged[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
      expectSound(load(asQBytes(damaged), limits), limits, name + ", bit " + std::to_string(bit));
    }
  }
}

TEST_F(BitmapDamage, ImagesAtTheSideLimitLoadAndEncode) {
  for (const auto& [w, h] : {std::pair{65536u, 1u}, std::pair{1u, 65536u}}) {
    const Grid image = testing::randomGrid(w, h, w);
    const auto loaded = load(asQBytes(bitmapOf(image)));
    ASSERT_TRUE(loaded.ok()) << loaded.status.message();
    ASSERT_EQ(loaded.value, image);
    CodecContext encoded;
    ASSERT_TRUE(prepareForEncoding(encoded, loaded.value, CodecParams{}).ok());
    ASSERT_TRUE(encodeToBytes(encoded).ok());
    CodecContext decoded;
    ASSERT_TRUE(decodeBytes(decoded, encoded.stream).ok());
    EXPECT_EQ(decoded.pixels, image);
  }
}

TEST_F(BitmapDamage, ImagesBeyondTheSideLimitAreRefusedWithTheirSize) {
  // A complete 65537 x 1 file, and headers alone that declare far more than any file holds.
  Bytes wide = bitmapOf(testing::randomGrid(65536, 1, 9));
  wide.insert(wide.end(), {1, 2, 3});
  wide[18] = 0x01;  // width 65537 (0x00010001)
  wide[19] = 0x00;
  wide[20] = 0x01;
  Bytes huge = bitmapOf(Grid(1, 1));
  for (const std::size_t at : {std::size_t{18}, std::size_t{22}}) {
    huge[at] = 0xA0;
    huge[at + 1] = 0x86;
    huge[at + 2] = 0x01;  // 100000
  }
  const auto tooWide = load(asQBytes(wide));
  EXPECT_EQ(tooWide.status.error(), ImageFileError::ImageTooLarge) << tooWide.status.message();
  EXPECT_NE(tooWide.status.message().find("65537 x 1"), std::string::npos) << tooWide.status.message();
  // Qt's reader may already reject the inconsistent header itself; either way nothing loads.
  const auto tooBig = load(asQBytes(huge));
  EXPECT_TRUE(tooBig.status.error() == ImageFileError::ImageTooLarge ||
              tooBig.status.error() == ImageFileError::InvalidData)
      << tooBig.status.message();
}

TEST_F(BitmapDamage, AFullDiskKeepsTheOldBitmapEvenForSmallFiles) {
  const QString path = dir_.filePath("keep.bmp");
  const QByteArray old(3000, 'k');
  ASSERT_TRUE(testing::writeBytes(path, old));
  // 4854 bytes: small enough to sit whole in the writer's buffer when the disk fills up.
  const Grid image = testing::randomGrid(40, 40, 4);
  ImageFileStatus status;
  {
    testing::FileSizeLimit limit(4096);
    if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
    status = writeBitmapFile(path, image);
  }
  EXPECT_EQ(status.error(), ImageFileError::FileWriteFailed) << status.message();
  EXPECT_EQ(testing::fileBytes(path), Bytes(old.begin(), old.end()));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bmp"});
}

TEST_F(BitmapDamage, AFolderWhereTheBitmapShouldBeIsReportedAndKept) {
  const QString path = dir_.filePath("taken.bmp");
  ASSERT_TRUE(QDir(dir_.path()).mkpath("taken.bmp/inside"));
  const ImageFileStatus status = writeBitmapFile(path, testing::randomGrid(3, 3, 5));
  EXPECT_EQ(status.error(), ImageFileError::FileWriteFailed);
  EXPECT_TRUE(QDir(path + "/inside").exists());
}

TEST_F(BitmapDamage, NamesOfTheLongestLengthCanBeSaved) {
  for (const QString& name : {QString(251, QChar('b')) + ".bmp", QString(120, QChar(u'ё')) + " «1».bmp"}) {
    const QString path = dir_.filePath(name);
    const Grid image = testing::randomGrid(5, 3, 6);
    const ImageFileStatus status = writeBitmapFile(path, image);
    ASSERT_TRUE(status.ok()) << status.message();
    const auto loaded = loadGridFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.status.message();
    EXPECT_EQ(loaded.value, image);
  }
}

}  // namespace
}  // namespace tq1
