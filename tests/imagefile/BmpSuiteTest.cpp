// The shared collection of good, questionable and bad bitmap files: good ones load with the
// reference pixels and survive a write and reload, bad ones are refused with the cause named,
// and every refusal is a clean error.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "TestData.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"
#include "imagefile/Rgb32Colour.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;

QString qPath(const fs::path& path) { return QString::fromStdString(path.string()); }

std::set<std::string> bitmapsIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".bmp") names.insert(entry.path().filename().string());
  }
  return names;
}

// A good file, the suite's reference rendering of it, and the bits its red, green and blue
// are stored with when fewer than 8.
struct GoodFile {
  const char* name;
  const char* reference;
  int redBits = 8, greenBits = 8, blueBits = 8;
};

const GoodFile kGoodFiles[] = {
    {"pal1.bmp", "pal1.png"},          {"pal1wb.bmp", "pal1.png"},
    {"pal1bg.bmp", "pal1bg.png"},      {"pal4.bmp", "pal4.png"},
    {"pal4gs.bmp", "pal4gs.png"},      {"pal4rle.bmp", "pal4.png"},
    {"pal8.bmp", "pal8.png"},          {"pal8-0.bmp", "pal8.png"},
    {"pal8gs.bmp", "pal8gs.png"},      {"pal8rle.bmp", "pal8.png"},
    {"pal8w126.bmp", "pal8w126.png"},  {"pal8w125.bmp", "pal8w125.png"},
    {"pal8w124.bmp", "pal8w124.png"},  {"pal8topdown.bmp", "pal8.png"},
    {"pal8os2.bmp", "pal8.png"},       {"pal8v4.bmp", "pal8.png"},
    {"pal8v5.bmp", "pal8.png"},        {"rgb24.bmp", "rgb24.png"},
    {"rgb24pal.bmp", "rgb24.png"},     {"rgb32.bmp", "rgb24.png"},
    {"rgb32bfdef.bmp", "rgb24.png"},   {"rgb32bf.bmp", "rgb24.png"},
    // Pixels are kept as stored, not stretched to the stated aspect ratio.
    {"pal8nonsquare.bmp", "pal8nonsquare-e.png"},
    {"rgb16.bmp", "rgb16.png", 5, 5, 5},
    {"rgb16bfdef.bmp", "rgb16.png", 5, 5, 5},
    {"rgb16-565.bmp", "rgb16-565.png", 5, 6, 5},
    {"rgb16-565pal.bmp", "rgb16-565.png", 5, 6, 5},
};

// The references stretch an n-bit value v over 0-255; Qt's reader widens it to v << (8 - n)
// (5-bit white becomes 248). Both keep v in the top n bits, so this is what the loader gives.
int asQtWidens(int referenceValue, int bits) {
  const int shift = 8 - bits;
  return (referenceValue >> shift) << shift;
}

QRgb expectedPixel(QRgb reference, const GoodFile& file) {
  return qRgb(asQtWidens(qRed(reference), file.redBits),
              asQtWidens(qGreen(reference), file.greenBits),
              asQtWidens(qBlue(reference), file.blueBits));
}

