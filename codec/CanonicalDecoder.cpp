// Builds the lookup structures for decoding canonical prefix codes.
#include "CanonicalDecoder.h"

namespace tq1 {

bool CanonicalDecoder::build(const SymbolTable& table, std::uint32_t last) {
  countOfLength_.fill(0);
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
  for (std::uint32_t k = 0; k <= last; ++k) {
    const SymbolEntry& e = table.entries[symbolsInOrder_[k]];
    if (e.code != firstCode_[e.length] + (k - firstPosition_[e.length])) return false;
  }

  fastTable_.assign(std::size_t{1} << kFastBits, FastEntry{});
  for (std::uint32_t k = 0; k <= last; ++k) {
    const SymbolEntry& e = table.entries[symbolsInOrder_[k]];
    if (e.length > kFastBits) {
      // A longer code: its first kFastBits bits lead to the search for it, which starts at
      // the shortest length seen under that prefix (codes come shortest first).
      FastEntry& lead = fastTable_[e.code >> (e.length - kFastBits)];
      if (lead.symbol == 0) lead.symbol = e.length;
      continue;
    }
    const unsigned spare = kFastBits - e.length;
    const std::size_t start = std::size_t{e.code} << spare;
    for (std::size_t fill = 0; fill < (std::size_t{1} << spare); ++fill) {
      fastTable_[start + fill] = {symbolsInOrder_[k], e.length};
    }
  }
  return true;
}

std::uint32_t CanonicalDecoder::decodeLong(BitReader& reader, std::uint32_t window,
                                           unsigned shortest) const {
  for (unsigned length = shortest; length <= 32; ++length) {
    const std::uint64_t code = window >> (32 - length);
    const std::uint64_t offset = code - firstCode_[length];
    if (code >= firstCode_[length] && offset < countOfLength_[length]) {
      reader.skip(length);
      return symbolsInOrder_[firstPosition_[length] + offset];
    }
  }
  // Unreachable for a complete code; consume everything so the caller sees an overrun.
  reader.skip(32);
  return symbolsInOrder_.front();
}

}  // namespace tq1
