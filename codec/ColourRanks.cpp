// Radix sort of block colours: two stable passes over the 24 colour bits.
#include "ColourRanks.h"

#include <algorithm>

namespace tq1 {

ColourRanks rankColours(std::span<const PackedColour> blockColours) {
  // Each block as (colour << 32 | its position), counting the digits of both radix passes on
  // the way.
  constexpr unsigned kDigitBits = 12;
  constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
  std::vector<std::size_t> lowStart(kDigits + 1, 0);
  std::vector<std::size_t> highStart(kDigits + 1, 0);
  std::vector<std::uint64_t> keyed(blockColours.size());
  for (std::size_t position = 0; position < blockColours.size(); ++position) {
    const PackedColour colour = blockColours[position];
    keyed[position] = (std::uint64_t{colour} << 32) | position;
    ++lowStart[(colour & (kDigits - 1)) + 1];
    ++highStart[((colour >> kDigitBits) & (kDigits - 1)) + 1];
  }
  for (std::size_t d = 0; d < kDigits; ++d) {
    lowStart[d + 1] += lowStart[d];
    highStart[d + 1] += highStart[d];
  }
  // Two stable passes of 12 bits each cover the 24 colour bits.
  {
    std::vector<std::uint64_t> buffer(keyed.size());
    for (const std::uint64_t k : keyed) buffer[lowStart[(k >> 32) & (kDigits - 1)]++] = k;
    for (const std::uint64_t k : buffer) keyed[highStart[(k >> 44) & (kDigits - 1)]++] = k;
  }  // the buffer's memory then serves the results

  std::size_t distinct = 0;
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    distinct += i == 0 || (keyed[i] >> 32) != (keyed[i - 1] >> 32) ? 1 : 0;
  }
  ColourRanks result;
  // Room for the three control symbols the file writer inserts among the colours, so that
  // the symbol table made of this list does not move to grow by them.
  result.colours.reserve(distinct + 3);
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
