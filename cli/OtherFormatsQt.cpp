// Writing decoded images in the formats Qt writes (PNG, JPEG, ...), for the full program.
#include "cli/OtherFormats.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageWriter>
#include <QSaveFile>

#include <span>

#include "cli/StandardStreams.h"
#include "imagefile/GridImage.h"

namespace tq1::cli {

namespace {

CodecStatus writeFailed(const std::string& output, const std::string& cause) {
  return CodecStatus::failure(CodecError::FileWriteFailed, outputName(output) + ": " + cause);
}

CodecStatus writeToFile(const QImage& image, const std::string& output, const QByteArray& format) {
  QSaveFile file(QFile::decodeName(output.c_str()));
  if (!file.open(QIODevice::WriteOnly)) {
    return writeFailed(output, "cannot be created: " + file.errorString().toStdString());
  }
  QImageWriter writer(&file, format);
  if (!writer.write(image)) {
    file.cancelWriting();
    return writeFailed(output, "cannot be written: " + writer.errorString().toStdString());
  }
  if (!file.commit()) return writeFailed(output, "cannot be written: " + file.errorString().toStdString());
  return CodecStatus::success();
}

// Encoded in memory first: a writer that fails halfway must not leave half an image in the
// pipe before the error.
CodecStatus writeToStandardOutput(const QImage& image, const QByteArray& format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) {
    return writeFailed(kStandardStream, "cannot be written: " + writer.errorString().toStdString());
  }
  return writeStandardOutput(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(bytes.size())));
}

}  // namespace

bool hasOtherFormats() { return true; }

bool canWriteFormat(const std::string& format) {
  return QImageWriter::supportedImageFormats().contains(QByteArray::fromStdString(format));
}

std::string writableFormats() {
  return QImageWriter::supportedImageFormats().join(", ").toStdString();
}

CodecStatus writeOtherFormat(const Grid& grid, const std::string& output, const std::string& format) {
  ImageFileResult<QImage> image = imageFromGrid(grid);
  if (!image.ok()) return writeFailed(output, image.status.message());
  const QByteArray name = QByteArray::fromStdString(format);
  return isStandardStream(output) ? writeToStandardOutput(image.value, name)
                                  : writeToFile(image.value, output, name);
}

}  // namespace tq1::cli
