// Table-driven decoding of the canonical prefix code that SymbolTable::buildCodes builds:
// one table lookup for short codes, a per-length range check for long ones. For a complete
// canonical code it returns the same symbol, after the same bits, as a bit-by-bit search.
//
// The decoder also keeps each symbol's current value, stored by slot: the symbol's position
// in code order, which a code gives without a lookup. A short code's table entries carry the
// value itself, so the commonest tokens come out of one small lookup, and a long code's value
// is one access away instead of two dependent ones (symbol index, then value).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "BitReader.h"
#include "PackedColour.h"
#include "SymbolTable.h"

namespace tq1 {

class CanonicalDecoder {
 public:
  // Where a decoded code's symbol sits in code order, and the length of its code.
  struct Slot {
    std::uint32_t index = 0;
    unsigned length = 0;
  };

  // Prepares decoding for entries 0 ... last of a table whose codes are built, taking their
  // values as the starting values. A value is plain unless it is EmptyCell or `escape`.
  // Returns false when those codes are not a complete prefix code of lengths 1 to 32.
  bool build(const SymbolTable& table, std::uint32_t last, PackedColour escape = EmptyCell);

  // Reads one code and returns its symbol index.
  std::uint32_t decodeSymbol(BitReader& reader) const {
    const std::uint32_t window = reader.peek32();
    const FastEntry fast = fastTable_[window >> (32 - kFastBits)];
    Slot slot{fast.payload(), fast.tag() & kLengthMask};
    if (fast.tag() == 0) slot = decodeLong(window, fast.payload());
    reader.skip(slot.length);
    return symbolsInOrder_[slot.index];
  }

  // Reads one code. When its symbol's value is plain, stores it in `value` and returns true;
  // otherwise stores the symbol's slot and returns false.
  bool decodeValue(BitReader& reader, PackedColour& value, Slot& slot) const {
    const std::uint32_t window = reader.peek32();
    const FastEntry fast = fastTable_[window >> (32 - kFastBits)];
    const unsigned tag = fast.tag();
    if (tag - 1u < kFastBits) {  // a short code with a plain value
      reader.skip(tag);
      value = fast.value;
      return true;
    }
    if (tag != 0) {
      slot = {fast.payload(), tag & kLengthMask};
      reader.skip(slot.length);
      return false;
    }
    slot = decodeLong(window, fast.payload());
    reader.skip(slot.length);
    value = valueOfSlot_[slot.index];
    return plain(value);
  }

  [[nodiscard]] PackedColour value(Slot slot) const noexcept { return valueOfSlot_[slot.index]; }
  // Gives the symbol in a slot a new value, in the value array and in its short code's table
  // entries.
  void setValue(Slot slot, PackedColour value);
  // Writes the current values into the table, by symbol index.
  void copyValuesTo(SymbolTable& table) const;

 private:
  static constexpr unsigned kFastBits = 13;
  static constexpr std::uint32_t kLengthMask = 0x3F;
  static constexpr std::uint32_t kNotPlain = 0x40;
  // Eight bytes, so that the table stays within 64 KB.
  struct FastEntry {
    PackedColour value = EmptyCell;  // the symbol's value, for a short code
    // Above the tag: the slot, or for a longer code the shortest length under this prefix.
    // The tag: 0 when the code is longer than kFastBits, else its length, with kNotPlain
    // added when the value is not plain.
    std::uint32_t payloadAndTag = 0;
    [[nodiscard]] std::uint32_t payload() const noexcept { return payloadAndTag >> 8; }
    [[nodiscard]] unsigned tag() const noexcept { return payloadAndTag & 0xFF; }
  };

  [[nodiscard]] bool plain(PackedColour value) const noexcept {
    return value != EmptyCell && value != escape_;
  }
  void fillShortCode(std::uint32_t slot, unsigned length);
  [[nodiscard]] Slot decodeLong(std::uint32_t window, unsigned shortest) const;

  std::vector<FastEntry> fastTable_;
  std::vector<std::uint32_t> symbolsInOrder_;   // symbol index by slot
  std::vector<PackedColour> valueOfSlot_;       // value by slot
  PackedColour escape_ = EmptyCell;
  std::array<std::uint64_t, 34> firstCode_{};   // first code of each length
  std::array<std::uint32_t, 34> countOfLength_{};  // how many codes have each length
  std::array<std::uint32_t, 34> firstPosition_{};  // first slot of each length
};

}  // namespace tq1
