// The block encoder's walk taken step by step, for checking its pieces one at a time: the
// drivers run the whole walk through BlockEncoder.h and never include this.
#pragma once

#include <cstdint>

#include "CodecContext.h"

namespace tq1 {

// Quantises `pixels`, then walks it, filling `tokens`, the marker counts and the symbol table
// (block colours only). Returns the index of the last token. Leaves every cell of `pixels`
// covered (EmptyCell).
std::uint32_t tokenise(CodecContext& context);

// Covers the square of side 2^k at (x, y), clipped to the image, continuing a walk whose
// earlier blocks left their cells covered (EmptyCell) in `pixels`: appends to `tokens` and
// adds the block colours to the symbol table. Expects the quantiser's tables to be ready.
void encodeWalk(CodecContext& context, std::uint32_t x, std::uint32_t y, unsigned k);

}  // namespace tq1
