// On real photos and graphics, with every kind of parameter: decoding a written file gives
// exactly the image the encoder rebuilt from its own tokens, which is what the app shows after
// saving and what the preview shows.
#include <gtest/gtest.h>

#include <QString>

#include "TestData.h"
#include "codec/Codec.h"
#include "imagefile/ImageLoad.h"

namespace tq1 {
namespace {

Grid area(const Grid& image, std::uint32_t x0, std::uint32_t y0, std::uint32_t w, std::uint32_t h) {
  Grid part(w, h);
  for (std::uint32_t x = 0; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y) part.at(x, y) = image.at(x0 + x, y0 + y);
  return part;
}

TEST(PhotoRoundTrip, DecodedFileEqualsTheEncodersImage) {
  TQ1_REQUIRE_TESTDATA(data);
  struct Case {
    const char* file;
    CodecParams params;
  };
  auto params = [](std::uint8_t t, std::uint8_t s, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    CodecParams p;
    p.tolerance = t;
    p.smoothThreshold = s;
    p.bits = {r, g, b};
    return p;
  };
  const Case cases[] = {
      {"kodak/kodim01.png", params(10, 30, 8, 8, 8)},
      {"kodak/kodim03.png", params(25, 0, 5, 5, 5)},
      {"kodak/kodim07.png", params(3, 150, 6, 7, 4)},
      {"kodak/kodim13.png", params(50, 75, 2, 3, 1)},
      {"kodak/kodim19.png", params(1, 9, 8, 0, 8)},
      {"kodak/kodim23.png", params(17, 51, 4, 8, 3)},
      {"graphics/lvgl_chart_bar.png", params(8, 24, 7, 7, 7)},
      {"graphics/tango_address_book_new_128.png", params(30, 90, 5, 6, 5)},
  };
  for (const Case& c : cases) {
    auto loaded = loadGridFile(QString::fromStdString((data / c.file).string()));
    ASSERT_TRUE(loaded.ok()) << c.file << ": " << loaded.status.message();
    CodecContext encoder;
    ASSERT_TRUE(prepareForEncoding(encoder, loaded.value, c.params).ok());
    const CodecStatus encoded = encodeToBytes(encoder);
    ASSERT_TRUE(encoded.ok()) << c.file << ": " << encoded.message();
    CodecContext decoder;
    const CodecStatus decoded = decodeBytes(decoder, encoder.stream);
    ASSERT_TRUE(decoded.ok()) << c.file << ": " << decoded.message();
    EXPECT_EQ(decoder.pixels, encoder.pixels) << c.file;
    EXPECT_EQ(decoder.flatPixels, encoder.flatPixels) << c.file;
    // Converters decode for the result only, on one thread or with a second reading the tokens.
    for (const DecodeThreads threads : {DecodeThreads::One, DecodeThreads::Two}) {
      CodecContext converter;
      converter.outputs = CodecOutputs::ResultOnly;
      converter.decodeThreads = threads;
      ASSERT_TRUE(decodeBytes(converter, encoder.stream).ok()) << c.file;
      EXPECT_EQ(converter.pixels, encoder.pixels) << c.file;
    }

    // The preview of an area shows what saving that area would give.
    const Grid part = area(loaded.value, 20, 10, 100, 90);
    CodecContext preview;
    ASSERT_TRUE(prepareForEncoding(preview, part, c.params).ok());
    ASSERT_TRUE(previewRoundTrip(preview).ok());
    CodecContext saved;
    ASSERT_TRUE(prepareForEncoding(saved, part, c.params).ok());
    ASSERT_TRUE(encodeToBytes(saved).ok());
    EXPECT_EQ(preview.pixels, saved.pixels) << c.file;
  }
}

}  // namespace
}  // namespace tq1
