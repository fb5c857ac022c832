// Damaged bitmaps are refused with the damage named, by every way of loading them alike (the
// direct reader the command line uses, the grid loader of the batch, the image loader of the
// view), while sound files of the same variants load with the pixels they store.
#include "imagefile/BitmapCheck.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "BitmapBuilder.h"
#include "ImageTestHelpers.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/ImageLoad.h"
#include "imagefile/PlainBitmapReader.h"
#include "imagefile/Rgb32Colour.h"

namespace tq1 {
namespace {

using testing::BitmapBytes;
using testing::BitmapSpec;
using testing::buildBitmap;
using testing::indexedRows;

constexpr std::uint32_t kNone = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

QRgb paletteRgb(std::uint32_t i) {
  const testing::PaletteColour colour = testing::paletteColour(i);
  return qRgb(colour.red, colour.green, colour.blue);
}

class BitmapCheck : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString write(const BitmapBytes& bytes) {
    const QString path = dir_.filePath("damaged «файл».bmp");
    EXPECT_TRUE(testing::writeBytes(
        path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))));
    return path;
  }

  // Every loader refuses the file with `error`, says `detail`, and the loaders that read files
  // name the file.
  void expectRefused(const BitmapBytes& bytes, ImageFileError error, const std::string& detail) {
    const ImageFileStatus checked = checkBitmapStructure(bytes);
    EXPECT_EQ(checked.error(), error) << checked.message();
    EXPECT_NE(checked.message().find(detail), std::string::npos) << checked.message();

    const auto plain = readPlainBitmap(bytes);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->status.error(), error);
    EXPECT_TRUE(plain->value.empty());

    const QString path = write(bytes);
    const auto grid = loadGridFile(path);
    const auto image = loadImageFile(path);
    for (const ImageFileStatus* status : {&grid.status, &image.status}) {
      EXPECT_EQ(status->error(), error) << status->message();
      EXPECT_EQ(status->message(), path.toStdString() + ": " + checked.message());
    }
    EXPECT_TRUE(grid.value.empty());
    EXPECT_TRUE(image.value.isNull());
  }

  // The file passes the check and both loaders give the same image, which is returned.
  QImage expectLoads(const BitmapBytes& bytes) {
    const ImageFileStatus checked = checkBitmapStructure(bytes);
    EXPECT_TRUE(checked.ok()) << checked.message();
    const QString path = write(bytes);
    const auto image = loadImageFile(path);
    const auto grid = loadGridFile(path);
    EXPECT_TRUE(image.ok()) << image.status.message();
    EXPECT_TRUE(grid.ok()) << grid.status.message();
    if (!image.ok() || !grid.ok()) return {};
    for (int y = 0; y < image.value.height(); ++y) {
      for (int x = 0; x < image.value.width(); ++x) {
        EXPECT_EQ(grid.value.at(x, y), packedFromRgb32(image.value.pixel(x, y))) << x << ", " << y;
      }
    }
    return image.value;
  }

  void expectPixels(const QImage& image, const std::vector<std::vector<QRgb>>& rows) {
    ASSERT_EQ(image.height(), int(rows.size()));
    for (int y = 0; y < image.height(); ++y) {
      ASSERT_EQ(image.width(), int(rows[y].size()));
      for (int x = 0; x < image.width(); ++x) {
        EXPECT_EQ(image.pixel(x, y), rows[y][x]) << "pixel (" << x << ", " << y << ")";
      }
    }
  }

  QTemporaryDir dir_;
};

BitmapSpec indexedSpec(std::int32_t width, std::int32_t height, std::uint16_t bits,
                       std::uint32_t entries, std::uint8_t seed) {
  std::vector<std::vector<std::uint8_t>> indexes(std::size_t(std::abs(height)));
  for (std::size_t y = 0; y < indexes.size(); ++y) {
    for (std::int32_t x = 0; x < width; ++x) indexes[y].push_back((x + y + seed) % entries);
  }
  return {width, height, bits, kNone, entries, {}, indexedRows(indexes, bits)};
}

BitmapSpec directSpec(std::int32_t width, std::int32_t height, std::uint16_t bits,
                      std::vector<std::uint32_t> masks = {}) {
  const std::size_t rowBytes = (std::size_t(width) * bits + 31) / 32 * 4;
  BitmapBytes pixels(rowBytes * std::size_t(height));
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 37 + 11);
  return {width, height, bits, masks.empty() ? kNone : kBitFields, 0, std::move(masks),
          std::move(pixels)};
}

