// Input images for the full program: every format Qt reads, plain bitmaps the direct way.
#include <QFile>
#include <QFileInfo>

#include <vector>

#include "cli/CutImage.h"
#include "cli/InputImage.h"
#include "cli/StandardStreams.h"
#include "imagefile/ImageLoad.h"

namespace tq1::cli {

namespace {

ImageFileResult<Grid> loadStandardInput(std::uint64_t& fileBytes) {
  std::vector<std::uint8_t> bytes;
  if (const CodecStatus read = readStandardInput(bytes); !read) {
    return {{}, ImageFileStatus::failure(ImageFileError::FileReadFailed,
                                         inputName(kStandardStream) + ": " + read.message())};
  }
  // A file on disk is taken as it is; a pipe that delivered less than the bitmap declares
  // was cut off.
  if (std::string cut = cutImageMessage(bytes); !cut.empty()) {
    return {{}, ImageFileStatus::failure(ImageFileError::InvalidData,
                                         inputName(kStandardStream) + ": " + cut)};
  }
  fileBytes = bytes.size();
  return loadGridData(bytes, QString::fromStdString(inputName(kStandardStream)));
}

}  // namespace

InputImage loadInputImage(const std::string& path) {
  InputImage input;
  const QString name = QFile::decodeName(path.c_str());
  ImageFileResult<Grid> loaded = isStandardStream(path) ? loadStandardInput(input.fileBytes)
                                                         : loadGridFile(name);
  if (!loaded.ok()) {
    input.error = loaded.status.message();
    return input;
  }
  if (!isStandardStream(path)) input.fileBytes = static_cast<std::uint64_t>(QFileInfo(name).size());
  input.outcome = InputImage::Outcome::Loaded;
  input.grid = std::move(loaded.value);
  return input;
}

}  // namespace tq1::cli
