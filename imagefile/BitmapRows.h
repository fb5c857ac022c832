// Turning a grid's columns into a bitmap file's rows. A bitmap row holds each pixel's three
// bytes (blue, green, red) side by side, while the grid keeps each column's cells together:
// squares of 4 x 4 cells are loaded a column at a time, transposed in registers into rows,
// and packed to three bytes a pixel, so that each row gets its twelve bytes in two stores
// instead of twelve. Images that the squares do not fit, at their right edge, take the cells
// one by one.
#pragma once

#include <cstdint>

#include "codec/Grid.h"

namespace tq1 {

// Image rows y0 .. y0 + count - 1 (count at most kBitmapBandRows) as they lie in the file,
// bottom row first, into `out`: count rows of `rowBytes` each, whose padding (after 3 x width
// bytes) is left as it was.
void fillBitmapBand(const Grid& grid, std::uint32_t rowBytes, std::uint32_t y0,
                    std::uint32_t count, std::uint8_t* out);

// Rows a band holds at most: 16 cells of a grid column fill one 64-byte cache line.
inline constexpr std::uint32_t kBitmapBandRows = 16;

}  // namespace tq1
