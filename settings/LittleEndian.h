// Little-endian 32-bit fields of the stored records, independent of the host byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tq1::detail {

inline void storeLe32(std::span<std::uint8_t> out, std::size_t offset, std::int32_t value) noexcept {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) {
    out[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
}

[[nodiscard]] inline std::int32_t loadLe32(std::span<const std::uint8_t> in,
                                           std::size_t offset) noexcept {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    bits |= std::uint32_t{in[offset + i]} << (8 * i);
  }
  return static_cast<std::int32_t>(bits);
}

}  // namespace tq1::detail
