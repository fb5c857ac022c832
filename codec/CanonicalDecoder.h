// Decoding of the canonical prefix code whose lengths and order SymbolTable builds. For a complete
// canonical code it returns the same symbol, after the same bits, as a bit-by-bit search.
//
// A canonical code is ordered: the codes of each length follow those of the length before, so
// the next 32 bits of the stream, read as a number, are below the first code of length L + 1
// (shifted to the top) exactly when the code that starts them is no longer than L. The length
// is therefore the count of such limits the window reaches, found by comparing the window with
// all of them at once; no table of bit patterns and no search loop is needed, which keeps the
// long codes of colours as quick as short ones and the decoding free of hard-to-predict
// branches.
//
// The decoder also keeps each symbol's current value, stored by slot: the symbol's position in
// code order, which a code gives by one addition.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "BitReader.h"
#include "PackedColour.h"
#include "Simd.h"
#include "SymbolTable.h"

namespace tq1 {

class CanonicalDecoder {
 public:
  // A decoded code: its symbol's position in code order, and its length.
  struct Code {
    std::uint32_t slot = 0;
    unsigned length = 0;
  };

  // A code as it is sent: its bits, right-aligned, and how many there are.
  struct Word {
    std::uint32_t bits = 0;
    unsigned length = 0;
    friend bool operator==(const Word&, const Word&) = default;
  };

  // Prepares decoding for entries 0 ... last of a table whose code lengths and code order
  // (byLength) are built, taking their values as the starting values. Returns false when the
  // lengths are not those of a complete canonical prefix code of lengths 1 to 32.
  bool build(const SymbolTable& table, std::uint32_t last);

  // The code of symbol index `symbol`, if it is one of the coded entries.
  [[nodiscard]] std::optional<Word> wordOf(std::uint32_t symbol) const;

  // The code that starts `window` (the next 32 bits of the stream, first bit on top).
  [[nodiscard]] Code codeAt(std::uint32_t window) const noexcept {
    const unsigned length = shortest_ + limitsReached(window);
    return {(window >> (32 - length)) + slotBase_[length], length};
  }

  // Reads one code and returns its symbol index.
  std::uint32_t decodeSymbol(BitReader& reader) const {
    const Code code = codeAt(reader.peek32());
    reader.skip(code.length);
    return symbolsInOrder_[code.slot];
  }

  [[nodiscard]] PackedColour value(std::uint32_t slot) const noexcept {
    return valueOfSlot_[slot];
  }
  void setValue(std::uint32_t slot, PackedColour value) noexcept { valueOfSlot_[slot] = value; }
  // Writes the current values into the table, by symbol index.
  void copyValuesTo(SymbolTable& table) const;

 private:
  static constexpr unsigned kLimitVectors = 8;  // four limits each: every length 1 to 32

  // How many of the limits of lengths shortest_ ... longest_ - 1 the window reaches.
  [[nodiscard]] unsigned limitsReached(std::uint32_t window) const noexcept {
#if defined(TQ1_USE_SSE2)
    // Signed compares on values with the top bit flipped order them as unsigned numbers.
    const __m128i w = _mm_set1_epi32(static_cast<int>(window ^ 0x80000000u));
    __m128i reached = _mm_setzero_si128();
    for (unsigned k = 0; k < limitVectors_; ++k) {
      const __m128i limits = _mm_load_si128(reinterpret_cast<const __m128i*>(limits_.data()) + k);
      reached = _mm_sub_epi32(reached, _mm_cmpgt_epi32(w, limits));
    }
    reached = _mm_add_epi32(reached, _mm_shuffle_epi32(reached, _MM_SHUFFLE(1, 0, 3, 2)));
    reached = _mm_add_epi32(reached, _mm_shuffle_epi32(reached, _MM_SHUFFLE(2, 3, 0, 1)));
    return static_cast<unsigned>(_mm_cvtsi128_si32(reached));
#else
    unsigned reached = 0;
    for (unsigned k = 0; k < 4 * limitVectors_; ++k) {
      reached += window > (limits_[k] ^ 0x80000000u) ? 1 : 0;
    }
    return reached;
#endif
  }

  // Limits minus one, top bit flipped; entries past the longest length can never be reached.
  alignas(16) std::array<std::uint32_t, 4 * kLimitVectors> limits_{};
  unsigned limitVectors_ = 0;  // how many groups of four limits are in use
  unsigned shortest_ = 1;
  std::array<std::uint32_t, 33> slotBase_{};  // first slot minus first code, by length
  std::array<std::uint32_t, 34> firstSlot_{};  // first slot of each length; [33]: slot count
  std::vector<std::uint32_t> symbolsInOrder_;   // symbol index by slot
  std::vector<PackedColour> valueOfSlot_;       // value by slot
};

}  // namespace tq1
