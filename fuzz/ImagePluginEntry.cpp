// Fuzz entry: arbitrary bytes read the way every Qt program reads a .tq1 file, through the
// image plugin's handler; what it gives must be what the codec decodes.
#include <QBuffer>
#include <QImageReader>

#include <cstring>

#include "codec/Codec.h"
#include "codec/FileHeader.h"
#include "fuzz/FuzzEntries.h"
#include "imagefile/GridImage.h"
#include "imageplugin/Tq1ImageHandler.h"

namespace tq1::fuzz {

namespace {

// Qt's allocation limit in MiB: 4 bytes a pixel keeps images to 2^22 pixels, as the decode
// entry does, so hostile headers are refused quickly.
constexpr int kAllocationLimitMib = 16;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

}  // namespace

std::string readThroughImagePlugin(std::span<const std::uint8_t> data) {
  QImageReader::setAllocationLimit(kAllocationLimitMib);
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                             static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  Tq1ImageHandler handler;
  handler.setDevice(&buffer);

  const bool magic = data.size() >= kFileMagic.size() &&
                     std::memcmp(data.data(), kFileMagic.data(), kFileMagic.size()) == 0;
  if (Tq1ImageHandler::canRead(&buffer) != magic) return "canRead disagrees with the magic";
  const QSize declared = handler.option(QImageIOHandler::Size).toSize();
  if (buffer.pos() != 0) return "asking for the size moved the device";

  QImage image;
  const bool read = handler.read(&image);
  if (!read) {
    if (!image.isNull()) return "a failed read left an image";
    if (handler.errorString().isEmpty()) return "a failed read without a message";
    return {};
  }
  if (image.isNull() || !handler.errorString().isEmpty()) return "a read succeeded without an image";
  if (image.size() != declared) return "the image differs from the size reported before reading";
  if (std::uint64_t(image.width()) * std::uint64_t(image.height()) > kMaxPixels) {
    return "an image above the allocation limit was read";
  }
  CodecContext context;
  context.maxPixels = kMaxPixels;
  if (!decodeBytes(context, data).ok()) return "the plugin reads a file the codec refuses";
  const ImageFileResult<QImage> expected = imageFromGrid(context.pixels);
  if (!expected.ok() || expected.value != image) return "the plugin and the codec give different pixels";
  return {};
}

}  // namespace tq1::fuzz
