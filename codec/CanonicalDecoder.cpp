// Builds the lookup structures for decoding canonical prefix codes.
#include "CanonicalDecoder.h"

#include <algorithm>

namespace tq1 {

bool CanonicalDecoder::build(const SymbolTable& table, std::uint32_t last, PackedColour escape) {
  escape_ = escape;
  countOfLength_.fill(0);
  if (last >= (std::uint32_t{1} << 24)) return false;  // slots fit the table entries' 24 bits
  symbolsInOrder_.clear();
  symbolsInOrder_.reserve(std::size_t{last} + 1);
  for (std::uint32_t k = 0; k <= last; ++k) {
    const std::uint32_t symbol = table.byLength[k];
    const unsigned length = table.entries[symbol].length;
    if (length == 0 || length > 32) return false;
    ++countOfLength_[length];
    symbolsInOrder_.push_back(symbol);
  }
  // Kraft sum must be exactly one: a complete code leaves no bit pattern undecodable.
  std::uint64_t kraft = 0;  // in units of 2^-32
  for (unsigned length = 1; length <= 32; ++length) {
    kraft += std::uint64_t{countOfLength_[length]} << (32 - length);
  }
  if (kraft != (std::uint64_t{1} << 32)) return false;

  std::uint64_t code = 0;
  std::uint32_t position = 0;
  for (unsigned length = 1; length <= 32; ++length) {
    firstCode_[length] = code;
    firstPosition_[length] = position;
    code = (code + countOfLength_[length]) << 1;
    position += countOfLength_[length];
  }
  // The codes assigned by the table must be the canonical ones counted here.
  valueOfSlot_.resize(std::size_t{last} + 1);
  for (std::uint32_t k = 0; k <= last; ++k) {
    const SymbolEntry& e = table.entries[symbolsInOrder_[k]];
    if (e.code != firstCode_[e.length] + (k - firstPosition_[e.length])) return false;
    valueOfSlot_[k] = e.value;
  }

  fastTable_.assign(std::size_t{1} << kFastBits, FastEntry{});
  for (std::uint32_t k = 0; k <= last; ++k) {
    const SymbolEntry& e = table.entries[symbolsInOrder_[k]];
    if (e.length > kFastBits) {
      // A longer code: its first kFastBits bits lead to the search for it, which starts at
      // the shortest length seen under that prefix (codes come shortest first).
      FastEntry& lead = fastTable_[e.code >> (e.length - kFastBits)];
      if (lead.payloadAndTag == 0) lead.payloadAndTag = std::uint32_t{e.length} << 8;
      continue;
    }
    fillShortCode(k, e.length);
  }
  return true;
}

void CanonicalDecoder::fillShortCode(std::uint32_t slot, unsigned length) {
  const PackedColour value = valueOfSlot_[slot];
  const std::uint32_t tag = length | (plain(value) ? 0 : kNotPlain);
  const FastEntry entry{value, (slot << 8) | tag};
  const std::uint64_t code = firstCode_[length] + (slot - firstPosition_[length]);
  const unsigned spare = kFastBits - length;
  FastEntry* start = fastTable_.data() + (code << spare);
  std::fill(start, start + (std::size_t{1} << spare), entry);
}

void CanonicalDecoder::setValue(Slot slot, PackedColour value) {
  valueOfSlot_[slot.index] = value;
  if (slot.length <= kFastBits) fillShortCode(slot.index, slot.length);
}

void CanonicalDecoder::copyValuesTo(SymbolTable& table) const {
  for (std::size_t k = 0; k < symbolsInOrder_.size(); ++k) {
    table.entries[symbolsInOrder_[k]].value = valueOfSlot_[k];
  }
}

CanonicalDecoder::Slot CanonicalDecoder::decodeLong(std::uint32_t window, unsigned shortest) const {
  for (unsigned length = shortest; length <= 32; ++length) {
    const std::uint64_t code = window >> (32 - length);
    const std::uint64_t offset = code - firstCode_[length];
    if (code >= firstCode_[length] && offset < countOfLength_[length]) {
      return {firstPosition_[length] + static_cast<std::uint32_t>(offset), length};
    }
  }
  // Unreachable for a complete code; consume everything so the caller sees an overrun.
  return {0, 32};
}

}  // namespace tq1
