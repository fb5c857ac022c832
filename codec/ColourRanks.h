// The distinct block colours of a token sequence with their counts, and each block's rank
// among them, found by one radix sort instead of a table look-up per block.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "PackedColour.h"
#include "SymbolTable.h"

namespace tq1 {

struct ColourRanks {
  std::vector<SymbolEntry> colours;  // distinct colours, ascending, with their counts
  std::vector<std::uint32_t> rank;   // per colour token in sequence order: its index in colours
};

// Counts the colour tokens of `tokens` (every token that is not a doubling marker). Colours
// must have 0 in their fourth channel.
[[nodiscard]] ColourRanks rankColours(std::span<const PackedColour> tokens);

}  // namespace tq1
