// A direct reader for the commonest bitmap files, uncompressed 24-bit with the 40-byte
// information header (what this program writes), free of Qt so that the command line converts
// them without loading it. Every other variant is left to the general loader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "codec/Grid.h"
#include "imagefile/ImageFileStatus.h"
#include "imagefile/ImageLimits.h"

namespace tq1 {

// nullopt when the bytes are not a bitmap of the handled variant (including files whose pixel
// rows are cut short): the caller then uses the general loader, which decides how to treat
// them. Otherwise the grid, or ImageTooLarge / OutOfMemory.
[[nodiscard]] std::optional<ImageFileResult<Grid>> readPlainBitmap(
    std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

}  // namespace tq1
