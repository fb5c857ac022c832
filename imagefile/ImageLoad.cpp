// Loading through QImageReader: existence, size and a bitmap's structure are checked before
// any pixel is decoded, and every way of failing becomes a status with the file's name in its
// message.
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

#include "imagefile/BitmapCheck.h"
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

// Pixels a bitmap's run-length codes skip (moves, an early end of the image) are left by Qt's
// reader as whatever its new buffer held, so the same file could give different images. Given
// an image of the file's size and format, the reader fills it in place: zeroed beforehand,
// skipped pixels are palette entry 0 every time.
QImage zeroedTarget(const QImageReader& reader, qint64 width, qint64 height) {
  QImage image(static_cast<int>(width), static_cast<int>(height), reader.imageFormat());
  if (!image.isNull()) image.fill(0);
  return image;
}

// Decodes what `reader` reads, checking the size from the header before any pixel is decoded.
ImageFileResult<QImage> decode(QImageReader& reader, const QString& path,
                               const ImageLimits& limits, bool bitmap) {
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

  QImage image = bitmap ? zeroedTarget(reader, declaredWidth, declaredHeight) : QImage();
  if (!reader.read(&image) || image.isNull()) return readFailure(path, reader);
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

ImageFileResult<QImage> decodeFile(const QString& path, const ImageLimits& limits) {
  QImageReader reader(path);
  return decode(reader, path, limits, false);
}

// `bitmap` says the bytes are a bitmap ("BM") that has passed the structural check.
ImageFileResult<QImage> decodeBytes(const QByteArray& bytes, const QString& path,
                                    const ImageLimits& limits, bool bitmap = true) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return decode(reader, path, limits, bitmap);
}

std::span<const std::uint8_t> byteSpan(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

std::optional<ImageFileResult<QImage>> missingOrNotAFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return failed(ImageFileError::FileNotFound, path + ": file not found");
  if (!info.isFile()) return failed(ImageFileError::NotAFile, path + ": not a file");
  return std::nullopt;
}

// The whole file when it is a bitmap ("BM"), so that its structure can be checked before a
// reader sees it and the reader then decodes these bytes instead of reading the file again;
// nullopt for other files, which the readers take from the file themselves.
ImageFileResult<std::optional<QByteArray>> readBitmapBytes(const QString& path) {
  QFile file(path);
  const auto unreadable = [&]() -> ImageFileResult<std::optional<QByteArray>> {
    return {std::nullopt,
            ImageFileStatus::failure(ImageFileError::FileReadFailed,
                                     (path + ": cannot be read (" + file.errorString() + ")")
                                         .toStdString())};
  };
  if (!file.open(QIODevice::ReadOnly)) return unreadable();
  if (file.peek(2) != "BM") return {};
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return unreadable();
  return {std::move(bytes), ImageFileStatus::success()};
}

ImageFileStatus withPath(const QString& path, const ImageFileStatus& status) {
  if (status.ok()) return status;
  return ImageFileStatus::failure(status.error(), path.toStdString() + ": " + status.message());
}

}  // namespace

ImageFileResult<QImage> loadImageFile(const QString& path, const ImageLimits& limits) {
  if (auto refused = missingOrNotAFile(path)) return std::move(*refused);
  try {
    ImageFileResult<std::optional<QByteArray>> bitmap = readBitmapBytes(path);
    if (!bitmap.ok()) return {QImage(), std::move(bitmap.status)};
    if (!bitmap.value) return decodeFile(path, limits);
    ImageFileStatus checked = withPath(path, checkBitmapStructure(byteSpan(*bitmap.value), limits));
    if (!checked.ok()) return {QImage(), std::move(checked)};
    return decodeBytes(*bitmap.value, path, limits);
  } catch (const std::bad_alloc&) {
    return failed(ImageFileError::OutOfMemory, path + ": not enough memory to load the image");
  }
}

// Plain 24-bit bitmaps go straight into a grid, without a QImage in between; the direct
// reader agrees with Qt's on every file it takes and leaves all others to it. It also makes
// the structural check, so the other bitmaps reach Qt checked.
ImageFileResult<Grid> loadGridFile(const QString& path, const ImageLimits& limits) {
  ImageFileResult<QImage> loaded;
  try {
    if (auto refused = missingOrNotAFile(path)) return {{}, std::move(refused->status)};
    ImageFileResult<std::optional<QByteArray>> bitmap = readBitmapBytes(path);
    if (!bitmap.ok()) return {{}, std::move(bitmap.status)};
    if (bitmap.value) {
      if (auto plain = readPlainBitmap(byteSpan(*bitmap.value), limits)) {
        plain->status = withPath(path, plain->status);
        return std::move(*plain);
      }
      loaded = decodeBytes(*bitmap.value, path, limits);
    } else {
      loaded = decodeFile(path, limits);
    }
  } catch (const std::bad_alloc&) {
    return {{}, ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                         path.toStdString() + ": not enough memory to load the image")};
  }
  if (!loaded.ok()) return {{}, std::move(loaded.status)};
  return gridFromImage(loaded.value);
}

ImageFileResult<Grid> loadGridData(std::span<const std::uint8_t> bytes, const QString& name,
                                   const ImageLimits& limits) {
  ImageFileResult<QImage> loaded;
  try {
    // The direct reader checks every bitmap's structure, as for files on disk.
    if (auto plain = readPlainBitmap(bytes, limits)) {
      plain->status = withPath(name, plain->status);
      return std::move(*plain);
    }
    // Qt reads from the bytes where they are; nothing is copied.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    loaded = decodeBytes(data, name, limits, data.startsWith("BM"));
  } catch (const std::bad_alloc&) {
    return {{}, ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                         name.toStdString() + ": not enough memory to load the image")};
  }
  if (!loaded.ok()) return {{}, std::move(loaded.status)};
  return gridFromImage(loaded.value);
}

}  // namespace tq1
