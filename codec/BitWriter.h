// Appends bit fields most significant bit first to a byte vector; unwritten low bits of the
// last byte stay zero. Whole 32-bit words go out at once into room made ahead, so a field
// costs a shift and an or, and a store every fourth byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace tq1 {

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }

  // Appends the n low bits of value (n from 0 to 32; value must be below 2^n).
  void writeBits(std::uint32_t value, unsigned n) {
    // Fewer than 32 bits were pending, so the shift keeps all of them; older bits that fall
    // off the top have been written already.
    accumulator_ = (accumulator_ << n) | value;
    pending_ += n;
    if (pending_ >= 32) {
      pending_ -= 32;
      writeWord(static_cast<std::uint32_t>(accumulator_ >> pending_));
    }
  }

  // Writes out the pending bits, the last byte padded with zero bits; call once when done.
  void finish() {
    bytes_.resize(used_);
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
    }
    if (pending_ > 0) {
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ << (8 - pending_)));
    }
    used_ = bytes_.size();
    pending_ = 0;
    accumulator_ = 0;
  }

  [[nodiscard]] std::uint64_t bitCursor() const noexcept {
    return std::uint64_t{used_} * 8 + pending_;
  }

 private:
  void writeWord(std::uint32_t word) {
    if (used_ + 4 > bytes_.size()) bytes_.resize(bytes_.size() * 2 + 4096);
    const std::uint8_t out[4] = {static_cast<std::uint8_t>(word >> 24),
                                 static_cast<std::uint8_t>(word >> 16),
                                 static_cast<std::uint8_t>(word >> 8),
                                 static_cast<std::uint8_t>(word)};
    std::memcpy(bytes_.data() + used_, out, 4);
    used_ += 4;
  }

  std::vector<std::uint8_t>& bytes_;  // holds used_ bytes, then room
  std::size_t used_ = 0;
  std::uint64_t accumulator_ = 0;  // its low `pending_` bits are not written yet
  unsigned pending_ = 0;
};

}  // namespace tq1
