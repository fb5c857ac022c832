// The project's sample image: a test card of colour bars, a colour wheel, grey steps,
// gradients, fine lines, sharp edges and text, laid out for any size.
#pragma once

#include <cstdint>

#include "codec/Grid.h"

namespace tq1::testcard {

inline constexpr std::uint32_t kDefaultWidth = 768;
inline constexpr std::uint32_t kDefaultHeight = 512;

// Draws the card at width x height (each at least 1). The layout is designed at the default
// size and stretched to the one asked for; one-pixel patterns stay one pixel wide, and text
// that no longer fits its place is left out. Throws std::bad_alloc when the grid cannot be had.
[[nodiscard]] Grid drawTestCard(std::uint32_t width, std::uint32_t height);

}  // namespace tq1::testcard
