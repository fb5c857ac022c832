// The JSON text of info --json, and the check that tells an image cut short on its way in.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <random>

#include "cli/CutImage.h"
#include "cli/InfoJson.h"
#include "imagefile/BitmapEncoding.h"

namespace tq1::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(InfoJson, StringsAreEscapedAndAlwaysValidUtf8) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain.tq1", R"("plain.tq1")"},
      {"a \"quoted\" \\ name", R"("a \"quoted\" \\ name")"},
      {"tab\there\nnew\x01", R"("tab\there\nnew\u0001")"},
      {"фото «1».tq1", "\"фото «1».tq1\""},
      {"\xF0\x9F\x93\xB7", "\"\xF0\x9F\x93\xB7\""},                // four bytes, kept
      {"bad\xFF" "byte", "\"bad\xEF\xBF\xBD" "byte\""},            // not UTF-8 at all
      {"cut\xD0", "\"cut\xEF\xBF\xBD\""},                          // sequence cut at the end
      {"over\xC0\xAF", "\"over\xEF\xBF\xBD\xEF\xBF\xBD\""},        // overlong "/"
      {"sur\xED\xA0\x80", "\"sur\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(jsonString(text), json) << text;
}

TEST(InfoJson, ObjectsNameEveryFigure) {
  FileInfo info;
  info.width = 768;
  info.height = 512;
  info.tolerance = 10;
  info.smoothThreshold = 30;
  info.levelCount = {32, 64, 32, 1};
  info.symbolCount = 1234;
  info.tokenCount = 56789;
  info.fileBytes = 98304;  // exactly 2 bits a pixel
  EXPECT_EQ(infoJson("x.tq1", info),
            R"({"file": "x.tq1", "width": 768, "height": 512, "tolerance": 10, "smoothing": 30, )"
            R"("levels": {"red": 32, "green": 64, "blue": 32, "fourth": 1}, "symbols": 1234, )"
            R"("tokens": 56789, "bitsPerPixel": 2, "fileSize": 98304})");
  EXPECT_EQ(errorJson("y\".tq1", "cannot open"), R"({"file": "y\".tq1", "error": "cannot open"})");
}

Bytes bitmapOf(std::uint32_t w, std::uint32_t h) {
  Grid grid(w, h);
  std::mt19937 random(w + h);
  for (std::uint32_t x = 0; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y) grid.at(x, y) = rgbColour(std::uint8_t(random()), 3, 4);
  return encodeBitmap(grid).value;
}

TEST(CutImage, ShortPixelDataIsToldAndEverythingElseIsLeftToTheReaders) {
  const Bytes whole = bitmapOf(13, 9);  // rows of 39 bytes padded to 40
  EXPECT_EQ(cutImageMessage(whole), "");
  Bytes longer = whole;
  longer.push_back(0);
  EXPECT_EQ(cutImageMessage(longer), "");
  const Bytes lastByteMissing(whole.begin(), whole.end() - 1);
  EXPECT_NE(cutImageMessage(lastByteMissing).find("414 bytes, 413 arrived"), std::string::npos)
      << cutImageMessage(lastByteMissing);
  EXPECT_NE(cutImageMessage(Bytes(whole.begin(), whole.begin() + 60)), "");

  Bytes topDown = lastByteMissing;  // a negative height counts by its size
  const std::uint32_t minusNine = static_cast<std::uint32_t>(-9);
  for (int i = 0; i < 4; ++i) topDown[22 + i] = static_cast<std::uint8_t>(minusNine >> (8 * i));
  EXPECT_NE(cutImageMessage(topDown), "");

  Bytes compressed = lastByteMissing;  // run-length coded data has no size to check
  compressed[30] = 1;
  EXPECT_EQ(cutImageMessage(compressed), "");
  EXPECT_EQ(cutImageMessage(Bytes{'B', 'M', 1, 2}), "");
  EXPECT_EQ(cutImageMessage(Bytes{'T', 'Q', 1, 0, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}), "");

  // The oldest header, 12 bytes with 16-bit sides: 2 x 2 pixels of 24 bits, rows of 8 bytes.
  Bytes core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0};
  core.resize(26 + 16);
  EXPECT_EQ(cutImageMessage(core), "");
  core.pop_back();
  EXPECT_NE(cutImageMessage(core), "");

  // Sides that no file could hold are told, not multiplied into an overflow.
  Bytes huge = whole;
  for (int i = 0; i < 4; ++i) huge[18 + i] = huge[22 + i] = i == 3 ? 0x7F : 0xFF;
  huge[28] = 64;
  EXPECT_NE(cutImageMessage(huge).find("more pixel data than any file"), std::string::npos);
}

Bytes jpegOf(bool progressive) {
  QImage image(64, 48, QImage::Format_RGB32);
  std::mt19937 random(7);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(int(random() % 256), x * 4, y * 5));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(progressive);
  writer.setText("Description", "a comment segment before the scans");
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return Bytes(data.begin(), data.end());
}

TEST(CutImage, AJpegImageIsWholeOnlyUpToItsEndMarker) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const Bytes whole = jpegOf(progressive);
    ASSERT_GT(whole.size(), 600u);
    EXPECT_EQ(cutImageMessage(whole), "");
    Bytes trailing = whole;  // data after the end marker, as some cameras append
    trailing.insert(trailing.end(), {0xFF, 0xD8, 'x', 'y'});
    EXPECT_EQ(cutImageMessage(trailing), "");
    // Cut anywhere: in the headers, inside a scan, and just before the last byte.
    for (std::size_t size = 2; size < whole.size(); size += size < 700 ? 1 : 97) {
      EXPECT_NE(cutImageMessage(std::span(whole).first(size)), "") << size;
    }
    EXPECT_NE(cutImageMessage(std::span(whole).first(whole.size() - 1)), "");
  }
  // Not JPEG's structure after the start: left to the reader.
  EXPECT_EQ(cutImageMessage(Bytes{0xFF, 0xD8, 'n', 'o', 't', ' ', 'a', ' ', 'm', 'a', 'r', 'k'}), "");
}

}  // namespace
}  // namespace tq1::cli
