// The pixel word: four one-byte channels, red in bits 0-7, green 8-15, blue 16-23, and a
// fourth channel that is 0 in every image pixel (the layout 0x00BBGGRR).
#pragma once

#include <array>
#include <cstdint>

namespace tq1 {

using PackedColour = std::uint32_t;

// Marks a grid cell that is empty (decoder) or already covered (encoder), a failed block test,
// and the x-doubling marker in an in-memory token sequence. Never an image colour: its
// channel 3 is not 0.
inline constexpr PackedColour EmptyCell = 0x7fffffffu;
// The y-doubling marker in an in-memory token sequence.
inline constexpr PackedColour MarkerYToken = 0x7ffffffeu;
inline constexpr PackedColour MarkerXToken = EmptyCell;

using Channels = std::array<std::uint8_t, 4>;

[[nodiscard]] constexpr Channels unpackColour(PackedColour word) noexcept {
  return {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
          static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
}

[[nodiscard]] constexpr PackedColour packColour(const Channels& c) noexcept {
  return PackedColour{c[0]} | (PackedColour{c[1]} << 8) | (PackedColour{c[2]} << 16) |
         (PackedColour{c[3]} << 24);
}

[[nodiscard]] constexpr std::uint8_t channelOf(PackedColour word, unsigned channel) noexcept {
  return static_cast<std::uint8_t>(word >> (8 * channel));
}

[[nodiscard]] constexpr PackedColour rgbColour(std::uint8_t red, std::uint8_t green,
                                               std::uint8_t blue) noexcept {
  return packColour({red, green, blue, 0});
}

}  // namespace tq1
