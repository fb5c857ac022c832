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

// Every bitmap first passes the structural check (checkBitmapStructure); a damaged one of any
// variant is refused here with the error naming the damage, so that the command line gives the
// same verdict as the general loader without starting it. Then nullopt when the bytes are not
// a bitmap of the handled variant: the caller uses the general loader. Otherwise the grid, or
// ImageTooLarge / OutOfMemory.
[[nodiscard]] std::optional<ImageFileResult<Grid>> readPlainBitmap(
    std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

}  // namespace tq1
