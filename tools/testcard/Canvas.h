// A drawing surface over a grid: clipped pixel and rectangle writes in image coordinates, so
// patterns can be drawn at any card size without bounds checks of their own.
#pragma once

#include <algorithm>
#include <cstdint>

#include "codec/Grid.h"

namespace tq1::testcard {

struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  [[nodiscard]] int right() const { return x + w; }   // one past the last column
  [[nodiscard]] int bottom() const { return y + h; }  // one past the last row
  [[nodiscard]] Rect inset(int by) const { return {x + by, y + by, w - 2 * by, h - 2 * by}; }
  // The largest square centred in this rectangle.
  [[nodiscard]] Rect centredSquare() const {
    const int side = w < h ? w : h;
    return {x + (w - side) / 2, y + (h - side) / 2, side, side};
  }
};

class Canvas {
 public:
  explicit Canvas(Grid& grid) : grid_(grid) {}

  [[nodiscard]] int width() const { return static_cast<int>(grid_.width()); }
  [[nodiscard]] int height() const { return static_cast<int>(grid_.height()); }
  [[nodiscard]] bool contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width() && y < height();
  }

  void set(int x, int y, PackedColour colour) {
    if (contains(x, y)) cell(x, y) = colour;
  }
  [[nodiscard]] PackedColour get(int x, int y) const { return contains(x, y) ? cell(x, y) : 0; }

  void fill(const Rect& r, PackedColour colour) {
    const int x0 = std::max(r.x, 0), x1 = std::min(r.right(), width());
    const int y0 = std::max(r.y, 0), y1 = std::min(r.bottom(), height());
    for (int x = x0; x < x1; ++x) {
      for (int y = y0; y < y1; ++y) cell(x, y) = colour;
    }
  }

  // A frame `thickness` pixels wide just inside r.
  void frame(const Rect& r, int thickness, PackedColour colour) {
    fill({r.x, r.y, r.w, thickness}, colour);
    fill({r.x, r.bottom() - thickness, r.w, thickness}, colour);
    fill({r.x, r.y, thickness, r.h}, colour);
    fill({r.right() - thickness, r.y, thickness, r.h}, colour);
  }

 private:
  // Only for coordinates already known to be inside.
  [[nodiscard]] PackedColour& cell(int x, int y) {
    return grid_.at(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
  }
  [[nodiscard]] PackedColour cell(int x, int y) const {
    return grid_.at(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
  }

  Grid& grid_;
};

}  // namespace tq1::testcard
