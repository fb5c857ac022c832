// The structural check of a bitmap file's bytes, made before any reader decodes them. Readers
// quietly fill in what a damaged file lacks (rows past its end, pixels a broken run-length
// code never reaches, colours for palette entries that do not exist); the program refuses such
// a file instead and says what is wrong with it. Free of Qt, so that the command line and the
// general loader judge every bitmap the same way.
#pragma once

#include <cstdint>
#include <span>

#include "imagefile/ImageFileStatus.h"
#include "imagefile/ImageLimits.h"

namespace tq1 {

// A failure whose error is one of the bitmap damage kinds (isBitmapDamage) and whose message
// says where the damage is, without the file's name; the caller puts that in front.
//
// Judged: pixel rows cut short, run-length codes that run past a row or the image or stop
// before the image is complete, run-length data in a top-down bitmap, palette indexes past
// the palette, colour masks that overlap or are empty. Fields no pixel depends on (file size,
// image size, density) are not looked at.
//
// Success for a sound bitmap, and for bytes this check leaves to the readers: anything that
// is not a "BM" file, headers cut short or of a kind the readers refuse, compressions they do
// not read, and images beyond `limits`, which the loaders refuse for their size.
[[nodiscard]] ImageFileStatus checkBitmapStructure(std::span<const std::uint8_t> bytes,
                                                   const ImageLimits& limits = {});

}  // namespace tq1
