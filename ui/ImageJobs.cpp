// Loading, decoding, encoding and writing the image on show.
#include "ui/ImageJobs.h"

#include <QFile>
#include <QFileInfo>

#include "batch/EntryCodecParams.h"
#include "batch/EntrySettings.h"
#include "codec/Conversion.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"
#include "ui/ErrorText.h"

namespace tq1::ui {
namespace {

ImageJobResult failure(const QString& cause) { return {QImage(), cause}; }

ImageJobResult shownImageOf(const Grid& grid) {
  ImageFileResult<QImage> image = imageFromGrid(grid);
  if (!image.ok()) return failure(describeError(image.status.error()));
  return {std::move(image.value), QString()};
}

}  // namespace

ImageJobResult loadViewImage(const QString& path, FileKind kind, const ProgressCallback& progress) {
  if (kind == FileKind::Bitmap) {
    ImageFileResult<QImage> loaded = loadImageFile(path);
    if (!loaded.ok()) return failure(describeError(loaded.status.error()));
    return {std::move(loaded.value), QString()};
  }
  // The codec only knows that it could not open the file; people want to hear that it is gone.
  if (!QFileInfo::exists(path)) return failure(describeError(ImageFileError::FileNotFound));
  const DecodeResult decoded = decodeImageFile(QFile::encodeName(path).toStdString(), {.progress = progress});
  if (!decoded.ok()) return failure(describeError(decoded.status.error()));
  return shownImageOf(decoded.image);
}

ImageJobResult saveTq1File(const QImage& image, const CodecParams& params, const QString& path,
                           const ProgressCallback& progress) {
  ImageFileResult<Grid> grid = gridFromImage(image);
  if (!grid.ok()) return failure(describeError(grid.status.error()));
  // The view goes on to show what the file holds, not the image that was saved.
  const EncodeResult encoded =
      encodeImageToFile(std::move(grid.value), params, QFile::encodeName(path).toStdString(),
                        {.keepRebuilt = true, .progress = progress});
  if (!encoded.ok()) return failure(describeError(encoded.status.error()));
  return shownImageOf(encoded.rebuilt);
}

ImageJobResult saveBitmapFile(const QImage& image, const QString& path) {
  const ImageFileStatus status = writeBitmapFile(path, image);
  if (!status) return failure(describeError(status.error()));
  return {};
}

CodecParams codecParamsFromSettings(const SettingsRecord& record) noexcept {
  return codecParamsFrom(entrySettingsFrom(record));
}

}  // namespace tq1::ui
