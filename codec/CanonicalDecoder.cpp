// Builds the limits and slots for decoding canonical prefix codes.
#include "CanonicalDecoder.h"

#include <algorithm>

namespace tq1 {

bool CanonicalDecoder::build(const SymbolTable& table, std::uint32_t last) {
  if (last >= (std::uint32_t{1} << 24)) return false;
  std::array<std::uint32_t, 34> countOfLength{};
  symbolsInOrder_.resize(std::size_t{last} + 1);
  valueOfSlot_.resize(std::size_t{last} + 1);
  // Slots are code order. The codes are canonical exactly when the lengths never fall along
  // it: each length's codes then follow those of the length before, as the limits assume.
  unsigned previous = 1;
  for (std::uint32_t k = 0; k <= last; ++k) {
    const std::uint32_t symbol = table.byLength[k];
    const SymbolEntry& e = table.entries[symbol];
    if (e.length < previous || e.length > 32) return false;
    previous = e.length;
    ++countOfLength[e.length];
    symbolsInOrder_[k] = symbol;
    valueOfSlot_[k] = e.value;
  }
  // Kraft sum must be exactly one: a complete code leaves no bit pattern undecodable.
  std::uint64_t kraft = 0;  // in units of 2^-32
  for (unsigned length = 1; length <= 32; ++length) {
    kraft += std::uint64_t{countOfLength[length]} << (32 - length);
  }
  if (kraft != (std::uint64_t{1} << 32)) return false;

  std::array<std::uint64_t, 34> firstCode{};
  std::uint64_t code = 0;
  std::uint32_t position = 0;
  unsigned longest = 0;
  shortest_ = 0;
  for (unsigned length = 1; length <= 32; ++length) {
    firstCode[length] = code;
    firstSlot_[length] = position;
    slotBase_[length] = position - static_cast<std::uint32_t>(code);  // modulo 2^32
    if (countOfLength[length] != 0) {
      if (shortest_ == 0) shortest_ = length;
      longest = length;
    }
    code = (code + countOfLength[length]) << 1;
    position += countOfLength[length];
  }
  // The limit of a length below the longest is the first code of the next length, at the
  // top of 32 bits: above 0 and below 2^32, so limit - 1 fits 32 bits. A window reaches it
  // when it is greater than limit - 1.
  limits_.fill(0xFFFFFFFFu ^ 0x80000000u);
  for (unsigned length = shortest_; length < longest; ++length) {
    const std::uint64_t limit = firstCode[length + 1] << (32 - (length + 1));
    limits_[length - shortest_] = static_cast<std::uint32_t>(limit - 1) ^ 0x80000000u;
  }
  firstSlot_[33] = position;
  limitVectors_ = (longest - shortest_ + 3) / 4;
  return true;
}

std::optional<CanonicalDecoder::Word> CanonicalDecoder::wordOf(std::uint32_t symbol) const {
  const auto at = std::find(symbolsInOrder_.begin(), symbolsInOrder_.end(), symbol);
  if (at == symbolsInOrder_.end()) return std::nullopt;
  const auto slot = static_cast<std::uint32_t>(at - symbolsInOrder_.begin());
  unsigned length = 1;
  while (firstSlot_[length + 1] <= slot) ++length;
  return Word{slot - slotBase_[length], length};
}

void CanonicalDecoder::copyValuesTo(SymbolTable& table) const {
  for (std::size_t k = 0; k < symbolsInOrder_.size(); ++k) {
    table.entries[symbolsInOrder_[k]].value = valueOfSlot_[k];
  }
}

}  // namespace tq1
