// Telling an image that arrived cut short. Qt's readers fill in what is missing of a bitmap
// or a JPEG image and report success; from a pipe, a short image means that whatever sent it
// stopped halfway, and converting the rest would hide that.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tq1::cli {

// A message saying that the image ends early: an uncompressed bitmap whose pixel rows end
// before the size its header declares, or a JPEG image that ends before its end marker.
// Empty for a complete image and for anything else (other formats, compressed bitmaps,
// structures that make no sense: their readers decide).
[[nodiscard]] std::string cutImageMessage(std::span<const std::uint8_t> bytes);

}  // namespace tq1::cli
