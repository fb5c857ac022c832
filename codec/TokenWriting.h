// The coded tokens of every block, written in walk order after the file's tables. Long token
// streams are written in two halves at once, the second on a thread of its own into a buffer
// of its own, which is then joined to the first at the bit where the first ends: a block's
// bits depend only on its own shape and colour (its colour's literal goes with the colour's
// first block, known in advance), so either half can be written without the other.
#pragma once

#include <cstdint>
#include <vector>

#include "BitWriter.h"
#include "CodecContext.h"

namespace tq1 {

// Whether `value` is one of the three control values.
[[nodiscard]] bool isControlValue(const CodecContext& context, PackedColour value);

// Each block: its x-doubling markers, its y-doubling markers, its colour's code, and the
// colour's literal after the first code of that colour (or after the escape symbol). Takes
// two threads where the context allows them and the stream is long enough to pay.
void writeBlockTokens(const CodecContext& context, const SymbolEntry& markerX,
                      const SymbolEntry& markerY, const SymbolEntry& escape, BitWriter& out);

// Appends the first `bitCount` bits of `bytes` (first bit in the top of the first byte).
void appendBits(const std::vector<std::uint8_t>& bytes, std::uint64_t bitCount, BitWriter& out);

}  // namespace tq1
