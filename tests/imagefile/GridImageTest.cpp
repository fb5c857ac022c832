// Copies between QImage and Grid: the colour word swap, areas, formats and band edges.
#include "imagefile/GridImage.h"

#include <gtest/gtest.h>

#include <climits>

#include "ImageTestHelpers.h"
#include "imagefile/Rgb32Colour.h"

namespace tq1 {
namespace {

TEST(Rgb32Colour, SwapsRedAndBlueAndClearsTheFourthChannel) {
  EXPECT_EQ(packedFromRgb32(0xff112233u), rgbColour(0x11, 0x22, 0x33));
  EXPECT_EQ(packedFromRgb32(0x80112233u), 0x00332211u);  // alpha never reaches a cell
  EXPECT_EQ(rgb32FromPacked(0x00332211u), 0xff112233u);
  EXPECT_EQ(rgb32FromPacked(EmptyCell), 0xffffffffu);    // the fourth channel is ignored
}

TEST(GridFromImage, CellXYIsPixelOfTheAreaCornerPlusXY) {
  QImage image(5, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(10 * x, 10 * y, 200));
  }
  auto area = gridFromImage(image, 2, 1, 3, 2);
  ASSERT_TRUE(area.ok()) << area.status.message();
  ASSERT_EQ(area.value.width(), 3u);
  ASSERT_EQ(area.value.height(), 2u);
  EXPECT_EQ(area.value.at(0, 0), rgbColour(20, 10, 200));
  EXPECT_EQ(area.value.at(2, 1), rgbColour(40, 20, 200));  // bottom-right of the area

  auto whole = gridFromImage(image);
  ASSERT_TRUE(whole.ok());
  EXPECT_EQ(whole.value.width(), 5u);
  EXPECT_EQ(whole.value.at(4, 3), rgbColour(40, 30, 200));
}

TEST(GridFromImage, RefusesAreasNotWhollyInside) {
  const QImage image(10, 8, QImage::Format_RGB32);
  struct Case {
    int x0, y0, w, h;
  };
  for (const Case c : {Case{0, 0, 0, 8}, Case{0, 0, 10, 0}, Case{-1, 0, 5, 5}, Case{0, -1, 5, 5},
                       Case{6, 0, 5, 5}, Case{0, 4, 5, 5}, Case{0, 0, 11, 8}, Case{0, 0, -3, 8},
                       Case{5, 5, INT_MAX, INT_MAX}, Case{INT_MAX, 0, 1, 1}}) {
    SCOPED_TRACE(::testing::Message() << c.x0 << "," << c.y0 << " " << c.w << "x" << c.h);
    EXPECT_EQ(gridFromImage(image, c.x0, c.y0, c.w, c.h).status.error(),
              ImageFileError::AreaOutsideImage);
  }
  EXPECT_TRUE(gridFromImage(image, 9, 7, 1, 1).ok());
  EXPECT_EQ(gridFromImage(QImage()).status.error(), ImageFileError::EmptyImage);
}

// Formats other than RGB32 give the colours of their conversion to RGB32; transparency is
// dropped without blending.
TEST(GridFromImage, OtherFormatsGiveTheColoursOfTheirRgb32Conversion) {
  QImage indexed(4, 3, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(1, 2, 3)});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) indexed.setPixel(x, y, static_cast<uint>((x + y) % 3));
  }
  QImage translucent(4, 3, QImage::Format_ARGB32);
  translucent.fill(qRgba(200, 100, 50, 0));
  translucent.setPixel(3, 2, qRgba(9, 8, 7, 128));
  const QImage random = testing::randomImage(4, 3, 11);

  for (const QImage& image : {indexed, translucent, random.convertToFormat(QImage::Format_RGB888),
                              random.convertToFormat(QImage::Format_RGB16),
                              translucent.convertToFormat(QImage::Format_ARGB32_Premultiplied)}) {
    SCOPED_TRACE(static_cast<int>(image.format()));
    const QImage reference = image.convertToFormat(QImage::Format_RGB32);
    auto grid = gridFromImage(image, 1, 1, 3, 2);
    ASSERT_TRUE(grid.ok()) << grid.status.message();
    for (std::uint32_t x = 0; x < 3; ++x) {
      for (std::uint32_t y = 0; y < 2; ++y) {
        const QRgb pixel = reference.pixel(static_cast<int>(x) + 1, static_cast<int>(y) + 1);
        EXPECT_EQ(grid.value.at(x, y), packedFromRgb32(pixel));
      }
    }
  }
  auto kept = gridFromImage(translucent);
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(kept.value.at(0, 0), rgbColour(200, 100, 50));
  EXPECT_EQ(kept.value.at(3, 2), rgbColour(9, 8, 7));
}

// Sizes around the band of 16 rows that both copies work in.
TEST(ImageFromGrid, RoundTripsThroughAnRgb32Image) {
  for (const auto& [width, height] : {std::pair{1u, 1u}, {3u, 15u}, {4u, 16u}, {5u, 17u},
                                      {1u, 40u}, {33u, 2u}}) {
    SCOPED_TRACE(::testing::Message() << width << " x " << height);
    const Grid grid = testing::randomGrid(width, height, width * 100 + height);
    auto image = imageFromGrid(grid);
    ASSERT_TRUE(image.ok()) << image.status.message();
    EXPECT_EQ(image.value.format(), QImage::Format_RGB32);
    ASSERT_EQ(image.value.size(), QSize(int(width), int(height)));
    EXPECT_EQ(image.value.pixel(int(width) - 1, int(height) - 1),
              rgb32FromPacked(grid.at(width - 1, height - 1)));
    auto back = gridFromImage(image.value);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back.value == grid);
  }
  EXPECT_EQ(imageFromGrid(Grid()).status.error(), ImageFileError::EmptyImage);
}

}  // namespace
}  // namespace tq1
