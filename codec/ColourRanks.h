// The distinct colours of a list of blocks with their counts, and each block's rank among
// them, found by one radix sort instead of a table look-up per block.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "PackedColour.h"
#include "SymbolTable.h"

namespace tq1 {

struct ColourRanks {
  std::vector<SymbolEntry> colours;  // distinct colours, ascending, with their counts
  std::vector<std::uint32_t> rank;   // per block, in order: its colour's index in colours
};

// Counts the colours of blocks given in order. Colours must have 0 in their fourth channel.
[[nodiscard]] ColourRanks rankColours(std::span<const PackedColour> blockColours);

}  // namespace tq1
