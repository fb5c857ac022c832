// Straightforward transcriptions of the codec's defining algorithms (quadratic where the
// definition is), used only to check that the fast implementations give identical results.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/CodecContext.h"

namespace tq1::reference {

// Recursive middle-pivot quicksort of index positions by key, reversed when descending.
void sortIndices(const std::vector<std::uint32_t>& keys, std::vector<std::uint32_t>& index,
                 bool descending);

struct Codes {
  std::vector<std::uint32_t> byCount;
  std::vector<std::uint32_t> byLength;
  std::vector<std::uint8_t> length;
  std::vector<std::uint32_t> code;
};

// Code construction with the rescanning pair search; all counts must be non-zero.
Codes buildCodes(const std::vector<std::uint32_t>& counts);

// Bit-by-bit binary search over the canonical order; bits are taken from `bits` at `pos`.
std::uint32_t decodeSymbol(const Codes& codes, const std::vector<int>& bits, std::size_t& pos);

// One merge step found by trying every pair of levels and every target value.
void mergeLevelsExhaustive(std::array<std::int64_t, 256>& histogram,
                           std::array<std::uint8_t, 256>& channelMap);

// The average colour of the block of 2^a x 2^b cells at (x0, y0), rounded down per channel,
// or EmptyCell when the block leaves the image, holds a covered cell, or some channel spreads
// more than the tolerance.
[[nodiscard]] PackedColour blockAverage(const CodecContext& context, std::uint32_t x0,
                                        std::uint32_t y0, unsigned a, unsigned b);

// The colour with every channel moved to the nearest level value of that channel (the lower
// of two equally near).
[[nodiscard]] PackedColour snapToLevels(const CodecContext& context, PackedColour colour);

// Tokenises with a full block test per candidate shape and a sorted symbol table filled by
// insertion, as the defining algorithm does. Returns the tokens; fills symbols (value,count).
std::vector<PackedColour> tokenise(CodecContext& context);

// Smooths one block with per-channel arithmetic and true division.
void smoothBlock(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                 unsigned b);

// Rebuilds with two full walks over the tokens, smoothing in the second.
void rebuildImage(CodecContext& context);

}  // namespace tq1::reference
