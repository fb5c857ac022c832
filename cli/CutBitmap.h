// Telling a bitmap that arrived cut short. Qt's reader fills the rows that are missing and
// reports success; from a pipe, a short bitmap means that whatever sent it stopped halfway,
// and converting the rest would hide that.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tq1::cli {

// For an uncompressed bitmap whose pixel rows end before the size its header declares: a
// message saying how much is missing. Empty for a complete bitmap and for anything else
// (other formats, compressed bitmaps, headers that make no sense: their readers decide).
[[nodiscard]] std::string cutBitmapMessage(std::span<const std::uint8_t> bytes);

}  // namespace tq1::cli
