// Appends bit fields most significant bit first to a byte vector; unwritten low bits of the
// last byte stay zero. After every field the whole bytes it completed go out at once: eight
// bytes are stored unconditionally and the end moves on by the number of complete ones, so a
// field costs a few shifts and a store, with no branch on where the byte boundaries fall.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tq1 {

class BitWriter {
 public:
  // The widest field writeBits takes.
  static constexpr unsigned kMaxField = 56;

  explicit BitWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }

  // Appends the n low bits of value (n from 0 to kMaxField; value must be below 2^n).
  void writeBits(std::uint64_t value, unsigned n) {
    // At most 7 bits were pending, so the shift keeps all of them; older bits that fall off
    // the top have been written already.
    accumulator_ = (accumulator_ << n) | value;
    pending_ += n;
    if (used_ + 8 > bytes_.size()) grow();
    // The pending bits at the top of a word, first bit highest: two shifts, since none may be
    // pending.
    std::uint64_t word = (accumulator_ << (63 - pending_)) << 1;
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    std::memcpy(bytes_.data() + used_, &word, 8);
    used_ += pending_ / 8;
    pending_ %= 8;
  }

  // Ends the data after the last field, its last byte padded with zero bits; call once when
  // done.
  void finish() {
    used_ += pending_ > 0 ? 1 : 0;
    bytes_.resize(used_);
    pending_ = 0;
    accumulator_ = 0;
  }

  [[nodiscard]] std::uint64_t bitCursor() const noexcept {
    return std::uint64_t{used_} * 8 + pending_;
  }

 private:
  // Room for the next eight-byte store; capacity reserved beforehand is used first.
  void grow() {
    const bool reserved = bytes_.capacity() >= used_ + 8;
    bytes_.resize(reserved ? bytes_.capacity() : bytes_.size() * 2 + 4096);
  }

  std::vector<std::uint8_t>& bytes_;  // holds used_ whole bytes, the pending bits, then room
  std::size_t used_ = 0;
  std::uint64_t accumulator_ = 0;  // its low `pending_` bits are not in a whole byte yet
  unsigned pending_ = 0;           // below 8 between fields
};

}  // namespace tq1
