// The quadtree decoder: repeats the encoder's walk over a token sequence, fills the blocks,
// and smooths their seams.
#pragma once

#include <cstdint>

#include "CodecContext.h"

namespace tq1 {

// Both passes: the first fills `pixels` with flat block colours, the second fills
// `flatPixels` the same way and smooths `pixels` block by block. Both grids must be allocated.
// Fails, without writing outside the grids, when a block reaches past the image or the walk
// needs more tokens than `tokens` holds.
CodecStatus rebuildImage(CodecContext& context);

}  // namespace tq1