TEST_F(BitmapCheck, PixelDataCutAnywhereIsRefused) {
  const std::pair<const char*, BitmapSpec> specs[] = {
      {"24-bit", directSpec(5, 4, 24)},
      {"32-bit", directSpec(3, 3, 32)},
      {"16-bit masks", directSpec(3, 4, 16, {0xF800, 0x07E0, 0x001F})},
      {"8-bit", indexedSpec(5, 4, 8, 7, 0)},
      {"4-bit", indexedSpec(5, 4, 4, 16, 0)},
      {"1-bit top-down", indexedSpec(9, -3, 1, 2, 0)},
  };
  for (const auto& [name, spec] : specs) {
    SCOPED_TRACE(name);
    const BitmapBytes whole = buildBitmap(spec);
    expectLoads(whole);
    const std::size_t rows = std::size_t(std::abs(spec.height));
    const std::size_t rowBytes = spec.pixels.size() / rows;
    const std::size_t start = whole.size() - spec.pixels.size();
    // Cut at the first pixel byte, inside the first row, after one row, and one byte short of
    // the end, which for most of these is in the last row's padding: a reader drops a row
    // that is not all there, padding or not.
    for (const std::size_t end : {start, start + 1, start + rowBytes, whole.size() - 1}) {
      SCOPED_TRACE(end);
      const BitmapBytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(end));
      const std::size_t held = (end - start) / rowBytes;
      expectRefused(cut, ImageFileError::PixelDataCutShort,
                    "holds " + std::to_string(held) + " of the image's " + std::to_string(rows) +
                        " rows");
    }
  }
}

TEST_F(BitmapCheck, FieldsNoPixelDependsOnMayBeWrong) {
  const BitmapBytes sound = buildBitmap(indexedSpec(6, 3, 8, 5, 1));
  const QImage image = expectLoads(sound);
  BitmapBytes odd = sound;
  testing::putLe(odd, 2, 0xFFFFFF00u, 4);   // file size
  testing::putLe(odd, 34, 0x7FFFFFFFu, 4);  // image size
  testing::putLe(odd, 38, 1, 4);            // density, pixels per metre across
  testing::putLe(odd, 42, 0xFFFFFFFFu, 4);  // and down
  EXPECT_EQ(expectLoads(odd), image);
}

TEST_F(BitmapCheck, RunLengthCodesLoadAsStored) {
  const QRgb c0 = paletteRgb(0), c1 = paletteRgb(1), c2 = paletteRgb(2), c3 = paletteRgb(3),
             c4 = paletteRgb(4);
  // 5 x 3, bottom row first: a run and a literal of 3 with its padding byte; the end of the
  // row; a run, then a move of one right and one up, leaving pixels out; a run; the end.
  const BitmapBytes rle8{2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 2, 4, 0, 2, 1, 1, 2, 1, 0, 1};
  const std::vector<std::vector<QRgb>> picture{
      {c0, c0, c0, c1, c1}, {c4, c4, c0, c0, c0}, {c1, c1, c2, c3, c4}};
  expectPixels(expectLoads(buildBitmap({5, 3, 8, kRle8, 5, {}, rle8})), picture);

  // The same picture in four bits: runs alternate the two halves of their byte, and a literal
  // of 3 takes two bytes, already an even number.
  const BitmapBytes rle4{2, 0x11, 0, 3, 0x23, 0x40, 0, 0, 2, 0x44, 0, 2, 1, 1, 2, 0x11, 0, 1};
  expectPixels(expectLoads(buildBitmap({5, 3, 4, kRle4, 5, {}, rle4})), picture);

  // Codes that end without the end mark once every row is filled are whole.
  expectPixels(expectLoads(buildBitmap({2, 2, 8, kRle8, 3, {}, {2, 1, 0, 0, 2, 2}})),
               {{c2, c2}, {c1, c1}});

  // An early end leaves pixels out on purpose; they are palette entry 0, the same every time.
  const BitmapSpec early{4, 3, 8, kRle8, 3, {}, {4, 2, 0, 0, 1, 1, 0, 1}};
  const QImage first = expectLoads(buildBitmap(early));
  expectPixels(first, {{c0, c0, c0, c0}, {c1, c0, c0, c0}, {c2, c2, c2, c2}});
  for (int again = 0; again < 3; ++again) EXPECT_EQ(expectLoads(buildBitmap(early)), first);
}

