// Reads the doubling markers at the start of a block in one lookup. Most blocks of a photo
// begin with a short run of x-doubling markers followed by y-doubling markers, each a code of
// two or three bits: the run's counts and length, for every possible next 13 bits of the
// stream, come from one table instead of one code at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "CanonicalDecoder.h"
#include "SymbolTable.h"

namespace tq1 {

class MarkerRuns {
 public:
  static constexpr unsigned kWindowBits = 13;

  struct Run {
    unsigned xMarkers = 0;
    unsigned yMarkers = 0;
    unsigned bits = 0;  // the length of their codes together
  };

  // Prepares the table for the codes of the x- and y-markers. Leaves it unused (every run
  // empty) when either is missing, when they are the same code, or when either is longer
  // than the window.
  void build(std::optional<CanonicalDecoder::Word> x, std::optional<CanonicalDecoder::Word> y);

  [[nodiscard]] bool used() const noexcept { return !runs_.empty(); }

  // The x-markers, then the y-markers, whose codes start the window (the next bits of the
  // stream, first bit on top). Only whole codes inside the window count.
  [[nodiscard]] Run runAt(std::uint32_t window) const noexcept {
    const unsigned packed = runs_[window >> (32 - kWindowBits)];
    return {packed & 0xFu, (packed >> 4) & 0xFu, packed >> 8};
  }

 private:
  std::vector<std::uint16_t> runs_;
};

// The one symbol among `candidates` (symbol indices, possibly repeated) whose value is
// `value`, if exactly one has it: a marker value that several symbols share, or none, cannot be
// read by code alone. A reader looks among the control symbols, since every other entry holds
// EmptyCell until its colour is read.
[[nodiscard]] std::optional<std::uint32_t> onlySymbolWithValue(
    const SymbolTable& table, std::span<const std::uint32_t> candidates, std::uint32_t value);

}  // namespace tq1
