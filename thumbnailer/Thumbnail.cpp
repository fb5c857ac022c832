// Thumbnails of .tq1 files for file managers.
#include "thumbnailer/Thumbnail.h"

#include <QFile>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>

#include "codec/Conversion.h"
#include "thumbnailer/BoxScale.h"
#include "imagefile/GridImage.h"

namespace tq1 {

QSize thumbnailSize(QSize imageSize, int maxSide) noexcept {
  if (imageSize.isEmpty() || maxSide <= 0) return {};
  const int longer = std::max(imageSize.width(), imageSize.height());
  if (longer <= maxSide) return imageSize;
  // Rounded to the nearest pixel, in 64 bits: sides reach 65536.
  const auto scaled = [&](int side) {
    const auto value = (std::int64_t{side} * maxSide + longer / 2) / longer;
    return static_cast<int>(std::max<std::int64_t>(value, 1));
  };
  return {scaled(imageSize.width()), scaled(imageSize.height())};
}

ImageFileResult<QImage> makeThumbnail(const QString& path, int maxSide) {
  ImageFileResult<QImage> result;
  const std::filesystem::path file = QFile::encodeName(path).toStdString();
  // A thumbnailer makes one picture and ends.
  const DecodeResult decoded = decodeImageFile(file, {.threads = DecodeThreads::OneUnlessLarge});
  if (!decoded.ok()) {
    result.status = ImageFileStatus::failure(ImageFileError::InvalidData, decoded.status.message());
    return result;
  }
  const QSize fullSize(int(decoded.image.width()), int(decoded.image.height()));
  const QSize size = thumbnailSize(fullSize, maxSide);
  if (size == fullSize) return imageFromGrid(decoded.image);
  result.value = boxScaled(decoded.image, size);
  if (result.value.isNull()) {
    result.status = ImageFileStatus::failure(ImageFileError::OutOfMemory,
                                             "no memory for the thumbnail");
  }
  return result;
}

ImageFileStatus savePng(const QImage& image, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return ImageFileStatus::failure(ImageFileError::FileWriteFailed,
                                    "cannot create " + path.toStdString() + ": " +
                                        file.errorString().toStdString());
  }
  QImageWriter writer(&file, "png");
  if (!writer.write(image) || !file.commit()) {
    file.cancelWriting();
    return ImageFileStatus::failure(ImageFileError::FileWriteFailed,
                                    "cannot write " + path.toStdString());
  }
  return ImageFileStatus::success();
}

}  // namespace tq1
