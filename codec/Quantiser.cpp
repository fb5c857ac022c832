// Colour quantisation by greedy merging of neighbouring levels.
#include "Quantiser.h"

#include <array>
#include <cstdint>
#include <span>

namespace tq1 {

namespace {

// Neighbouring cells often share channel values, and an increment of a count just incremented
// waits for it: four interleaved sets of counts keep such increments apart. The fourth channel
// of image cells is 0, so its zeros are counted in a register.
void countChannelValues(CodecContext& context) {
  constexpr std::size_t kSets = 4;
  std::array<std::array<std::array<std::uint32_t, 256>, 3>, kSets> counts{};
  std::uint64_t fourthZeros = 0;
  const auto count = [&](std::array<std::array<std::uint32_t, 256>, 3>& set, PackedColour cell) {
    ++set[0][cell & 0xff];
    ++set[1][(cell >> 8) & 0xff];
    ++set[2][(cell >> 16) & 0xff];
    if ((cell >> 24) == 0) {
      ++fourthZeros;
    } else {
      ++context.histogram[3][cell >> 24];
    }
  };
  const std::span<const PackedColour> cells = context.pixels.cells();
  std::size_t i = 0;
  for (; i + kSets <= cells.size(); i += kSets) {
    for (std::size_t k = 0; k < kSets; ++k) count(counts[k], cells[i + k]);
  }
  for (; i < cells.size(); ++i) count(counts[0], cells[i]);
  for (const auto& set : counts) {
    for (unsigned c = 0; c < 3; ++c) {
      for (unsigned v = 0; v < 256; ++v) context.histogram[c][v] += set[c][v];
    }
  }
  context.histogram[3][0] += static_cast<std::int64_t>(fourthZeros);
}

unsigned occupiedValues(const std::array<std::int64_t, 256>& histogram) {
  unsigned n = 0;
  for (const std::int64_t count : histogram) n += count != 0 ? 1u : 0u;
  return n;
}

// Lists the surviving level values in increasing order and renumbers channelMap from
// values-to-survivor into values-to-level-index.
void numberLevels(CodecContext& context, unsigned c) {
  auto& map = context.channelMap[c];
  auto& levels = context.levelValue[c];
  std::uint32_t count = 0;
  for (unsigned v = 0; v < 256; ++v) {
    if (context.histogram[c][v] == 0) continue;
    const std::uint8_t survivor = map[v];
    if (count == 0 || levels[count - 1] != survivor) levels[count++] = survivor;
  }
  std::array<std::int16_t, 256> indexOfValue;
  indexOfValue.fill(-1);
  for (std::uint32_t l = 0; l < count; ++l) indexOfValue[levels[l]] = static_cast<std::int16_t>(l);
  for (unsigned v = 0; v < 256; ++v) {
    if (indexOfValue[map[v]] >= 0) map[v] = static_cast<std::uint8_t>(indexOfValue[map[v]]);
  }
  context.levelCount[c] = count;
}

void remapPixels(CodecContext& context) {
  std::array<std::array<PackedColour, 256>, 4> lookup;
  for (unsigned c = 0; c < 4; ++c) {
    for (unsigned v = 0; v < 256; ++v) {
      lookup[c][v] = PackedColour{context.levelValue[c][context.channelMap[c][v]]} << (8 * c);
    }
  }
  for (PackedColour& cell : context.pixels.cells()) {
    cell = lookup[0][cell & 0xff] | lookup[1][(cell >> 8) & 0xff] |
           lookup[2][(cell >> 16) & 0xff] | lookup[3][cell >> 24];
  }
}

}  // namespace

void mergeLevels(CodecContext& context, unsigned c) {
  auto& histogram = context.histogram[c];
  // Find the cheapest pair of neighbouring levels; the first (lowest) wins ties.
  int previous = -1;
  int bestP = -1;
  int bestQ = -1;
  std::uint64_t bestCost = UINT64_MAX;
  for (int v = 0; v < 256; ++v) {
    if (histogram[v] == 0) continue;
    if (previous >= 0) {
      const auto smaller = static_cast<std::uint64_t>(std::min(histogram[previous], histogram[v]));
      const std::uint64_t cost = smaller * static_cast<std::uint64_t>(v - previous);
      if (cost < bestCost) {
        bestCost = cost;
        bestP = previous;
        bestQ = v;
      }
    }
    previous = v;
  }
  if (bestP < 0) return;  // a single level: nothing to merge
  const bool lowerSurvives = histogram[bestP] >= histogram[bestQ];
  const int survivor = lowerSurvives ? bestP : bestQ;
  const int gone = lowerSurvives ? bestQ : bestP;
  auto& map = context.channelMap[c];
  for (auto& target : map) {
    if (target == bestP || target == bestQ) target = static_cast<std::uint8_t>(survivor);
  }
  histogram[survivor] += histogram[gone];
  histogram[gone] = 0;
}

void quantise(CodecContext& context) {
  countChannelValues(context);
  bool merged = false;
  for (unsigned c = 0; c < 4; ++c) {
    unsigned n = occupiedValues(context.histogram[c]);
    while (n > unsigned{context.maxLevel[c]} + 1) {
      mergeLevels(context, c);
      merged = true;
      --n;
    }
    numberLevels(context, c);
  }
  // Where every value kept its own level, each cell already holds its level values.
  if (merged) remapPixels(context);
}

}  // namespace tq1
