// The one place where Qt's pixel word (Format_RGB32: 0xffRRGGBB) meets the codec's
// PackedColour (0x00BBGGRR): red and blue swap bytes, the top byte becomes 0 or 0xff.
#pragma once

#include <QRgb>

#include "codec/PackedColour.h"

namespace tq1 {

// Alpha is dropped: image cells always carry 0 in the fourth channel.
[[nodiscard]] constexpr PackedColour packedFromRgb32(QRgb pixel) noexcept {
  return ((pixel >> 16) & 0xffu) | (pixel & 0xff00u) | ((pixel & 0xffu) << 16);
}

// The fourth channel of the cell is ignored, so marker words still give a drawable colour.
[[nodiscard]] constexpr QRgb rgb32FromPacked(PackedColour colour) noexcept {
  return 0xff000000u | ((colour & 0xffu) << 16) | (colour & 0xff00u) | ((colour >> 16) & 0xffu);
}

}  // namespace tq1
