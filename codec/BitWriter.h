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
    accumulator_ = (accumulator_ << n) | value;
    pending_ += n;
    bitCursor_ += n;
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
    }
    accumulator_ &= (std::uint64_t{1} << pending_) - 1;
  }

  // Writes out the partly filled last byte; call once when done.
  void finish() {
    if (pending_ > 0) {
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ << (8 - pending_)));
      pending_ = 0;
      accumulator_ = 0;
    }
  }

  [[nodiscard]] std::uint64_t bitCursor() const noexcept { return bitCursor_; }

 private:
  std::vector<std::uint8_t>& bytes_;
  std::uint64_t accumulator_ = 0;  // holds fewer than 8 pending bits between calls
  unsigned pending_ = 0;
  std::uint64_t bitCursor_ = 0;
};

}  // namespace tq1
