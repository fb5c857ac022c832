// Telling a JPEG image that arrived cut short. Qt's reader fills in what is missing and reports
// success; from a pipe, a short image means that whatever sent it stopped halfway, and
// converting the rest would hide that. Bitmaps get the bitmap check that every loading path
// makes (imagefile/BitmapCheck.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tq1::cli {

// A message saying that a JPEG image ends before its end marker. Empty for a complete image
// and for anything else (other formats, structures that make no sense: their readers decide).
[[nodiscard]] std::string cutImageMessage(std::span<const std::uint8_t> bytes);

}  // namespace tq1::cli
