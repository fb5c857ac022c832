// Input images for the full program: every format Qt reads, plain bitmaps the direct way.
#include <QFile>

#include "cli/InputImage.h"
#include "imagefile/ImageLoad.h"

namespace tq1::cli {

InputImage loadInputImage(const std::string& path) {
  InputImage input;
  ImageFileResult<Grid> loaded = loadGridFile(QFile::decodeName(path.c_str()));
  if (!loaded.ok()) {
    input.error = loaded.status.message();
    return input;
  }
  input.outcome = InputImage::Outcome::Loaded;
  input.grid = std::move(loaded.value);
  return input;
}

}  // namespace tq1::cli
