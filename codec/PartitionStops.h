// The stops of a quicksort partition's two scans over a block of 64 items, found without a
// branch per item: the keys are compared with the pivot into a 64-bit mask (four at a time
// where vector instructions exist), and the mask's set bits become positions a byte of the
// mask at a time, through a table.
//
// Items carry their key in the top 32 bits.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "Simd.h"

namespace tq1::detail {

inline constexpr unsigned kStopBlock = 64;
// A list of stops needs this much room: positions are written eight at a time.
inline constexpr unsigned kStopListBytes = kStopBlock + 8;

// The positions of the set bits of every byte value, lowest first, and how many there are
// (a table: the baseline instruction set has no population count).
struct BitPositions {
  std::array<std::array<std::uint8_t, 8>, 256> of{};
  std::array<std::uint8_t, 256> count{};
  constexpr BitPositions() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint8_t n = 0;
      for (std::uint8_t bit = 0; bit < 8; ++bit) {
        if (((byte >> bit) & 1u) != 0) of[byte][n++] = bit;
      }
      count[byte] = n;
    }
  }
};
inline constexpr BitPositions kBitPositions{};

// Writes the positions of the set bits of `mask`, ascending, to `stops` (kStopListBytes of
// room) and returns how many there are.
inline unsigned maskPositions(std::uint64_t mask, std::uint8_t* stops) noexcept {
  unsigned count = 0;
  for (unsigned byte = 0; byte < 8; ++byte) {
    const auto bits = static_cast<unsigned>((mask >> (8 * byte)) & 0xFFu);
    std::uint64_t positions = 0;
    std::memcpy(&positions, kBitPositions.of[bits].data(), 8);
    positions += 0x0101010101010101ull * (8 * byte);  // no byte carries: at most 63
    std::memcpy(stops + count, &positions, 8);
    count += kBitPositions.count[bits];
  }
  return count;
}

// Bit k set: the scan stops at the item k places from `origin`, forwards for the left scan
// (at a key not below the pivot) and backwards for the right scan (at a key not above it).
template <bool kForward>
inline std::uint64_t stopMask(const std::uint64_t* origin, std::uint32_t pivot) noexcept {
  std::uint64_t mask = 0;
#if defined(TQ1_USE_SSE2)
  // Signed compares on keys with the top bit flipped order them as unsigned numbers.
  const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i flippedPivot = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(pivot)), flip);
  const auto load = [](const std::uint64_t* pair) {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pair)));
  };
  for (unsigned k = 0; k < kStopBlock; k += 4) {
    // The top halves of the items k to k + 3 places away, nearest first.
    __m128 tops;
    if constexpr (kForward) {
      tops = _mm_shuffle_ps(load(origin + k), load(origin + k + 2), _MM_SHUFFLE(3, 1, 3, 1));
    } else {
      tops = _mm_shuffle_ps(load(origin - k - 1), load(origin - k - 3), _MM_SHUFFLE(1, 3, 1, 3));
    }
    const __m128i keys = _mm_xor_si128(_mm_castps_si128(tops), flip);
    // The keys each scan passes over: below the pivot going forwards, above it going back.
    const __m128i passed = kForward ? _mm_cmpgt_epi32(flippedPivot, keys)
                                    : _mm_cmpgt_epi32(keys, flippedPivot);
    const auto passedBits = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(passed)));
    mask |= std::uint64_t{~passedBits & 0xFu} << k;
  }
#else
  for (unsigned k = 0; k < kStopBlock; ++k) {
    const auto key = static_cast<std::uint32_t>((kForward ? origin[k] : *(origin - k)) >> 32);
    mask |= std::uint64_t{kForward ? key >= pivot : key <= pivot} << k;
  }
#endif
  return mask;
}

}  // namespace tq1::detail
