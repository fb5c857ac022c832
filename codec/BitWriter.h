// Appends bit fields most significant bit first to a growing byte vector; unwritten low bits
// of the last byte stay zero.
#pragma once

#include <cstdint>
#include <vector>

namespace tq1 {

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }

  // Appends the n low bits of value (n from 0 to 32; value must be below 2^n).
  void writeBits(std::uint32_t value, unsigned n) {
    if (n == 0) return;
    accumulator_ = (accumulator_ << n) | value;  // fewer than 32 bits were pending
    pending_ += n;
    bitCursor_ += n;
    if (pending_ >= 32) {
      pending_ -= 32;
      const auto word = static_cast<std::uint32_t>(accumulator_ >> pending_);
      const std::uint8_t out[4] = {static_cast<std::uint8_t>(word >> 24),
                                   static_cast<std::uint8_t>(word >> 16),
                                   static_cast<std::uint8_t>(word >> 8),
                                   static_cast<std::uint8_t>(word)};
      bytes_.insert(bytes_.end(), out, out + 4);
      accumulator_ &= (std::uint64_t{1} << pending_) - 1;
    }
  }

  // Writes out the pending bits, the last byte padded with zero bits; call once when done.
  void finish() {
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
    }
    if (pending_ > 0) {
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ << (8 - pending_)));
    }
    pending_ = 0;
    accumulator_ = 0;
  }

  [[nodiscard]] std::uint64_t bitCursor() const noexcept { return bitCursor_; }

 private:
  std::vector<std::uint8_t>& bytes_;
  std::uint64_t accumulator_ = 0;  // holds fewer than 32 pending bits between calls
  unsigned pending_ = 0;
  std::uint64_t bitCursor_ = 0;
};

}  // namespace tq1
