// The JSON text of info --json, and the check that tells a bitmap cut short on its way in.
#include <gtest/gtest.h>

#include <random>

#include "cli/CutBitmap.h"
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

TEST(CutBitmap, ShortPixelDataIsToldAndEverythingElseIsLeftToTheReaders) {
  const Bytes whole = bitmapOf(13, 9);  // rows of 39 bytes padded to 40
  EXPECT_EQ(cutBitmapMessage(whole), "");
  Bytes longer = whole;
  longer.push_back(0);
  EXPECT_EQ(cutBitmapMessage(longer), "");
  const Bytes lastByteMissing(whole.begin(), whole.end() - 1);
  EXPECT_NE(cutBitmapMessage(lastByteMissing).find("414 bytes, 413 arrived"), std::string::npos)
      << cutBitmapMessage(lastByteMissing);
  EXPECT_NE(cutBitmapMessage(Bytes(whole.begin(), whole.begin() + 60)), "");

  Bytes topDown = lastByteMissing;  // a negative height counts by its size
  const std::uint32_t minusNine = static_cast<std::uint32_t>(-9);
  for (int i = 0; i < 4; ++i) topDown[22 + i] = static_cast<std::uint8_t>(minusNine >> (8 * i));
  EXPECT_NE(cutBitmapMessage(topDown), "");

  Bytes compressed = lastByteMissing;  // run-length coded data has no size to check
  compressed[30] = 1;
  EXPECT_EQ(cutBitmapMessage(compressed), "");
  EXPECT_EQ(cutBitmapMessage(Bytes{'B', 'M', 1, 2}), "");
  EXPECT_EQ(cutBitmapMessage(Bytes{'T', 'Q', 1, 0, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}), "");

  // The oldest header, 12 bytes with 16-bit sides: 2 x 2 pixels of 24 bits, rows of 8 bytes.
  Bytes core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0};
  core.resize(26 + 16);
  EXPECT_EQ(cutBitmapMessage(core), "");
  core.pop_back();
  EXPECT_NE(cutBitmapMessage(core), "");

  // Sides that no file could hold are told, not multiplied into an overflow.
  Bytes huge = whole;
  for (int i = 0; i < 4; ++i) huge[18 + i] = huge[22 + i] = i == 3 ? 0x7F : 0xFF;
  huge[28] = 64;
  EXPECT_NE(cutBitmapMessage(huge).find("more pixel data than any file"), std::string::npos);
}

}  // namespace
}  // namespace tq1::cli