TEST_F(BitmapCheck, RunLengthDamageIsNamed) {
  struct Case {
    const char* what;
    BitmapSpec spec;
    ImageFileError error;
    std::string detail;
  };
  using E = ImageFileError;
  const Case cases[] = {
      {"run past the row", {4, 2, 8, kRle8, 2, {}, {3, 1, 2, 0, 0, 1}}, E::RunLengthPastRow,
       "2 pixels at (3, 1) runs past the end of the row"},
      {"literal past the row", {4, 2, 8, kRle8, 2, {}, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}},
       E::RunLengthPastRow, "5 pixels at (0, 1)"},
      {"four-bit run past the row", {3, 1, 4, kRle4, 2, {}, {4, 0x11, 0, 1}},
       E::RunLengthPastRow, "4 pixels at (0, 0)"},
      {"four-bit literal past the row", {3, 1, 4, kRle4, 2, {}, {0, 4, 0x11, 0x11, 0, 1}},
       E::RunLengthPastRow, "4 pixels at (0, 0)"},
      {"move past the row", {4, 2, 8, kRle8, 2, {}, {2, 1, 0, 2, 3, 0, 0, 1}},
       E::RunLengthPastRow, "move of 3 pixels from (2, 1)"},
      {"move past the image", {4, 2, 8, kRle8, 2, {}, {0, 2, 0, 3, 0, 1}},
       E::RunLengthPastImage, "move of 3 rows from (0, 1)"},
      {"pixels past the last row", {4, 1, 8, kRle8, 2, {}, {4, 1, 0, 0, 2, 1, 0, 1}},
       E::RunLengthPastImage, "past the last row"},
      {"ends before the last row", {4, 2, 8, kRle8, 2, {}, {4, 1, 0, 0}},
       E::RunLengthEndsEarly, "complete: pixel (0, 0) and those after it are missing"},
      {"ends inside a literal", {4, 2, 8, kRle8, 2, {}, {0, 4, 1, 1}}, E::RunLengthEndsEarly,
       "inside a code: pixel (0, 1)"},
      {"ends inside a move", {4, 2, 8, kRle8, 2, {}, {0, 2, 1}}, E::RunLengthEndsEarly,
       "inside a code"},
      {"no codes at all", {4, 2, 8, kRle8, 2, {}, {}}, E::RunLengthEndsEarly, "pixel (0, 1)"},
      {"ends at the end of a row", {4, 2, 8, kRle8, 2, {}, {4, 1}}, E::RunLengthEndsEarly,
       "pixel (0, 0) and those after it"},
      {"stored top-down", {4, -2, 8, kRle8, 2, {}, {4, 1, 0, 0, 4, 1, 0, 1}},
       E::RunLengthTopDown, "top-down"},
      {"four-bit top-down", {4, -1, 4, kRle4, 2, {}, {4, 0x11, 0, 1}}, E::RunLengthTopDown,
       "top-down"},
      {"run of a colour past the palette", {4, 1, 8, kRle8, 2, {}, {1, 1, 3, 2, 0, 1}},
       E::PaletteIndexOutside, "pixel (1, 0) uses palette entry 2, but the palette has 2"},
      {"four-bit run's second colour past the palette", {4, 1, 4, kRle4, 3, {}, {2, 0x13, 0, 1}},
       E::PaletteIndexOutside, "pixel (1, 0) uses palette entry 3"},
      {"literal colour past the palette", {4, 1, 8, kRle8, 2, {}, {0, 3, 1, 0, 7, 0, 0, 1}},
       E::PaletteIndexOutside, "pixel (2, 0) uses palette entry 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectRefused(buildBitmap(c.spec), c.error, c.detail);
  }
}

// Codes cut anywhere before the last row is filled are refused; from there on they are whole.
TEST_F(BitmapCheck, RunLengthCodesCutAtEveryByte) {
  const BitmapBytes codes{0, 3, 1, 2, 1, 0, 1, 1, 0, 0, 2, 2, 0, 2, 2, 1, 0, 0, 0, 1};
  constexpr std::size_t kComplete = 16;  // after the move that takes them past the top row
  for (std::size_t length = 0; length <= codes.size(); ++length) {
    SCOPED_TRACE(length);
    const BitmapSpec spec{4, 2, 8, kRle8, 3, {}, BitmapBytes(codes.begin(), codes.begin() + length)};
    if (length < kComplete) {
      EXPECT_EQ(checkBitmapStructure(buildBitmap(spec)).error(), ImageFileError::RunLengthEndsEarly);
    } else {
      expectLoads(buildBitmap(spec));
    }
  }
}

