// A colour spread out for arithmetic on all its channels at once.
#pragma once

#include <cstdint>

#include "PackedColour.h"
#include "Reciprocal.h"

namespace tq1 {

// A colour with channels 0 and 2 in the 32-bit lanes of one word and channels 1 and 3 in the
// other: room for a channel times a block side, so sums of such products never carry across
// lanes.
struct SpreadColour {
  std::uint64_t even = 0;
  std::uint64_t odd = 0;

  static SpreadColour of(PackedColour c) noexcept {
    return {(c & 0xFFu) | (std::uint64_t{(c >> 16) & 0xFFu} << 32),
            ((c >> 8) & 0xFFu) | (std::uint64_t{c >> 24} << 32)};
  }
  SpreadColour operator*(std::uint32_t k) const noexcept { return {even * k, odd * k}; }
  SpreadColour operator+(const SpreadColour& o) const noexcept { return {even + o.even, odd + o.odd}; }
  SpreadColour& operator+=(const SpreadColour& o) noexcept {
    even += o.even;
    odd += o.odd;
    return *this;
  }
  // Callers keep every lane at least the subtracted one, so no lane borrows.
  SpreadColour& operator-=(const SpreadColour& o) noexcept {
    even -= o.even;
    odd -= o.odd;
    return *this;
  }

  // Every lane divided by the side, rounded down, packed again.
  [[nodiscard]] PackedColour divided(const Reciprocal& side) const noexcept {
    const std::uint32_t c0 = side.divide(static_cast<std::uint32_t>(even));
    const std::uint32_t c1 = side.divide(static_cast<std::uint32_t>(odd));
    const std::uint32_t c2 = side.divide(static_cast<std::uint32_t>(even >> 32));
    const std::uint32_t c3 = side.divide(static_cast<std::uint32_t>(odd >> 32));
    return c0 | (c1 << 8) | (c2 << 16) | (c3 << 24);
  }
};

}  // namespace tq1
