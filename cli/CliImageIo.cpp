// Image file reading and bitmap writing for the command line, through the image file layer.
#include "cli/CliImageIo.h"

#include "imagefile/BitmapFile.h"
#include "imagefile/ImageLoad.h"

namespace tq1::cli {

BatchIo commandLineImageIo() {
  BatchIo io;
  io.loadImage = [](const QString& path) {
    LoadedGrid loaded;
    ImageFileResult<Grid> result = loadGridFile(path);
    if (result.ok()) {
      loaded.grid = std::move(result.value);
    } else {
      loaded.error = result.status.message();
    }
    return loaded;
  };
  io.writeBitmap = [](const QString& path, const Grid& grid) -> std::string {
    const ImageFileStatus status = writeBitmapFile(path, grid);
    return status.ok() ? std::string() : status.message();
  };
  return io;
}

}  // namespace tq1::cli
