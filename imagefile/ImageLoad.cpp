// Loading through QImageReader: existence and size are checked before any pixel is decoded,
// and every way a reader can fail becomes a status with the file's name in its message.
#include "imagefile/ImageLoad.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <span>

#include "imagefile/GridImage.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1 {
namespace {

ImageFileResult<QImage> failed(ImageFileError error, const QString& message) {
  return {QImage(), ImageFileStatus::failure(error, message.toStdString())};
}

QString limitsText(const ImageLimits& limits) {
  return QString("at most %1 pixels a side and %2 pixels in all")
      .arg(limits.maxSide)
      .arg(limits.maxPixels);
}

// Qt refuses to allocate more than this for one decoded image. Readers may decode into formats
// of up to 8 bytes a pixel before the conversion to RGB32; 0 would mean "no limit", so the
// smallest value is 1 MiB.
int allocationLimitMiB(const ImageLimits& limits) {
  constexpr std::uint64_t kBytesPerPixel = 8;
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  const std::uint64_t pixels =
      std::min<std::uint64_t>(limits.maxPixels, UINT64_MAX / kBytesPerPixel);
  const std::uint64_t mib = (pixels * kBytesPerPixel + kMiB - 1) / kMiB;
  return static_cast<int>(std::clamp<std::uint64_t>(mib, 1, INT_MAX));
}

ImageFileResult<QImage> readFailure(const QString& path, const QImageReader& reader) {
  const QString cause = reader.errorString();
  switch (reader.error()) {
    case QImageReader::FileNotFoundError:
      return failed(ImageFileError::FileNotFound, path + ": file not found");
    case QImageReader::DeviceError:
      return failed(ImageFileError::FileReadFailed, path + ": cannot be read (" + cause + ")");
    case QImageReader::UnsupportedFormatError:
      return failed(ImageFileError::UnsupportedFormat,
                    path + ": not an image format this program reads");
    case QImageReader::InvalidDataError:
    case QImageReader::UnknownError:
      break;
  }
  return failed(ImageFileError::InvalidData,
                path + ": the image data is damaged, cut short or of a variant this program "
                       "does not read (" + cause + ")");
}

ImageFileResult<QImage> tooLarge(const QString& path, qint64 width, qint64 height,
                                 const ImageLimits& limits) {
  return failed(ImageFileError::ImageTooLarge,
                QString("%1: a %2 x %3 image is larger than this program accepts (%4)")
                    .arg(path).arg(width).arg(height).arg(limitsText(limits)));
}

// `path` names the source in messages; the reader reads from the file or from memory.
ImageFileResult<QImage> decode(QImageReader& reader, const QString& path, const ImageLimits& limits) {
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  reader.setAllocationLimit(allocationLimitMiB(limits));

  // Read from the header alone. Qt reports a top-down bitmap with a negative height, so the
  // magnitude is what counts; a reader that cannot tell gives -1 x -1, caught after decoding.
  const QSize declared = reader.size();
  const qint64 declaredWidth = std::abs(qint64{declared.width()});
  const qint64 declaredHeight = std::abs(qint64{declared.height()});
  if (!limits.fits(static_cast<std::uint64_t>(declaredWidth),
                   static_cast<std::uint64_t>(declaredHeight))) {
    return tooLarge(path, declaredWidth, declaredHeight, limits);
  }

  QImage image = reader.read();
  if (image.isNull()) return readFailure(path, reader);
  if (!limits.fits(static_cast<std::uint64_t>(image.width()),
                   static_cast<std::uint64_t>(image.height()))) {
    return tooLarge(path, image.width(), image.height(), limits);
  }
  if (image.format() != QImage::Format_RGB32) {
    image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
      return failed(ImageFileError::OutOfMemory, path + ": not enough memory to convert the image");
    }
  }
  return {std::move(image), ImageFileStatus::success()};
}

// The direct reader's failures do not know the file's name; the message gets it in front.
ImageFileResult<Grid> withName(ImageFileResult<Grid> plain, const QString& name) {
  if (!plain.ok()) {
    plain.status = ImageFileStatus::failure(plain.status.error(),
                                            name.toStdString() + ": " + plain.status.message());
  }
  return plain;
}

}  // namespace

ImageFileResult<QImage> loadImageFile(const QString& path, const ImageLimits& limits) {
  const QFileInfo info(path);
  if (!info.exists()) return failed(ImageFileError::FileNotFound, path + ": file not found");
  if (!info.isFile()) return failed(ImageFileError::NotAFile, path + ": not a file");
  try {
    QImageReader reader(path);
    return decode(reader, path, limits);
  } catch (const std::bad_alloc&) {
    return failed(ImageFileError::OutOfMemory, path + ": not enough memory to load the image");
  }
}

ImageFileResult<Grid> loadGridData(std::span<const std::uint8_t> bytes, const QString& name,
                                   const ImageLimits& limits) {
  try {
    if (auto plain = readPlainBitmap(bytes, limits)) return withName(std::move(*plain), name);
    // Qt reads from the bytes where they are; nothing is copied.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    ImageFileResult<QImage> loaded = decode(reader, name, limits);
    if (!loaded.ok()) return {{}, std::move(loaded.status)};
    return gridFromImage(loaded.value);
  } catch (const std::bad_alloc&) {
    return {{}, ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                         name.toStdString() + ": not enough memory to load the image")};
  }
}

// Plain 24-bit bitmaps go straight into a grid, without a QImage in between; the direct
// reader agrees with Qt's on every file it takes and leaves all others to it.
std::optional<ImageFileResult<Grid>> loadPlainBitmapFile(const QString& path,
                                                         const ImageLimits& limits) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.peek(2) != "BM") return std::nullopt;
  const QByteArray bytes = file.readAll();
  return readPlainBitmap(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                static_cast<std::size_t>(bytes.size())),
      limits);
}

ImageFileResult<Grid> loadGridFile(const QString& path, const ImageLimits& limits) {
  try {
    if (QFileInfo(path).isFile()) {
      if (auto plain = loadPlainBitmapFile(path, limits)) return withName(std::move(*plain), path);
    }
  } catch (const std::bad_alloc&) {
    return {{}, ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                         path.toStdString() + ": not enough memory to load the image")};
  }
  ImageFileResult<QImage> loaded = loadImageFile(path, limits);
  if (!loaded.ok()) return {{}, std::move(loaded.status)};
  return gridFromImage(loaded.value);
}

}  // namespace tq1