TEST(BmpSuite, EveryGoodFileLoadsWithTheReferencePixels) {
  TQ1_REQUIRE_TESTDATA(data);
  const fs::path root = data / "bmpsuite";
  std::set<std::string> listed;
  for (const GoodFile& file : kGoodFiles) {
    SCOPED_TRACE(file.name);
    listed.insert(file.name);
    const auto loaded = loadImageFile(qPath(root / "g" / file.name));
    ASSERT_TRUE(loaded.ok()) << loaded.status.message();
    const QImage reference = QImage(qPath(root / "html" / file.reference))
                                 .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull());
    ASSERT_EQ(loaded.value.size(), reference.size());
    int wrong = 0;
    for (int y = 0; y < reference.height(); ++y) {
      for (int x = 0; x < reference.width(); ++x) {
        const QRgb want = expectedPixel(reference.pixel(x, y), file);
        const QRgb got = loaded.value.pixel(x, y);
        if (got != want && ++wrong <= 3) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got
                        << ", expected " << want;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_EQ(listed, bitmapsIn(root / "g")) << "a good file without a reference in this test";
}

// Loading into a grid and writing the grid gives a file of the same size whose pixels are
// those the loader delivered.
TEST(BmpSuite, GoodFilesSurviveWritingAndReloading) {
  TQ1_REQUIRE_TESTDATA(data);
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());
  for (const std::string& name : bitmapsIn(data / "bmpsuite" / "g")) {
    SCOPED_TRACE(name);
    const auto grid = loadGridFile(qPath(data / "bmpsuite" / "g" / name));
    ASSERT_TRUE(grid.ok()) << grid.status.message();
    const QString copy = out.filePath(QString::fromStdString(name));
    const ImageFileStatus written = writeBitmapFile(copy, grid.value);
    ASSERT_TRUE(written.ok()) << written.message();
    const auto again = loadGridFile(copy);
    ASSERT_TRUE(again.ok()) << again.status.message();
    EXPECT_TRUE(again.value == grid.value);
  }
}

// Loads one file of the collection and checks the outcome is clean either way: an RGB32 image
// of a sane size, or a null image with a message. Returns whether it loaded.
bool loadsCleanly(const fs::path& path, ImageFileError& error) {
  const auto result = loadImageFile(qPath(path));
  error = result.status.error();
  if (!result.ok()) {
    EXPECT_TRUE(result.value.isNull());
    EXPECT_FALSE(result.status.message().empty());
    EXPECT_TRUE(error == ImageFileError::InvalidData ||
                error == ImageFileError::UnsupportedFormat ||
                error == ImageFileError::ImageTooLarge || isBitmapDamage(error))
        << result.status.message();
    return false;
  }
  EXPECT_EQ(result.value.format(), QImage::Format_RGB32);
  EXPECT_TRUE(ImageLimits{}.fits(static_cast<std::uint64_t>(result.value.width()),
                                 static_cast<std::uint64_t>(result.value.height())));
  // Whatever loaded must also convert and encode.
  const auto grid = gridFromImage(result.value);
  EXPECT_TRUE(grid.ok());
  EXPECT_TRUE(encodeBitmap(grid.value).ok());
  return true;
}

// Every bad file is refused, but for those whose only fault is in fields no pixel depends on:
// headers that make decoding impossible by the readers, damaged pixel data by the check that
// names the damage. The refusals are printed for the record.
TEST(BmpSuite, BadFilesAreRefusedUnlessOnlyTheirMetadataIsWrong) {
  TQ1_REQUIRE_TESTDATA(data);
  using E = ImageFileError;
  const std::map<std::string, ImageFileError> damaged = {
      {"badrle.bmp", E::RunLengthPastRow},        {"badrle4.bmp", E::RunLengthPastRow},
      {"badrle4bis.bmp", E::RunLengthPastRow},    {"badrle4ter.bmp", E::RunLengthPastRow},
      {"badrlebis.bmp", E::RunLengthPastRow},     {"badrleter.bmp", E::RunLengthPastRow},
      {"pal8badindex.bmp", E::PaletteIndexOutside}, {"rgb16-880.bmp", E::BitFieldEmpty},
      {"rletopdown.bmp", E::RunLengthTopDown},    {"shortfile.bmp", E::PixelDataCutShort},
  };
  const std::set<std::string> undecodable = {"badbitcount.bmp", "badheadersize.bmp",
                                             "badpalettesize.bmp", "badplanes.bmp",
                                             "badwidth.bmp", "reallybig.bmp"};
  // Copies of g/pal1.bmp with a wrong image size, density or file size.
  const std::set<std::string> metadataOnly = {"badbitssize.bmp", "baddens1.bmp", "baddens2.bmp",
                                              "badfilesize.bmp"};
  const QImage pal1 = loadImageFile(qPath(data / "bmpsuite" / "g" / "pal1.bmp")).value;
  for (const std::string& name : bitmapsIn(data / "bmpsuite" / "b")) {
    SCOPED_TRACE(name);
    const fs::path path = data / "bmpsuite" / "b" / name;
    ImageFileError error{};
    const bool loaded = loadsCleanly(path, error);
    std::cout << "  b/" << name << ": "
              << (loaded ? "loaded" : loadImageFile(qPath(path)).status.message()) << "\n";
    if (const auto expected = damaged.find(name); expected != damaged.end()) {
      EXPECT_EQ(error, expected->second) << imageFileErrorName(error);
    } else if (undecodable.contains(name)) {
      EXPECT_FALSE(loaded);
      EXPECT_FALSE(isBitmapDamage(error));
    } else if (metadataOnly.contains(name)) {
      ASSERT_TRUE(loaded);
      EXPECT_EQ(loadImageFile(qPath(path)).value, pal1);
    } else {
      ADD_FAILURE() << "a bad file this test does not know";
    }
  }
}

// Questionable files may go either way; what loads has the collection's 127 x 64 size.
TEST(BmpSuite, QuestionableFilesLoadOrFailCleanly) {
  TQ1_REQUIRE_TESTDATA(data);
  int loadedCount = 0;
  for (const std::string& name : bitmapsIn(data / "bmpsuite" / "q")) {
    SCOPED_TRACE(name);
    const fs::path path = data / "bmpsuite" / "q" / name;
    ImageFileError error{};
    if (!loadsCleanly(path, error)) {
      // Refused for a variant the readers lack, never taken for damaged.
      EXPECT_FALSE(isBitmapDamage(error)) << imageFileErrorName(error);
      continue;
    }
    ++loadedCount;
    EXPECT_EQ(loadImageFile(qPath(path)).value.size(), QSize(127, 64));
  }
  EXPECT_GT(loadedCount, 0);
  ImageFileError error{};
  loadsCleanly(data / "bmpsuite" / "x" / "ba-bm.bmp", error);
}

}  // namespace
}  // namespace tq1
