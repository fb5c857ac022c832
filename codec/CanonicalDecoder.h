// Table-driven decoding of the canonical prefix code that SymbolTable::buildCodes builds:
// one table lookup for short codes, a per-length range check for long ones. For a complete
// canonical code it returns the same symbol, after the same bits, as a bit-by-bit search.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "BitReader.h"
#include "SymbolTable.h"

namespace tq1 {

class CanonicalDecoder {
 public:
  // Prepares decoding for entries 0 ... last of a table whose codes are built. Returns false
  // when those codes are not a complete prefix code of lengths 1 to 32.
  bool build(const SymbolTable& table, std::uint32_t last);

  // Reads one code and returns its symbol index.
  std::uint32_t decodeSymbol(BitReader& reader) const {
    const std::uint32_t window = reader.peek32();
    const FastEntry& fast = fastTable_[window >> (32 - kFastBits)];
    if (fast.length != 0) {
      reader.skip(fast.length);
      return fast.symbol;
    }
    return decodeLong(reader, window, fast.symbol);
  }

 private:
  static constexpr unsigned kFastBits = 13;
  struct FastEntry {
    std::uint32_t symbol = 0;  // for a longer code, the shortest length under this prefix
    std::uint8_t length = 0;   // 0: the code is longer than kFastBits
  };

  std::uint32_t decodeLong(BitReader& reader, std::uint32_t window, unsigned shortest) const;

  std::vector<FastEntry> fastTable_;
  std::vector<std::uint32_t> symbolsInOrder_;        // byLength order
  std::array<std::uint64_t, 34> firstCode_{};        // first code of each length
  std::array<std::uint32_t, 34> countOfLength_{};    // how many codes have each length
  std::array<std::uint32_t, 34> firstPosition_{};    // position in symbolsInOrder_
};

}  // namespace tq1