TEST_F(BitmapCheck, PaletteIndexesPastThePaletteAreRefused) {
  const QRgb c0 = paletteRgb(0), c1 = paletteRgb(1), c2 = paletteRgb(2);
  // Indexes up to the last entry are fine.
  expectPixels(expectLoads(buildBitmap({3, 2, 8, kNone, 3, {}, indexedRows({{0, 1, 2}, {2, 1, 0}}, 8)})),
               {{c0, c1, c2}, {c2, c1, c0}});
  struct Case {
    const char* what;
    BitmapSpec spec;
    std::string detail;
  };
  const Case cases[] = {
      {"8-bit", {3, 2, 8, kNone, 3, {}, indexedRows({{0, 1, 2}, {2, 3, 0}}, 8)},
       "pixel (1, 1) uses palette entry 3, but the palette has 3 entries"},
      // Stored top row first: the second row given here is the image's top row.
      {"8-bit top-down", {3, -2, 8, kNone, 3, {}, indexedRows({{5, 1, 0}, {0, 1, 2}}, 8)},
       "pixel (0, 1)"},
      {"4-bit", {5, 1, 4, kNone, 9, {}, indexedRows({{0, 8, 1, 2, 15}}, 4)},
       "pixel (4, 0) uses palette entry 15, but the palette has 9 entries"},
      {"1-bit with one colour", {9, 1, 1, kNone, 1, {}, indexedRows({{0, 0, 0, 0, 0, 0, 0, 0, 1}}, 1)},
       "pixel (8, 0) uses palette entry 1, but the palette has 1 entries"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectRefused(buildBitmap(c.spec), ImageFileError::PaletteIndexOutside, c.detail);
  }
}

TEST_F(BitmapCheck, ColourMasksMustHoldBitsOfTheirOwn) {
  expectLoads(buildBitmap(directSpec(3, 2, 16, {0x7C00, 0x03E0, 0x001F})));
  expectLoads(buildBitmap(directSpec(3, 2, 32, {0xFF0000, 0xFF00, 0xFF})));
  expectRefused(buildBitmap(directSpec(3, 2, 16, {0x7C00, 0x07E0, 0x001F})),
                ImageFileError::BitFieldsOverlap, "the red and green bit fields share bits");
  expectRefused(buildBitmap(directSpec(3, 2, 32, {0xFF0000, 0xFF00, 0x1FF})),
                ImageFileError::BitFieldsOverlap, "the green and blue");
  expectRefused(buildBitmap(directSpec(3, 2, 16, {0xF800, 0, 0x001F})),
                ImageFileError::BitFieldEmpty, "the green bit field is empty");
  expectRefused(buildBitmap(directSpec(3, 2, 16, {0, 0, 0})), ImageFileError::BitFieldEmpty,
                "the red bit field");
}

// What the check leaves alone goes on to the readers, which judge it as before.
TEST_F(BitmapCheck, LeavesOtherFilesToTheReaders) {
  EXPECT_TRUE(checkBitmapStructure({}).ok());
  const BitmapBytes text{'h', 'e', 'l', 'l', 'o'};
  EXPECT_TRUE(checkBitmapStructure(text).ok());
  BitmapBytes headerCut = buildBitmap(directSpec(3, 2, 24));
  headerCut.resize(40);
  EXPECT_TRUE(checkBitmapStructure(headerCut).ok());
  // Beyond the limits: the loaders refuse it for its size, however little data it holds.
  BitmapBytes huge = buildBitmap(directSpec(1, 1, 24));
  testing::putLe(huge, 18, 70000, 4);
  EXPECT_TRUE(checkBitmapStructure(huge).ok());
  EXPECT_EQ(loadGridFile(write(huge)).status.error(), ImageFileError::ImageTooLarge);
  BitmapBytes cut = buildBitmap(indexedSpec(3, 2, 8, 3, 0));
  cut.pop_back();
  cut.pop_back();
  ImageLimits small;
  small.maxPixels = 5;
  EXPECT_TRUE(checkBitmapStructure(cut, small).ok());
  EXPECT_EQ(checkBitmapStructure(cut).error(), ImageFileError::PixelDataCutShort);
}

}  // namespace
}  // namespace tq1
