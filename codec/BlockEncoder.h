// The quadtree block encoder: covers the quantised image with blocks of 2^a x 2^b cells that
// are uniform within the tolerance, listed in quadtree walk order as doubling markers
// followed by the block colour.
#pragma once

#include <cstdint>

#include "CodecContext.h"

namespace tq1 {

// Quantises `pixels`, then walks it, filling `tokens`, the marker counts and the symbol table
// (block colours only). Returns the index of the last token. Leaves every cell of `pixels`
// covered (EmptyCell).
std::uint32_t tokenise(CodecContext& context);

// tokenise, keeping only the block lists (`blockShapes`, `blockColourRank`), not `tokens`:
// all the file writer needs. Releases `pixels` once walked. Returns the number of tokens.
std::uint64_t tokeniseBlocks(CodecContext& context);

// tokenise followed by rebuildImage (with the in-memory markers), in one pass: each block is
// filled into `flatPixels` as it is emitted, so the tokens need no second walk. Leaves the
// context exactly as those two steps would.
std::uint32_t tokeniseAndRebuild(CodecContext& context);

// The average colour of the block of 2^a x 2^b cells at (x0, y0), rounded down per channel,
// or EmptyCell when the block leaves the image, holds a covered cell, or some channel spreads
// more than the tolerance.
[[nodiscard]] PackedColour blockAverage(const CodecContext& context, std::uint32_t x0,
                                        std::uint32_t y0, unsigned a, unsigned b);

// Covers the square of side 2^k at (x, y), clipped to the image.
void encodeWalk(CodecContext& context, std::uint32_t x, std::uint32_t y, unsigned k);

// The colour with every channel moved to the nearest level value of that channel (the lower
// of two equally near), so that every block colour can be sent as level indices.
[[nodiscard]] PackedColour snapToLevels(const CodecContext& context, PackedColour colour);

}  // namespace tq1
