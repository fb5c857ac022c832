// The block test for every shape of up to 4 x 4 cells anchored at one cell, done together.
// Nearly every block of a photo has such a shape; testing all nine at once, with a few vector
// operations and no branches, replaces a search whose every step is a hard-to-predict branch.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "BlockRange.h"
#include "PackedColour.h"
#include "Simd.h"

namespace tq1 {

// Bit 4a + b of a shape mask stands for the block of 2^a x 2^b cells (a and b from 0 to 2).
[[nodiscard]] constexpr unsigned smallShapeBit(unsigned a, unsigned b) noexcept {
  return 4 * a + b;
}

// The shapes whose blocks at `origin` hold no covered cell and spread at most `tolerance` in
// every colour channel, among those that fit `columns` columns (1 to 4) of `rows` rows (1 to
// 4). Reads four cells from each of the first `columns` columns (`stride` cells apart), also
// where fewer rows are wanted: the caller makes sure they lie inside the grid.
[[nodiscard]] inline unsigned uniformSmallShapes(const PackedColour* origin, std::size_t stride,
                                                 unsigned columns, unsigned rows,
                                                 unsigned tolerance) noexcept {
  // Shapes that fit, by the number of columns and rows available.
  constexpr auto fitting = [] {
    std::array<std::array<std::uint16_t, 5>, 5> masks{};
    for (unsigned c = 1; c <= 4; ++c) {
      for (unsigned r = 1; r <= 4; ++r) {
        for (unsigned a = 0; a <= 2; ++a) {
          for (unsigned b = 0; b <= 2; ++b) {
            if ((1u << a) <= c && (1u << b) <= r) {
              masks[c][r] = static_cast<std::uint16_t>(masks[c][r] | (1u << smallShapeBit(a, b)));
            }
          }
        }
      }
    }
    return masks;
  }();
#if defined(TQ1_USE_SSE2)
  // Per column: lanes 0, 1 and 2 hold the minimum (maximum) of its first 1, 2 and 4 cells.
  const auto columnRanges = [&](unsigned c, __m128i& low, __m128i& high) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(origin + c * stride));
    const __m128i pairs = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128i low2 = _mm_min_epu8(v, pairs);
    const __m128i high2 = _mm_max_epu8(v, pairs);
    const __m128i low4 = _mm_min_epu8(low2, _mm_shuffle_epi32(low2, _MM_SHUFFLE(1, 0, 3, 2)));
    const __m128i high4 = _mm_max_epu8(high2, _mm_shuffle_epi32(high2, _MM_SHUFFLE(1, 0, 3, 2)));
    low = _mm_unpacklo_epi64(_mm_unpacklo_epi32(v, low2), low4);
    high = _mm_unpacklo_epi64(_mm_unpacklo_epi32(v, high2), high4);
  };
  const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
  const __m128i limit = _mm_set1_epi32(static_cast<int>(0x010101u * (tolerance & 0xFFu)));
  // Lanes of blocks that pass: the spread of each colour byte within the tolerance, and the
  // fourth byte of the maximum 0 (covered cells have a non-zero fourth channel).
  const auto passing = [&](__m128i low, __m128i high) {
    const __m128i spread = _mm_subs_epu8(high, _mm_and_si128(low, colourBytes));
    return _mm_cmpeq_epi32(_mm_subs_epu8(spread, limit), _mm_setzero_si128());
  };
  __m128i low1, high1, low2, high2, low4, high4;
  columnRanges(0, low1, high1);
  low2 = low4 = low1;
  high2 = high4 = high1;
  if (columns >= 2) {
    __m128i low, high;
    columnRanges(1, low, high);
    low2 = low4 = _mm_min_epu8(low1, low);
    high2 = high4 = _mm_max_epu8(high1, high);
    if (columns >= 4) {
      __m128i lowC, highC, lowD, highD;
      columnRanges(2, lowC, highC);
      columnRanges(3, lowD, highD);
      low4 = _mm_min_epu8(low2, _mm_min_epu8(lowC, lowD));
      high4 = _mm_max_epu8(high2, _mm_max_epu8(highC, highD));
    }
  }
  const __m128i narrowOnes = _mm_packs_epi32(passing(low1, high1), passing(low2, high2));
  const __m128i wideOnes = _mm_packs_epi32(passing(low4, high4), _mm_setzero_si128());
  const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(narrowOnes, wideOnes)));
#else
  unsigned mask = 0;
  for (unsigned a = 0; a <= 2 && (1u << a) <= columns; ++a) {
    for (unsigned b = 0; b <= 2; ++b) {
      ChannelRange range(origin[0]);
      for (std::uint32_t c = 0; c < (1u << a); ++c) range.addRun(origin + c * stride, 1u << b);
      if (range.uniform(tolerance)) mask |= 1u << smallShapeBit(a, b);
    }
  }
#endif
  return mask & fitting[columns][rows];
}

// Shape masks with a passing shape 4 cells wide, and with one 4 cells tall: only then can a
// larger shape pass, since a block that passes contains only passing blocks.
inline constexpr unsigned kFourWideShapes = 0x700;
inline constexpr unsigned kFourTallShapes = 0x444;

// The exponents (a in the low four bits, b in the high four) of the largest shape of a mask,
// and of those the one with the smallest a.
[[nodiscard]] inline unsigned largestSmallShape(unsigned mask) noexcept {
  static constexpr auto kLargest = [] {
    std::array<std::uint8_t, 4096> largest{};
    for (unsigned m = 0; m < largest.size(); ++m) {
      int bestArea = -1;
      for (unsigned a = 0; a <= 2; ++a) {
        for (unsigned b = 0; b <= 2; ++b) {
          if (((m >> smallShapeBit(a, b)) & 1) != 0 && static_cast<int>(a + b) > bestArea) {
            bestArea = static_cast<int>(a + b);
            largest[m] = static_cast<std::uint8_t>(a | (b << 4));
          }
        }
      }
    }
    return largest;
  }();
  return kLargest[mask & 0xFFF];
}

}  // namespace tq1
