// How large an image the loader accepts, checked from the file's header before any pixel is
// decoded, so that a small hostile file cannot make the program ask for gigabytes.
#pragma once

#include <cstdint>

#include "codec/Limits.h"

namespace tq1 {

struct ImageLimits {
  std::uint32_t maxSide = kMaxSide;             // widest and tallest image, in pixels
  std::uint64_t maxPixels = kDefaultMaxPixels;  // width x height

  // True when a width x height image stays within both limits. Sides of 0 fit trivially;
  // whether an empty image is acceptable is the caller's question.
  [[nodiscard]] constexpr bool fits(std::uint64_t width, std::uint64_t height) const noexcept {
    if (width > maxSide || height > maxSide) return false;
    return width == 0 || height <= maxPixels / width;
  }
};

}  // namespace tq1
