// Shrinking a decoded grid straight into a small image by averaging boxes of cells.
#pragma once

#include <QImage>
#include <QSize>

#include "codec/Grid.h"

namespace tq1 {

// A Format_RGB32 image of `size` (at most the grid's size on each side, not empty) whose every
// pixel is the mean colour of the box of cells it covers; the boxes tile the grid. One pass over
// the cells in storage order, with no full-size copy, so that a thumbnail of a very large
// image stays quick. A null image when the sizes do not fit or memory runs out.
[[nodiscard]] QImage boxScaled(const Grid& grid, QSize size);

}  // namespace tq1
