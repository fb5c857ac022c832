// Encodes images as uncompressed 24-bit bottom-up bitmap files and writes grids and images.
#include "imagefile/BitmapFile.h"

#include "imagefile/Rgb32Colour.h"
#include "imagefile/SaveBytes.h"

namespace tq1 {

using Bytes = std::vector<std::uint8_t>;

ImageFileResult<Bytes> encodeBitmap(const QImage& image) {
  if (image.isNull()) return detail::noBitmapLayout(0, 0);
  const auto layout = bitmapLayout(static_cast<std::uint64_t>(image.width()),
                                   static_cast<std::uint64_t>(image.height()));
  if (!layout) {
    return detail::noBitmapLayout(static_cast<std::uint64_t>(image.width()),
                    static_cast<std::uint64_t>(image.height()));
  }
  // RGB32 and ARGB32 hold the colour as 0x??RRGGBB already; other formats are converted.
  QImage converted;
  const QImage* source = &image;
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
    converted = image.convertToFormat(QImage::Format_RGB32);
    if (converted.isNull()) {
      return {{}, ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                           "not enough memory to convert the image")};
    }
    source = &converted;
  }
  ImageFileResult<Bytes> result = detail::startBitmapFile(*layout);
  if (!result.ok()) return result;
  for (std::uint32_t y = 0; y < layout->height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(source->constScanLine(static_cast<int>(y)));
    std::uint8_t* row = detail::bitmapRow(result.value, *layout, y);
    for (std::uint32_t x = 0; x < layout->width; ++x) {
      detail::putBitmapPixel(row + 3 * std::size_t{x}, packedFromRgb32(line[x]));
    }
  }
  return result;
}

ImageFileStatus writeBitmapFile(const QString& path, const Grid& grid) {
  const ImageFileResult<Bytes> encoded = encodeBitmap(grid);
  if (!encoded.ok()) return encoded.status;
  return saveBytes(path, encoded.value);
}

ImageFileStatus writeBitmapFile(const QString& path, const QImage& image) {
  const ImageFileResult<Bytes> encoded = encodeBitmap(image);
  if (!encoded.ok()) return encoded.status;
  return saveBytes(path, encoded.value);
}

}  // namespace tq1
