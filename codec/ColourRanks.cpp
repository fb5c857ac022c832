// Radix sort of block colours: two stable passes over the 24 colour bits.
#include "ColourRanks.h"

#include <algorithm>

namespace tq1 {

ColourRanks rankColours(std::span<const PackedColour> tokens) {
  // Each colour token as (colour << 32 | its position among the colour tokens).
  std::vector<std::uint64_t> keyed;
  keyed.reserve(tokens.size());
  std::uint32_t position = 0;
  for (const PackedColour token : tokens) {
    if (token == MarkerXToken || token == MarkerYToken) continue;
    keyed.push_back((std::uint64_t{token} << 32) | position++);
  }
  // Two stable passes of 12 bits each cover the 24 colour bits.
  std::vector<std::uint64_t> buffer(keyed.size());
  std::vector<std::size_t> start(4097);
  for (unsigned shift = 32; shift < 56; shift += 12) {
    std::fill(start.begin(), start.end(), 0);
    for (const std::uint64_t k : keyed) ++start[((k >> shift) & 0xFFF) + 1];
    for (unsigned b = 0; b < 4096; ++b) start[b + 1] += start[b];
    for (const std::uint64_t k : keyed) buffer[start[(k >> shift) & 0xFFF]++] = k;
    keyed.swap(buffer);
  }

  ColourRanks result;
  result.rank.resize(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    const auto colour = static_cast<PackedColour>(keyed[i] >> 32);
    if (result.colours.empty() || result.colours.back().value != colour) {
      SymbolEntry entry;
      entry.value = colour;
      result.colours.push_back(entry);
    }
    ++result.colours.back().count;
    result.rank[keyed[i] & 0xFFFFFFFFu] = static_cast<std::uint32_t>(result.colours.size() - 1);
  }
  return result;
}

}  // namespace tq1
