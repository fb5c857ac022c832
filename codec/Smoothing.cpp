// Edge smoothing of one decoded block.
#include "Smoothing.h"

#include <vector>

#include "Reciprocal.h"

namespace tq1 {

namespace {

// Half-way blend of the block colour c towards neighbour n when they are close enough.
inline std::uint32_t edgeValue(std::uint32_t c, std::uint32_t n, unsigned threshold) noexcept {
  const std::uint32_t difference = n > c ? n - c : c - n;
  return difference <= threshold ? (n + c) / 2 : c;
}

// Edge values of one side for every cell along it, channel by channel; the block colour
// itself where the side has no neighbour inside the image.
void sideValues(const Channels& own, const Grid& pixels, bool present, bool alongY,
                std::uint32_t fixed, std::uint32_t start, std::uint32_t length, unsigned threshold,
                std::vector<Channels>& out) {
  out.resize(length);
  for (std::uint32_t k = 0; k < length; ++k) {
    if (!present) {
      out[k] = own;
      continue;
    }
    const PackedColour neighbour =
        alongY ? pixels.at(fixed, start + k) : pixels.at(start + k, fixed);
    const Channels n = unpackColour(neighbour);
    for (unsigned c = 0; c < 4; ++c) {
      out[k][c] = static_cast<std::uint8_t>(edgeValue(own[c], n[c], threshold));
    }
  }
}

}  // namespace

void smoothBlock(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                 unsigned b) {
  BlockSmoother().smooth(context, x0, y0, a, b);
}

void BlockSmoother::smooth(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                           unsigned b) {
  if (a == 0 || b == 0) return;
  const std::uint32_t ex = std::uint32_t{1} << a;
  const std::uint32_t ey = std::uint32_t{1} << b;
  Grid& pixels = context.pixels;
  const unsigned threshold = context.smoothThreshold;
  const Channels own = unpackColour(pixels.at(x0, y0));

  auto& left = left_;
  auto& right = right_;
  auto& above = above_;
  auto& below = below_;
  sideValues(own, pixels, x0 > 0, true, x0 - 1, y0, ey, threshold, left);
  sideValues(own, pixels, x0 + ex - 1 < context.maxX, true, x0 + ex, y0, ey, threshold, right);
  sideValues(own, pixels, y0 > 0, false, y0 - 1, x0, ex, threshold, above);
  sideValues(own, pixels, y0 + ey - 1 < context.maxY, false, y0 + ey, x0, ex, threshold, below);

  const Reciprocal acrossX(ex - 1);
  const Reciprocal acrossY(ey - 1);
  for (std::uint32_t dx = 0; dx < ex; ++dx) {
    PackedColour* column = pixels.column(x0 + dx).data() + y0;
    for (std::uint32_t dy = 0; dy < ey; ++dy) {
      PackedColour packed = 0;
      for (unsigned c = 0; c < 4; ++c) {
        const std::uint32_t h = acrossX.divide(left[dy][c] * (ex - 1 - dx) + right[dy][c] * dx);
        const std::uint32_t v = acrossY.divide(above[dx][c] * (ey - 1 - dy) + below[dx][c] * dy);
        packed |= ((h + v) / 2) << (8 * c);
      }
      column[dy] = packed;
    }
  }
}

}  // namespace tq1
