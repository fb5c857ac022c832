// Whole-file writes through QSaveFile: the bytes go to a temporary file in the target folder,
// which is renamed over the target only after the last byte is written.
#include "imagefile/SaveBytes.h"

#include <QSaveFile>

namespace tq1 {
namespace {

ImageFileStatus writeFailure(const QString& what, const QString& path, const QString& cause) {
  return ImageFileStatus::failure(ImageFileError::FileWriteFailed,
                                  (what + " " + path + ": " + cause).toStdString());
}

}  // namespace

ImageFileStatus saveBytes(const QString& path, std::span<const std::uint8_t> bytes) {
  QSaveFile file(path);
  // Writing the target in place when no temporary file can be made would break the promise
  // that a failure leaves the old file intact.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    return writeFailure("cannot create", path, file.errorString());
  }
  const char* data = reinterpret_cast<const char*>(bytes.data());
  qint64 left = static_cast<qint64>(bytes.size());
  while (left > 0) {
    const qint64 written = file.write(data, left);
    if (written <= 0) {
      const QString cause = file.errorString();
      file.cancelWriting();
      return writeFailure("cannot write", path, cause);
    }
    data += written;
    left -= written;
  }
  // QSaveFile::commit() renames the file into place even when flushing its buffer fails (a
  // full disk), which would replace the old file with a cut one: flush first and check.
  if (!file.flush()) {
    const QString cause = file.errorString();
    file.cancelWriting();
    return writeFailure("cannot write", path, cause);
  }
  if (!file.commit()) return writeFailure("cannot write", path, file.errorString());
  return ImageFileStatus::success();
}

}  // namespace tq1
