// The walk order shared by encoder and decoder: the square of side 2^k at (x, y) is visited
// quadrant by quadrant (top-left, bottom-left, top-right, bottom-right), down to single cells,
// skipping whatever lies outside the image. Squares of 8 x 8 cells are visited through a table
// of offsets instead of recursion, which keeps the per-cell cost to a lookup.
#pragma once

#include <array>
#include <cstdint>

namespace tq1 {

namespace detail {

inline constexpr unsigned kTileLevels = 3;  // tiles of 8 x 8 cells
inline constexpr std::uint32_t kTileSide = 1u << kTileLevels;

// Cell offsets of an 8 x 8 tile in walk order: each level contributes an x bit above a y bit.
struct TileOffsets {
  std::array<std::uint8_t, 64> dx{};
  std::array<std::uint8_t, 64> dy{};
  constexpr TileOffsets() {
    for (unsigned i = 0; i < 64; ++i) {
      dx[i] = static_cast<std::uint8_t>(((i >> 3) & 4) | ((i >> 2) & 2) | ((i >> 1) & 1));
      dy[i] = static_cast<std::uint8_t>(((i >> 2) & 4) | ((i >> 1) & 2) | (i & 1));
    }
  }
};
inline constexpr TileOffsets kTileOffsets{};

}  // namespace detail

// Calls visit(x, y) for every cell of the square that lies in the image (x <= maxX,
// y <= maxY), in walk order; stops early and returns false when visit returns false.
template <typename Visit>
bool walkQuadtree(std::uint32_t maxX, std::uint32_t maxY, std::uint32_t x, std::uint32_t y,
                  unsigned k, Visit& visit) {
  if (x > maxX || y > maxY) return true;
  if (k == detail::kTileLevels) {
    const bool inside = x + detail::kTileSide - 1 <= maxX && y + detail::kTileSide - 1 <= maxY;
    for (unsigned i = 0; i < 64; ++i) {
      const std::uint32_t cx = x + detail::kTileOffsets.dx[i];
      const std::uint32_t cy = y + detail::kTileOffsets.dy[i];
      if (!inside && (cx > maxX || cy > maxY)) continue;
      if (!visit(cx, cy)) return false;
    }
    return true;
  }
  if (k == 0) return visit(x, y);
  const std::uint32_t h = std::uint32_t{1} << (k - 1);
  return walkQuadtree(maxX, maxY, x, y, k - 1, visit) &&
         walkQuadtree(maxX, maxY, x, y + h, k - 1, visit) &&
         walkQuadtree(maxX, maxY, x + h, y, k - 1, visit) &&
         walkQuadtree(maxX, maxY, x + h, y + h, k - 1, visit);
}

}  // namespace tq1
