// The .tq1 reader and writer behind Qt's image plugin.
#include "imageplugin/Tq1ImageHandler.h"

#include <QImage>
#include <QImageReader>
#include <QIODevice>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "codec/BitReader.h"
#include "codec/Codec.h"
#include "codec/Conversion.h"
#include "codec/FileHeader.h"
#include "codec/Limits.h"
#include "imagefile/GridImage.h"
#include "settings/SettingsRecord.h"

namespace tq1 {

namespace {

constexpr qint64 kHeaderBytes = (kHeaderBits + 7) / 8;
constexpr qint64 kReadChunk = qint64{1} << 20;

bool startsWithMagic(const QByteArray& bytes) {
  return bytes.size() >= qsizetype{kFileMagic.size()} &&
         std::memcmp(bytes.constData(), kFileMagic.data(), kFileMagic.size()) == 0;
}

std::span<const std::uint8_t> byteSpan(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// The rest of the device, up to the largest file the codec reads; nothing when it is larger.
std::optional<QByteArray> readRest(QIODevice& device) {
  QByteArray bytes;
  for (;;) {
    const QByteArray chunk = device.read(kReadChunk);
    if (chunk.isEmpty()) break;
    if (static_cast<std::uint64_t>(bytes.size() + chunk.size()) > kMaxInputFileBytes) {
      return std::nullopt;
    }
    bytes += chunk;
  }
  return bytes;
}

// Qt programs cap the memory of one image (QImageReader::setAllocationLimit, in MiB); an image
// of 4 bytes per pixel above it is refused before anything is decoded.
bool withinAllocationLimit(QSize size) {
  const int limitMib = QImageReader::allocationLimit();
  if (limitMib <= 0) return true;
  const std::uint64_t bytes = std::uint64_t(size.width()) * std::uint64_t(size.height()) * 4;
  return bytes / (std::uint64_t{1} << 20) <= static_cast<std::uint64_t>(limitMib);
}

}  // namespace

std::optional<QSize> tq1ImageSize(const QByteArray& leadingBytes) {
  BitReader in(byteSpan(leadingBytes));
  FileHeader header;
  if (!readFileHeader(in, header)) return std::nullopt;
  return QSize(static_cast<int>(header.maxX + 1), static_cast<int>(header.maxY + 1));
}

Tq1WriteParams writeParamsForQuality(int quality) noexcept {
  if (quality < 0) {
    constexpr SettingsRecord factory = factorySettings();
    return {factory.quality, factory.smoothing};
  }
  const int tolerance = (100 - std::min(quality, 100)) / 2;
  return {tolerance, 3 * tolerance};
}

bool Tq1ImageHandler::canRead(QIODevice* device) {
  return device != nullptr && startsWithMagic(device->peek(kFileMagic.size()));
}

bool Tq1ImageHandler::canRead() const {
  if (!canRead(device())) return false;
  setFormat("tq1");
  return true;
}

bool Tq1ImageHandler::fail(const QString& message) {
  error_ = message;
  return false;
}

bool Tq1ImageHandler::read(QImage* image) {
  error_.clear();
  if (image == nullptr || device() == nullptr) return fail(QStringLiteral("no device to read"));
  const std::optional<QSize> size = tq1ImageSize(device()->peek(kHeaderBytes));
  if (!size) return fail(QStringLiteral("the data ends inside the header"));
  if (!withinAllocationLimit(*size)) {
    return fail(QStringLiteral("the image is larger than the allocation limit"));
  }
  const std::optional<QByteArray> bytes = readRest(*device());
  if (!bytes) return fail(QStringLiteral("the data cannot be read, or is too large"));

  const DecodeResult result = decodeImage(byteSpan(*bytes));
  if (!result.ok()) return fail(QString::fromStdString(result.status.message()));
  ImageFileResult<QImage> decoded = imageFromGrid(result.image);
  if (!decoded.ok()) return fail(QString::fromStdString(decoded.status.message()));
  *image = std::move(decoded.value);
  return true;
}

bool Tq1ImageHandler::write(const QImage& image) {
  error_.clear();
  if (device() == nullptr) return fail(QStringLiteral("no device to write"));
  ImageFileResult<Grid> grid = gridFromImage(image);
  if (!grid.ok()) return fail(QString::fromStdString(grid.status.message()));

  const Tq1WriteParams chosen = writeParamsForQuality(quality_);
  CodecParams params;
  params.tolerance = static_cast<std::uint8_t>(chosen.tolerance);
  params.smoothThreshold = static_cast<std::uint8_t>(chosen.smoothing);
  const EncodeResult encoded = encodeImage(std::move(grid.value), params);
  if (!encoded.ok()) return fail(QString::fromStdString(encoded.status.message()));
  const auto length = static_cast<qint64>(encoded.bytes.size());
  if (device()->write(reinterpret_cast<const char*>(encoded.bytes.data()), length) != length) {
    return fail(QStringLiteral("the image could not be written: ") + device()->errorString());
  }
  return true;
}

QVariant Tq1ImageHandler::option(ImageOption option) const {
  if (option == Quality) return quality_;
  if (option == ImageFormat) return QImage::Format_RGB32;
  if (option == Size && device() != nullptr) {
    if (const std::optional<QSize> size = tq1ImageSize(device()->peek(kHeaderBytes))) {
      return *size;
    }
  }
  return {};
}

void Tq1ImageHandler::setOption(ImageOption option, const QVariant& value) {
  if (option == Quality) quality_ = value.toInt();
}

bool Tq1ImageHandler::supportsOption(ImageOption option) const {
  return option == Quality || option == Size || option == ImageFormat;
}

}  // namespace tq1
