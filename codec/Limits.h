// Every hard limit of the .tq1 format in one place, shared by the writer and the reader.
#pragma once

#include <cstdint>

namespace tq1 {

// Field widths of the fixed header.
inline constexpr unsigned kSideBits = 16;         // maxX, maxY
inline constexpr unsigned kSymbolCountBits = 24;  // lastSymbol
inline constexpr unsigned kTokenCountBits = 24;   // lastToken
inline constexpr unsigned kControlValueBits = 24;
inline constexpr unsigned kControlIndexBits = 20;
inline constexpr unsigned kCountBits = 20;        // per-symbol counts
inline constexpr unsigned kHeaderBits = 292;

inline constexpr std::uint32_t kMaxSide = 1u << kSideBits;              // 65536 pixels
inline constexpr std::uint32_t kMaxSymbols = 1u << kSymbolCountBits;    // lastSymbol + 1
inline constexpr std::uint32_t kMaxTokens = 1u << kTokenCountBits;      // lastToken + 1
inline constexpr std::uint32_t kControlValueLimit = 1u << kControlValueBits;
inline constexpr std::uint32_t kControlIndexLimit = 1u << kControlIndexBits;
inline constexpr std::uint32_t kCountLimit = 1u << kCountBits;
inline constexpr unsigned kMaxCodeLength = 32;

// The ranges people choose the parameters from, each starting at 0: tolerance, smoothing and
// bits per colour component. Settings, list files, sliders and the command line all take
// their ranges from here.
inline constexpr unsigned kMaxToleranceUi = 50;
inline constexpr unsigned kMaxSmoothingUi = 150;
inline constexpr unsigned kMaxBits = 8;

// `value` brought into 0..maximum (maximum at most 255), for values from files anyone can edit
// that must not wrap around into a nonsensical byte.
[[nodiscard]] constexpr std::uint8_t clampToRange(std::int64_t value, unsigned maximum) noexcept {
  if (value < 0) return 0;
  return static_cast<std::uint8_t>(value > std::int64_t{maximum} ? maximum : value);
}

// Default ceiling on the pixels of one image (both grids take 8 bytes per pixel), so that a
// tiny hostile header cannot make the codec ask for tens of gigabytes.
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 28;

}  // namespace tq1
