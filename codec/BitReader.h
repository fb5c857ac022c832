// Reads bit fields most significant bit first from a byte span. It knows where the data ends:
// reading past the end yields zero bits and sets a sticky flag that callers check once per
// structure, so a truncated stream is reported instead of silently decoded.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace tq1 {

class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // The next n bits (0 to 32) as a number, first bit most significant.
  std::uint32_t readBits(unsigned n) {
    if (n == 0) return 0;
    const std::uint32_t value = peek32() >> (32 - n);
    skip(n);
    return value;
  }

  std::uint32_t readBit() { return readBits(1); }

  // The next 32 bits without consuming them; bits past the end read as 0.
  [[nodiscard]] std::uint32_t peek32() const noexcept {
    return static_cast<std::uint32_t>(peek57() >> 32);
  }

  // The next 57 bits without consuming them, first bit on top of the word; the lowest 7 bits
  // are not meaningful. Bits past the end read as 0.
  [[nodiscard]] std::uint64_t peek57() const noexcept {
    const std::uint64_t byteIndex = bitCursor_ >> 3;
    const unsigned shift = static_cast<unsigned>(bitCursor_ & 7);
    std::uint64_t window = 0;
    if (byteIndex + 8 <= bytes_.size()) {
      std::memcpy(&window, bytes_.data() + byteIndex, 8);
      if constexpr (std::endian::native == std::endian::little) window = __builtin_bswap64(window);
    } else {
      for (unsigned k = 0; k < 8; ++k) {
        const std::uint64_t at = byteIndex + k;
        window = (window << 8) | (at < bytes_.size() ? bytes_[at] : 0u);
      }
    }
    return window << shift;
  }

  // Consumes n bits; consuming past the end of the data sets the overrun flag.
  void skip(unsigned n) noexcept {
    bitCursor_ += n;
    if (bitCursor_ > totalBits()) overrun_ = true;
  }

  [[nodiscard]] bool overrun() const noexcept { return overrun_; }
  [[nodiscard]] std::uint64_t bitCursor() const noexcept { return bitCursor_; }
  [[nodiscard]] std::uint64_t totalBits() const noexcept {
    return std::uint64_t{bytes_.size()} * 8;
  }
  [[nodiscard]] std::uint64_t bitsLeft() const noexcept {
    return bitCursor_ >= totalBits() ? 0 : totalBits() - bitCursor_;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t bitCursor_ = 0;
  bool overrun_ = false;
};

}  // namespace tq1
