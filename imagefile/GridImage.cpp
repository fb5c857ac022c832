// Scan-line copies between QImage and Grid. Rows are handled in bands so that each grid
// column is touched one cache line at a time while the scan lines are read or written in order.
#include "imagefile/GridImage.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <new>

#include "imagefile/Rgb32Colour.h"

namespace tq1 {
namespace {

// 16 cells of a column fill one 64-byte cache line.
constexpr std::uint32_t kBandRows = 16;

ImageFileStatus failure(ImageFileError error, const QString& message) {
  return ImageFileStatus::failure(error, message.toStdString());
}

bool areaInside(const QImage& image, int x0, int y0, int w, int h) {
  return w > 0 && h > 0 && x0 >= 0 && y0 >= 0 && x0 <= image.width() - w &&
         y0 <= image.height() - h;
}

// Both formats keep the colour in the low 24 bits as 0xRRGGBB, which is exactly what
// converting to Format_RGB32 leaves, so their scan lines are read as they stand.
bool holdsRgb32Colours(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
}

const QRgb* scanLine(const QImage& image, std::uint32_t y) {
  return reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
}

// Fills `grid` from the image pixels starting at (x0, y0); the image holds RGB32 colours.
void copyIntoGrid(const QImage& image, int x0, int y0, Grid& grid) {
  const std::uint32_t width = grid.width();
  const std::uint32_t height = grid.height();
  const QRgb* lines[kBandRows];
  for (std::uint32_t top = 0; top < height; top += kBandRows) {
    const std::uint32_t rows = std::min(kBandRows, height - top);
    for (std::uint32_t r = 0; r < rows; ++r) {
      lines[r] = scanLine(image, static_cast<std::uint32_t>(y0) + top + r) + x0;
    }
    for (std::uint32_t x = 0; x < width; ++x) {
      PackedColour* cells = grid.column(x).data() + top;
      for (std::uint32_t r = 0; r < rows; ++r) cells[r] = packedFromRgb32(lines[r][x]);
    }
  }
}

void copyIntoImage(const Grid& grid, QImage& image) {
  const std::uint32_t width = grid.width();
  const std::uint32_t height = grid.height();
  QRgb* lines[kBandRows];
  for (std::uint32_t top = 0; top < height; top += kBandRows) {
    const std::uint32_t rows = std::min(kBandRows, height - top);
    for (std::uint32_t r = 0; r < rows; ++r) {
      lines[r] = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(top + r)));
    }
    for (std::uint32_t x = 0; x < width; ++x) {
      const PackedColour* cells = grid.column(x).data() + top;
      for (std::uint32_t r = 0; r < rows; ++r) lines[r][x] = rgb32FromPacked(cells[r]);
    }
  }
}

}  // namespace

ImageFileResult<Grid> gridFromImage(const QImage& image, int x0, int y0, int w, int h) {
  if (image.isNull()) return {{}, failure(ImageFileError::EmptyImage, "there is no image")};
  if (!areaInside(image, x0, y0, w, h)) {
    const QString message =
        QString("the area %1 x %2 at (%3, %4) does not lie within the %5 x %6 image")
            .arg(w).arg(h).arg(x0).arg(y0).arg(image.width()).arg(image.height());
    return {{}, failure(ImageFileError::AreaOutsideImage, message)};
  }
  try {
    ImageFileResult<Grid> result{Grid(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)),
                                 ImageFileStatus::success()};
    if (holdsRgb32Colours(image.format())) {
      copyIntoGrid(image, x0, y0, result.value);
      return result;
    }
    // Other formats are converted first, only the area, to keep the copy small.
    const QImage area = image.copy(x0, y0, w, h).convertToFormat(QImage::Format_RGB32);
    if (area.isNull()) {
      return {{}, failure(ImageFileError::OutOfMemory,
                          QString("not enough memory to convert a %1 x %2 area").arg(w).arg(h))};
    }
    copyIntoGrid(area, 0, 0, result.value);
    return result;
  } catch (const std::bad_alloc&) {
    return {{}, failure(ImageFileError::OutOfMemory,
                        QString("not enough memory for a %1 x %2 pixel grid").arg(w).arg(h))};
  }
}

ImageFileResult<Grid> gridFromImage(const QImage& image) {
  return gridFromImage(image, 0, 0, image.width(), image.height());
}

ImageFileResult<QImage> imageFromGrid(const Grid& grid) {
  if (grid.empty()) return {{}, failure(ImageFileError::EmptyImage, "the grid has no cells")};
  const QString size = QString("%1 x %2").arg(grid.width()).arg(grid.height());
  if (grid.width() > INT_MAX || grid.height() > INT_MAX) {
    return {{}, failure(ImageFileError::ImageTooLarge, "a " + size + " image is too large")};
  }
  QImage image(static_cast<int>(grid.width()), static_cast<int>(grid.height()),
               QImage::Format_RGB32);
  // QImage signals a failed or refused allocation by being null.
  if (image.isNull()) {
    return {{}, failure(ImageFileError::OutOfMemory, "not enough memory for a " + size + " image")};
  }
  copyIntoImage(grid, image);
  return {std::move(image), ImageFileStatus::success()};
}

}  // namespace tq1
