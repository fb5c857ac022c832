// A pixel grid of maxX + 1 columns of maxY + 1 cells, stored contiguously column by column,
// so that cell [x][y] sits at x * (maxY + 1) + y and walking down a column is sequential.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "LargeBuffer.h"
#include "PackedColour.h"

namespace tq1 {

class Grid {
 public:
  Grid() = default;
  // Throws std::bad_alloc when memory runs out; callers that take sizes from untrusted data
  // check them first (see Limits.h). The cells of a large grid are zero without a pass over
  // them (see LargeBuffer.h).
  Grid(std::uint32_t width, std::uint32_t height, PackedColour fill = 0)
      : width_(width), height_(height), cells_(std::size_t{width} * height, fill == 0) {
    if (fill != 0) this->fill(fill);
  }

  [[nodiscard]] std::uint32_t width() const noexcept { return width_; }
  [[nodiscard]] std::uint32_t height() const noexcept { return height_; }
  [[nodiscard]] bool empty() const noexcept { return cells_.empty(); }

  [[nodiscard]] PackedColour& at(std::uint32_t x, std::uint32_t y) noexcept {
    return cells_[std::size_t{x} * height_ + y];
  }
  [[nodiscard]] PackedColour at(std::uint32_t x, std::uint32_t y) const noexcept {
    return cells_[std::size_t{x} * height_ + y];
  }
  // The cells of column x, top to bottom.
  [[nodiscard]] std::span<PackedColour> column(std::uint32_t x) noexcept {
    return {cells_.data() + std::size_t{x} * height_, height_};
  }
  [[nodiscard]] std::span<const PackedColour> column(std::uint32_t x) const noexcept {
    return {cells_.data() + std::size_t{x} * height_, height_};
  }
  [[nodiscard]] std::span<PackedColour> cells() noexcept { return {cells_.data(), cells_.size()}; }
  [[nodiscard]] std::span<const PackedColour> cells() const noexcept {
    return {cells_.data(), cells_.size()};
  }

  void fill(PackedColour value) noexcept { std::fill(cells_.begin(), cells_.end(), value); }

  friend bool operator==(const Grid&, const Grid&) = default;

 private:
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  LargeArray<PackedColour> cells_;
};

}  // namespace tq1
