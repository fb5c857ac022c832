// Fuzz entry: arbitrary bytes as an image file, read the way the command line and the batch
// read it (loadGridFile) and the way the desktop view reads it (loadImageFile), which must
// agree on every damaged bitmap.
#include "fuzz/FuzzEntries.h"
#include "fuzz/MemoryFile.h"
#include "imagefile/BitmapCheck.h"
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1::fuzz {

namespace {

constexpr ImageLimits kLimits{2048, std::uint64_t{1} << 22};

std::string checkGrid(const Grid& grid) {
  if (grid.empty()) return "an accepted image has no pixels";
  if (!kLimits.fits(grid.width(), grid.height())) return "an image beyond the limits was read";
  for (const PackedColour cell : grid.cells()) {
    if ((cell >> 24) != 0) return "a cell with a non-zero fourth channel";
  }
  return {};
}

}  // namespace

std::string loadImageFile(std::span<const std::uint8_t> data) {
  MemoryFile& file = sharedMemoryFile();
  if (!file.assign(data)) return {};

  const ImageFileResult<Grid> grid = loadGridFile(file.path(), kLimits);
  if (!grid.ok() && grid.status.message().empty()) return "a failure without a message";
  if (grid.ok()) {
    if (std::string problem = checkGrid(grid.value); !problem.empty()) return problem;
  }

  const ImageFileResult<QImage> image = tq1::loadImageFile(file.path(), kLimits);
  // A damaged bitmap is refused for the same damage by both ways of loading it.
  const ImageFileError damage = checkBitmapStructure(data, kLimits).error();
  if (damage != ImageFileError::Ok &&
      (grid.status.error() != damage || image.status.error() != damage)) {
    return "a damaged bitmap was not refused for its damage by every loader";
  }
  if (!image.ok()) {
    if (image.status.message().empty()) return "a failure without a message";
    return {};
  }
  if (image.value.format() != QImage::Format_RGB32) return "a loaded image is not RGB32";
  const ImageFileResult<Grid> viewGrid = gridFromImage(image.value);
  if (!viewGrid.ok()) return {};
  if (std::string problem = checkGrid(viewGrid.value); !problem.empty()) return problem;

  // The plain reader is a shortcut past Qt for the files it takes, so on those it must give
  // exactly what Qt gives: the command line and the desktop app show the same pixels.
  const auto plain = readPlainBitmap(data, kLimits);
  if (plain && plain->ok() && plain->value != viewGrid.value) {
    return "the plain bitmap reader and Qt's reader give different pixels";
  }
  return {};
}

}  // namespace tq1::fuzz
