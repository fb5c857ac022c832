// Edge smoothing: a decoded block's flat colour becomes a gradient that blends half-way into
// each neighbour outside the block whose colour is within the threshold, interpolated
// linearly between opposite edges, horizontal and vertical averaged.
#pragma once

#include <cstdint>
#include <vector>

#include "CodecContext.h"
#include "SpreadColour.h"

namespace tq1 {

// Rewrites the cells of the block of 2^a x 2^b cells at (x0, y0) in `pixels`. Blocks one cell
// wide or tall keep their colour. The caller guarantees the block lies inside the image.
void smoothBlock(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                 unsigned b);

// The same, keeping its scratch rows between blocks so that a decoder smoothing millions of
// blocks does not allocate for each.
class BlockSmoother {
 public:
  void smooth(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
              unsigned b);

 private:
  void fillGradient(PackedColour* origin, std::size_t stride, std::uint32_t ex, std::uint32_t ey);
  void fillTwoWide(PackedColour* origin, std::size_t stride, std::uint32_t ey);
  void fillTwoTall(PackedColour* origin, std::size_t stride, std::uint32_t ex);

  std::vector<PackedColour> left_, right_, above_, below_;         // edge values
  std::vector<SpreadColour> fromLeft_, fromRight_, leftStep_, rightStep_;  // per row

};

}  // namespace tq1
