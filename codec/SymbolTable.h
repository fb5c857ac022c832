// The distinct symbols of one image (block colours and the three control symbols), sorted by
// value, with their counts and canonical prefix codes. The reader rebuilds the very same codes
// from the stored counts, so every step of the construction, tie order included, is part of
// the file format.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "PackedColour.h"

namespace tq1 {

struct SymbolEntry {
  std::uint32_t value = EmptyCell;  // a colour or a control value; EmptyCell until known
  std::uint32_t count = 0;          // occurrences: the weight of the code construction
  std::uint8_t length = 0;          // code length in bits, 0 until codes are built
  std::uint32_t code = 0;           // right-aligned code, first bit sent = its top bit

  friend bool operator==(const SymbolEntry&, const SymbolEntry&) = default;
};

// Marks a symbol that has no code in codeIndex.
inline constexpr std::uint32_t kNoCode = 0xFFFFFF;

class SymbolTable {
 public:
  std::vector<SymbolEntry> entries;      // sorted by value, values distinct
  std::vector<std::uint32_t> byCount;    // symbol indices, largest count first
  std::vector<std::uint32_t> byLength;   // symbol indices, shortest code first
  std::vector<std::uint32_t> codeIndex;  // symbol index -> position in byCount, or kNoCode

  [[nodiscard]] std::uint32_t size() const noexcept {
    return static_cast<std::uint32_t>(entries.size());
  }

  // The index of value, or -(p + 1) with p the position where it would be inserted.
  [[nodiscard]] std::int32_t find(std::uint32_t value) const noexcept;
  // Inserts a fresh entry (count 0) holding value at position p and returns p.
  std::uint32_t insertAt(std::uint32_t value, std::uint32_t p);
  std::uint32_t findOrInsert(std::uint32_t value);

  // Replaces the table by the given (value, count) pairs; values must be distinct. Equivalent
  // to inserting them one by one with findOrInsert, without the quadratic shifting.
  void assignSorted(std::vector<SymbolEntry> sortedEntries);

  // Builds code lengths and canonical codes for entries 0 ... last from their counts and
  // returns the position in byCount of the last symbol with a non-zero count.
  std::uint32_t buildCodes(std::uint32_t last);

  // The same for counts from untrusted data: gives up (nullopt) when sorting them would take
  // more than sortBudget element steps, so hostile counts cannot make decoding hang.
  std::optional<std::uint32_t> buildCodes(std::uint32_t last, std::uint64_t sortBudget);

  // buildCodes without the codes themselves and codeIndex: the lengths and both orders, all
  // that decoding needs.
  std::optional<std::uint32_t> buildLengths(std::uint32_t last, std::uint64_t sortBudget);

  // The longest code length buildCodes produced (0 before it ran).
  [[nodiscard]] unsigned maxCodeLength() const noexcept;

 private:
  // The canonical codes in byLength order, and codeIndex, once the lengths are built.
  void assignCodes(std::uint32_t last, std::uint32_t m);
};

// Makes the counts of a table whose counts are all at least 1 storable and builds its codes:
// every count becomes max(1, count >> s) for the smallest s with which all counts fit 20 bits
// and no code is longer than 32 bits. Returns s (0 for any ordinary image).
unsigned fitCountsAndBuildCodes(SymbolTable& table);

// The number of binary digits of x, at least 1.
[[nodiscard]] constexpr std::uint8_t bitLength(std::uint32_t x) noexcept {
  std::uint8_t n = 0;
  do {
    ++n;
    x >>= 1;
  } while (x != 0);
  return n;
}

// Orders positions first ... last of index by an unsigned key, with exactly the permutation
// of the format's quicksort (middle pivot, Hoare partition; descending = ascending, then
// reversed). When stepBudget is given and the sort needs more element steps than that, it
// stops and returns false (used on untrusted counts to keep decoding free of hangs).
bool sortIndices(std::span<const std::uint32_t> keys, std::span<std::uint32_t> index,
                 bool descending, std::optional<std::uint64_t> stepBudget = std::nullopt);

}  // namespace tq1
