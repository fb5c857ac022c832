// The walk order shared by encoder and decoder: the square of side 2^k at (x, y) is visited
// quadrant by quadrant (top-left, bottom-left, top-right, bottom-right), down to single cells,
// skipping whatever lies outside the image. This file holds that order within a tile of
// 8 x 8 cells as a table of offsets, which the walk (walkEmptyCells in CoverageMap.h) reads
// instead of recursing down to single cells.
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

}  // namespace tq1
