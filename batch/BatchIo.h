// How a batch run reads and writes image files: the programs bring the image file layer's
// readers and writer (qtBatchIo), tests bring failing ones.
#pragma once

#include <QString>

#include <functional>
#include <string>

#include "codec/Grid.h"

namespace tq1 {

struct LoadedGrid {
  Grid grid;
  std::string error;  // empty on success; otherwise names the file and the cause

  [[nodiscard]] bool ok() const noexcept { return error.empty(); }
};

struct BatchIo {
  // Reads any image file the program accepts as a bitmap entry into a grid.
  std::function<LoadedGrid(const QString& path)> loadImage;
  // Writes a grid as a 24-bit bitmap file, replacing the file only when complete; returns an
  // empty string on success, else the reason.
  std::function<std::string(const QString& path, const Grid& grid)> writeBitmap;
};

}  // namespace tq1
