// Measures of how close a coded image is to its original, for people choosing parameters.
#pragma once

#include <optional>

#include "Grid.h"

namespace tq1 {

// Peak signal-to-noise ratio over the red, green and blue channels, in decibels; nullopt for
// identical images (infinite) and for grids of different sizes.
[[nodiscard]] std::optional<double> psnr(const Grid& original, const Grid& coded);

}  // namespace tq1
