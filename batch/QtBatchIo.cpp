// Batch image input and output through the image file layer. Kept apart from the rest of the
// batch library so that programs that bring their own BatchIo do not pull in QtGui.
#include "batch/QtBatchIo.h"

#include "imagefile/BitmapFile.h"
#include "imagefile/ImageLoad.h"

namespace tq1 {

BatchIo qtBatchIo() {
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

}  // namespace tq1
