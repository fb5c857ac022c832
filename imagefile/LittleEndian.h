// Little-endian field reads from a bitmap's bytes; the caller has checked that they exist.
#pragma once

#include <cstdint>

namespace tq1 {

inline std::uint32_t readLe16(const std::uint8_t* at) noexcept {
  return at[0] | (std::uint32_t{at[1]} << 8);
}

inline std::uint32_t readLe32(const std::uint8_t* at) noexcept {
  return readLe16(at) | (readLe16(at + 2) << 16);
}

}  // namespace tq1
