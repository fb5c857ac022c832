// Copies pixels between a QImage (what the view shows) and a codec grid, a scan line at a time.
#pragma once

#include <QImage>

#include "codec/Grid.h"
#include "imagefile/ImageFileStatus.h"

namespace tq1 {

// The w x h pixels whose top-left corner is (x0, y0): grid cell (x, y) gets the colour of
// pixel (x0 + x, y0 + y). Any image format is accepted; colours are taken as its conversion
// to Format_RGB32 gives them, and the fourth channel of every cell is 0. The area must be
// non-empty and lie wholly within the image (else AreaOutsideImage); OutOfMemory when the
// grid cannot be allocated.
[[nodiscard]] ImageFileResult<Grid> gridFromImage(const QImage& image, int x0, int y0, int w,
                                                  int h);

// The whole image.
[[nodiscard]] ImageFileResult<Grid> gridFromImage(const QImage& image);

// A Format_RGB32 image of the grid's size with pixel (x, y) = cell (x, y). The cells' fourth
// channel is ignored. EmptyImage for an empty grid, ImageTooLarge when Qt cannot hold an
// image of that size, OutOfMemory when the allocation fails.
[[nodiscard]] ImageFileResult<QImage> imageFromGrid(const Grid& grid);

}  // namespace tq1
