// Which cells of a grid are filled, one bit per cell, in words of 8 x 8 cells whose bits run
// in walk order. The decoder's walk asks "is this cell still empty?" for every cell; asking
// the bitmap instead of the grid keeps that question inside the cache, and a whole tile's
// empty cells come out of one word.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "QuadtreeWalk.h"

namespace tq1 {

namespace detail {

// Bits of a tile word: where each cell is, and the masks of ranges of columns and rows.
struct TileMasks {
  std::array<std::array<std::uint8_t, 8>, 8> bitOf{};  // [dx][dy] -> bit in walk order
  std::array<std::array<std::uint64_t, 8>, 8> columns{};  // [from][to] columns of a tile
  std::array<std::array<std::uint64_t, 8>, 8> rows{};     // [from][to] rows of a tile
  constexpr TileMasks() {
    for (unsigned i = 0; i < 64; ++i) {
      bitOf[detail::kTileOffsets.dx[i]][detail::kTileOffsets.dy[i]] = static_cast<std::uint8_t>(i);
    }
    for (unsigned a = 0; a < 8; ++a) {
      for (unsigned b = a; b < 8; ++b) {
        for (unsigned i = 0; i < 64; ++i) {
          const unsigned dx = detail::kTileOffsets.dx[i], dy = detail::kTileOffsets.dy[i];
          if (dx >= a && dx <= b) columns[a][b] |= std::uint64_t{1} << i;
          if (dy >= a && dy <= b) rows[a][b] |= std::uint64_t{1} << i;
        }
      }
    }
  }
};
inline constexpr TileMasks kTileMasks{};

}  // namespace detail

class CoverageMap {
 public:
  CoverageMap(std::uint32_t width, std::uint32_t height)
      : width_(width), height_(height), tilesHigh_((height + 7) / 8),
        words_(std::size_t{(width + 7) / 8} * tilesHigh_, 0) {}

  // Marks the w x h cells at (x, y) filled (or empty again, for a fill that leaves them empty).
  void set(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h, bool filled) {
    // Most blocks lie inside one tile: one word, no loops.
    if ((x % 8) + w <= 8 && (y % 8) + h <= 8) {
      const std::uint64_t mask = detail::kTileMasks.columns[x % 8][x % 8 + w - 1] &
                                 detail::kTileMasks.rows[y % 8][y % 8 + h - 1];
      std::uint64_t& word = words_[std::size_t{x / 8} * tilesHigh_ + y / 8];
      word = filled ? (word | mask) : (word & ~mask);
      return;
    }
    for (std::uint32_t tx = x / 8; tx <= (x + w - 1) / 8; ++tx) {
      const std::uint32_t x0 = std::max(x, tx * 8) - tx * 8;
      const std::uint32_t x1 = std::min(x + w - 1, tx * 8 + 7) - tx * 8;
      for (std::uint32_t ty = y / 8; ty <= (y + h - 1) / 8; ++ty) {
        const std::uint32_t y0 = std::max(y, ty * 8) - ty * 8;
        const std::uint32_t y1 = std::min(y + h - 1, ty * 8 + 7) - ty * 8;
        const std::uint64_t mask = detail::kTileMasks.columns[x0][x1] & detail::kTileMasks.rows[y0][y1];
        std::uint64_t& word = words_[std::size_t{tx} * tilesHigh_ + ty];
        word = filled ? (word | mask) : (word & ~mask);
      }
    }
  }

  [[nodiscard]] bool filled(std::uint32_t x, std::uint32_t y) const noexcept {
    return (words_[std::size_t{x / 8} * tilesHigh_ + y / 8] >> detail::kTileMasks.bitOf[x % 8][y % 8]) & 1;
  }

  // The cells of the tile at (x, y) (multiples of 8) that lie in the image, as bits in walk
  // order.
  [[nodiscard]] std::uint64_t insideTile(std::uint32_t x, std::uint32_t y) const noexcept {
    const std::uint32_t x1 = std::min<std::uint32_t>(7, width_ - 1 - x);
    const std::uint32_t y1 = std::min<std::uint32_t>(7, height_ - 1 - y);
    return detail::kTileMasks.columns[0][x1] & detail::kTileMasks.rows[0][y1];
  }

  // The filled cells of the tile at (x, y) (multiples of 8), as bits in walk order.
  [[nodiscard]] std::uint64_t filledInTile(std::uint32_t x, std::uint32_t y) const noexcept {
    return words_[std::size_t{x / 8} * tilesHigh_ + y / 8];
  }

 private:
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t tilesHigh_;
  std::vector<std::uint64_t> words_;
};

// Calls visit(x, y) for every cell of the square of side 2^k at (x, y) that lies in the image
// and is empty when the walk reaches it, in walk order; stops when visit returns false.
template <typename Visit>
bool walkEmptyCells(const CoverageMap& coverage, std::uint32_t maxX, std::uint32_t maxY,
                    std::uint32_t x, std::uint32_t y, unsigned k, Visit& visit) {
  if (x > maxX || y > maxY) return true;
  if (k == detail::kTileLevels) {
    const std::uint64_t inside = coverage.insideTile(x, y);
    std::uint64_t empty = inside & ~coverage.filledInTile(x, y);
    while (empty != 0) {
      const auto i = static_cast<unsigned>(std::countr_zero(empty));
      if (!visit(x + detail::kTileOffsets.dx[i], y + detail::kTileOffsets.dy[i])) return false;
      // The cells after this one that are still empty: the visit may have filled some.
      const std::uint64_t later = i == 63 ? 0 : ~std::uint64_t{0} << (i + 1);
      empty = inside & later & ~coverage.filledInTile(x, y);
    }
    return true;
  }
  if (k == 0) return coverage.filled(x, y) || visit(x, y);
  const std::uint32_t h = std::uint32_t{1} << (k - 1);
  return walkEmptyCells(coverage, maxX, maxY, x, y, k - 1, visit) &&
         walkEmptyCells(coverage, maxX, maxY, x, y + h, k - 1, visit) &&
         walkEmptyCells(coverage, maxX, maxY, x + h, y, k - 1, visit) &&
         walkEmptyCells(coverage, maxX, maxY, x + h, y + h, k - 1, visit);
}

}  // namespace tq1
