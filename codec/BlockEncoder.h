// The quadtree block encoder: covers the quantised image with blocks of 2^a x 2^b cells that
// are uniform within the tolerance, listed in quadtree walk order as doubling markers
// followed by the block colour.
#pragma once

#include <cstdint>

#include "CodecContext.h"

namespace tq1 {

// Quantises `pixels`, then walks it, filling the block lists (`blockShapes`,
// `blockColourRank`), the marker counts and the symbol table (block colours only): all the
// file writer needs. Releases `pixels` once walked. Returns the number of tokens.
std::uint64_t tokeniseBlocks(CodecContext& context);

// tokeniseBlocks that also keeps the token list (`tokens`) and rebuilds the image as the
// tokens decode to it (with the in-memory markers), in one pass: each block is filled into
// `flatPixels` as it is emitted and `pixels` ends up the smoothed result. Returns the index of
// the last token.
std::uint32_t tokeniseAndRebuild(CodecContext& context);

}  // namespace tq1
