// Exact division by a divisor fixed for many divisions, as a multiplication and a shift: the
// smoothing divides every cell of a block by the same block side, and hardware division is
// the slowest arithmetic it would do.
#pragma once

#include <cstdint>

namespace tq1 {

class Reciprocal {
 public:
  // divisor from 1 to 65535.
  explicit constexpr Reciprocal(std::uint32_t divisor) noexcept
      : factor_((std::uint64_t{1} << kShift) / divisor + 1) {}

  // n / divisor, rounded down, for every n up to 255 x divisor: the rounding error of the
  // factor stays below 1 / divisor over that range, so the quotient is exact.
  [[nodiscard]] constexpr std::uint32_t divide(std::uint32_t n) const noexcept {
    return static_cast<std::uint32_t>((std::uint64_t{n} * factor_) >> kShift);
  }

 private:
  static constexpr unsigned kShift = 40;
  std::uint64_t factor_;
};

}  // namespace tq1
