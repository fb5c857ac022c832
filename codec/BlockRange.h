// Per-channel minimum and maximum of runs of cells, kept as two packed words (one byte lane
// per channel), which is what the block test needs: a block is uniform when every colour
// channel spreads at most the tolerance and no cell is covered (covered cells, EmptyCell, are
// the only cells with a non-zero fourth channel).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "PackedColour.h"
#include "Simd.h"

namespace tq1 {

struct ChannelRange {
  std::uint32_t low = 0xFFFFFFFFu;  // per-byte minimum
  std::uint32_t high = 0;           // per-byte maximum

  ChannelRange() = default;
  explicit ChannelRange(PackedColour cell) noexcept : low(cell), high(cell) {}

  void add(PackedColour cell) noexcept {
#if defined(TQ1_USE_SSE2)
    const __m128i v = _mm_cvtsi32_si128(static_cast<int>(cell));
    low = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(_mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(low)), v)));
    high = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(_mm_max_epu8(_mm_cvtsi32_si128(static_cast<int>(high)), v)));
#else
    low = bytewiseMin(low, cell);
    high = bytewiseMax(high, cell);
#endif
  }

  // Adds the cells another range has seen.
  void join(const ChannelRange& other) noexcept {
#if defined(TQ1_USE_SSE2)
    low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(
        _mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(low)),
                     _mm_cvtsi32_si128(static_cast<int>(other.low)))));
    high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(
        _mm_max_epu8(_mm_cvtsi32_si128(static_cast<int>(high)),
                     _mm_cvtsi32_si128(static_cast<int>(other.high)))));
#else
    low = bytewiseMin(low, other.low);
    high = bytewiseMax(high, other.high);
#endif
  }

  // Adds `count` consecutive cells.
  void addRun(const PackedColour* cells, std::size_t count) noexcept {
    std::size_t i = 0;
#if defined(TQ1_USE_SSE2)
    if (count >= 8) {
      __m128i lo = _mm_set1_epi32(static_cast<int>(low));
      __m128i hi = _mm_set1_epi32(static_cast<int>(high));
      for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + i));
        lo = _mm_min_epu8(lo, v);
        hi = _mm_max_epu8(hi, v);
      }
      low = reduce(lo, true);
      high = reduce(hi, false);
    }
#endif
    for (; i < count; ++i) add(cells[i]);
  }

  // Whether the cells seen so far form a uniform block under `tolerance`.
  [[nodiscard]] bool uniform(unsigned tolerance) const noexcept {
    if ((high >> 24) != 0) return false;  // a covered cell
    const std::uint32_t spread = (high - low) & 0x00FFFFFFu;  // no borrows: high >= low per byte
    if (tolerance <= 127) {
      // Sets the top bit of every byte that exceeds the tolerance (carries out of such a byte
      // may mark later bytes too, which does not change the answer).
      const std::uint32_t over = ((spread + 0x01010101u * (127 - tolerance)) | spread) & 0x80808080u;
      return over == 0;
    }
    for (unsigned c = 0; c < 3; ++c) {
      if (((spread >> (8 * c)) & 0xFF) > tolerance) return false;
    }
    return true;
  }

  [[nodiscard]] static std::uint32_t bytewiseMin(std::uint32_t a, std::uint32_t b) noexcept {
    std::uint32_t result = 0;
    for (unsigned c = 0; c < 4; ++c) {
      const std::uint32_t shift = 8 * c;
      result |= std::min((a >> shift) & 0xFF, (b >> shift) & 0xFF) << shift;
    }
    return result;
  }
  [[nodiscard]] static std::uint32_t bytewiseMax(std::uint32_t a, std::uint32_t b) noexcept {
    std::uint32_t result = 0;
    for (unsigned c = 0; c < 4; ++c) {
      const std::uint32_t shift = 8 * c;
      result |= std::max((a >> shift) & 0xFF, (b >> shift) & 0xFF) << shift;
    }
    return result;
  }

 private:
#if defined(TQ1_USE_SSE2)
  static std::uint32_t reduce(__m128i v, bool minimum) noexcept {
    const __m128i swapped = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
    v = minimum ? _mm_min_epu8(v, swapped) : _mm_max_epu8(v, swapped);
    const __m128i neighbour = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = minimum ? _mm_min_epu8(v, neighbour) : _mm_max_epu8(v, neighbour);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
  }
#endif
};

}  // namespace tq1
