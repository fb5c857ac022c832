// Edge smoothing of one decoded block. The four channels of a cell travel together: the blend
// with a neighbour is a few byte-wise word operations, and the linear interpolation keeps two
// channels per 64-bit word, stepping its numerators from cell to cell instead of multiplying.
#include "Smoothing.h"

#include "Reciprocal.h"
#include "Simd.h"
#include "SpreadColour.h"

namespace tq1 {

namespace {

// Per channel: the mean of a and b, rounded down.
inline PackedColour halfWay(PackedColour a, PackedColour b) noexcept {
  return (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7Fu);
}

#if defined(TQ1_USE_SSE2)
// halfWay on every byte: the rounded-up mean less the bit that rounded it up.
inline __m128i halfWays(__m128i a, __m128i b) noexcept {
  return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}
#endif

// Per channel: half-way between the block colour and the neighbour when they differ by at
// most the threshold, else the block colour.
inline PackedColour edgeValue(PackedColour own, PackedColour neighbour, unsigned threshold) noexcept {
#if defined(TQ1_USE_SSE2)
  const __m128i c = _mm_cvtsi32_si128(static_cast<int>(own));
  const __m128i n = _mm_cvtsi32_si128(static_cast<int>(neighbour));
  const __m128i difference = _mm_or_si128(_mm_subs_epu8(c, n), _mm_subs_epu8(n, c));
  const __m128i excess = _mm_subs_epu8(difference, _mm_set1_epi8(static_cast<char>(threshold)));
  const auto close =
      static_cast<PackedColour>(_mm_cvtsi128_si32(_mm_cmpeq_epi8(excess, _mm_setzero_si128())));
#else
  PackedColour close = 0;
  for (unsigned k = 0; k < 4; ++k) {
    const unsigned a = channelOf(own, k);
    const unsigned b = channelOf(neighbour, k);
    if ((a > b ? a - b : b - a) <= threshold) close |= PackedColour{0xFF} << (8 * k);
  }
#endif
  return (halfWay(own, neighbour) & close) | (own & ~close);
}

#if defined(TQ1_USE_SSE2)
// edgeValue for four cells at once.
inline __m128i edgeValues(__m128i own, __m128i neighbour, __m128i threshold) noexcept {
  const __m128i difference =
      _mm_or_si128(_mm_subs_epu8(own, neighbour), _mm_subs_epu8(neighbour, own));
  const __m128i close = _mm_cmpeq_epi8(_mm_subs_epu8(difference, threshold), _mm_setzero_si128());
  return _mm_or_si128(_mm_and_si128(close, halfWays(own, neighbour)), _mm_andnot_si128(close, own));
}
#endif

// Edge values of one side for every cell along it; the block colour itself where the side
// has no neighbour inside the image. `neighbours` points at the first neighbour, the next
// ones `stride` cells apart.
void sideValues(PackedColour own, const PackedColour* neighbours, std::size_t stride, bool present,
                std::uint32_t length, unsigned threshold, std::vector<PackedColour>& out) {
  out.resize(length);
  if (!present) {
    std::fill(out.begin(), out.end(), own);
    return;
  }
  std::uint32_t k = 0;
#if defined(TQ1_USE_SSE2)
  const __m128i ownWide = _mm_set1_epi32(static_cast<int>(own));
  const __m128i thresholdWide = _mm_set1_epi8(static_cast<char>(threshold));
  for (; k + 4 <= length; k += 4) {
    const __m128i n =
        stride == 1 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(neighbours + k))
                    : _mm_set_epi32(static_cast<int>(neighbours[(k + 3) * stride]),
                                    static_cast<int>(neighbours[(k + 2) * stride]),
                                    static_cast<int>(neighbours[(k + 1) * stride]),
                                    static_cast<int>(neighbours[k * stride]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + k), edgeValues(ownWide, n, thresholdWide));
  }
#endif
  for (; k < length; ++k) out[k] = edgeValue(own, neighbours[k * stride], threshold);
}

// A 2 x 2 block in one go. A cell's horizontal value is its left or right edge value and its
// vertical value its above or below edge value (the interpolation divides by 1). A missing
// neighbour stands in as the block colour, whose edge value is the block colour itself.
void smoothTwoByTwo(PackedColour* origin, std::size_t stride, PackedColour own, bool hasLeft,
                    bool hasRight, bool hasAbove, bool hasBelow, unsigned threshold) {
  const auto back = static_cast<std::ptrdiff_t>(stride);
  // The cells (0,0), (0,1), (1,0), (1,1), and the neighbours each blends with.
  const PackedColour across[4] = {hasLeft ? origin[-back] : own, hasLeft ? origin[1 - back] : own,
                                  hasRight ? origin[2 * back] : own,
                                  hasRight ? origin[2 * back + 1] : own};
  const PackedColour along[4] = {hasAbove ? origin[-1] : own, hasBelow ? origin[2] : own,
                                 hasAbove ? origin[back - 1] : own,
                                 hasBelow ? origin[back + 2] : own};
#if defined(TQ1_USE_SSE2)
  const __m128i ownWide = _mm_set1_epi32(static_cast<int>(own));
  const __m128i thresholdWide = _mm_set1_epi8(static_cast<char>(threshold));
  const __m128i h = edgeValues(ownWide, _mm_loadu_si128(reinterpret_cast<const __m128i*>(across)),
                               thresholdWide);
  const __m128i v = edgeValues(ownWide, _mm_loadu_si128(reinterpret_cast<const __m128i*>(along)),
                               thresholdWide);
  const __m128i cells = halfWays(h, v);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(origin), cells);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(origin + stride), _mm_srli_si128(cells, 8));
#else
  PackedColour cells[4];
  for (unsigned k = 0; k < 4; ++k) {
    cells[k] = halfWay(edgeValue(own, across[k], threshold), edgeValue(own, along[k], threshold));
  }
  origin[0] = cells[0];
  origin[1] = cells[1];
  origin[stride] = cells[2];
  origin[stride + 1] = cells[3];
#endif
}

}  // namespace

void smoothBlock(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                 unsigned b) {
  BlockSmoother().smooth(context, x0, y0, a, b);
}

void BlockSmoother::smooth(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                           unsigned b) {
  if (a == 0 || b == 0) return;
  const std::uint32_t ex = std::uint32_t{1} << a;
  const std::uint32_t ey = std::uint32_t{1} << b;
  Grid& pixels = context.pixels;
  const std::size_t stride = pixels.height();
  const unsigned threshold = context.smoothThreshold;
  PackedColour* origin = pixels.column(x0).data() + y0;
  const PackedColour own = *origin;

  // Neighbour pointers are formed only for sides that have neighbours.
  const bool hasLeft = x0 > 0;
  const bool hasRight = x0 + ex - 1 < context.maxX;
  const bool hasAbove = y0 > 0;
  const bool hasBelow = y0 + ey - 1 < context.maxY;
  if (ex == 2 && ey == 2) {
    smoothTwoByTwo(origin, stride, own, hasLeft, hasRight, hasAbove, hasBelow, threshold);
    return;
  }
  sideValues(own, hasLeft ? origin - stride : origin, 1, hasLeft, ey, threshold, left_);
  sideValues(own, hasRight ? origin + ex * stride : origin, 1, hasRight, ey, threshold, right_);
  sideValues(own, hasAbove ? origin - 1 : origin, stride, hasAbove, ex, threshold, above_);
  sideValues(own, hasBelow ? origin + ey : origin, stride, hasBelow, ex, threshold, below_);

  fillGradient(origin, stride, ex, ey);
}

// Every cell of the block: the mean of the horizontal interpolation between the left and
// right edge values and the vertical one between the above and below edge values. A block two
// cells across takes its edge values as they are (the interpolation divides by 1), so blocks
// two cells wide or tall have paths of their own.
void BlockSmoother::fillGradient(PackedColour* origin, std::size_t stride, std::uint32_t ex,
                                 std::uint32_t ey) {
  if (ex == 2) {
    fillTwoWide(origin, stride, ey);
    return;
  }
  if (ey == 2) {
    fillTwoTall(origin, stride, ex);
    return;
  }
  const Reciprocal acrossX(ex - 1);
  const Reciprocal acrossY(ey - 1);
  // Horizontal numerators per row: left x (ex - 1 - dx) and right x dx.
  fromLeft_.resize(ey);
  fromRight_.resize(ey);
  leftStep_.resize(ey);
  rightStep_.resize(ey);
  for (std::uint32_t dy = 0; dy < ey; ++dy) {
    leftStep_[dy] = SpreadColour::of(left_[dy]);
    rightStep_[dy] = SpreadColour::of(right_[dy]);
    fromLeft_[dy] = leftStep_[dy] * (ex - 1);
    fromRight_[dy] = {};
  }
  for (std::uint32_t dx = 0; dx < ex; ++dx) {
    PackedColour* column = origin + dx * stride;
    const SpreadColour aboveStep = SpreadColour::of(above_[dx]);
    const SpreadColour belowStep = SpreadColour::of(below_[dx]);
    SpreadColour fromAbove = aboveStep * (ey - 1);
    SpreadColour fromBelow;
    for (std::uint32_t dy = 0; dy < ey; ++dy) {
      const PackedColour h = (fromLeft_[dy] + fromRight_[dy]).divided(acrossX);
      column[dy] = halfWay(h, (fromAbove + fromBelow).divided(acrossY));
      fromAbove -= aboveStep;
      fromBelow += belowStep;
      fromLeft_[dy] -= leftStep_[dy];
      fromRight_[dy] += rightStep_[dy];
    }
  }
}

// Two columns: each takes its own side's edge values across, and only the vertical
// interpolation divides.
void BlockSmoother::fillTwoWide(PackedColour* origin, std::size_t stride, std::uint32_t ey) {
  const Reciprocal acrossY(ey - 1);
  for (std::uint32_t dx = 0; dx < 2; ++dx) {
    PackedColour* column = origin + dx * stride;
    const PackedColour* across = dx == 0 ? left_.data() : right_.data();
    const SpreadColour aboveStep = SpreadColour::of(above_[dx]);
    const SpreadColour belowStep = SpreadColour::of(below_[dx]);
    SpreadColour fromAbove = aboveStep * (ey - 1);
    SpreadColour fromBelow;
    for (std::uint32_t dy = 0; dy < ey; ++dy) {
      column[dy] = halfWay(across[dy], (fromAbove + fromBelow).divided(acrossY));
      fromAbove -= aboveStep;
      fromBelow += belowStep;
    }
  }
}

// Two rows: each cell takes its above or below edge value, and only the horizontal
// interpolation divides.
void BlockSmoother::fillTwoTall(PackedColour* origin, std::size_t stride, std::uint32_t ex) {
  const Reciprocal acrossX(ex - 1);
  const SpreadColour leftSteps[2] = {SpreadColour::of(left_[0]), SpreadColour::of(left_[1])};
  const SpreadColour rightSteps[2] = {SpreadColour::of(right_[0]), SpreadColour::of(right_[1])};
  SpreadColour fromLeft[2] = {leftSteps[0] * (ex - 1), leftSteps[1] * (ex - 1)};
  SpreadColour fromRight[2];
  for (std::uint32_t dx = 0; dx < ex; ++dx) {
    PackedColour* column = origin + dx * stride;
    column[0] = halfWay((fromLeft[0] + fromRight[0]).divided(acrossX), above_[dx]);
    column[1] = halfWay((fromLeft[1] + fromRight[1]).divided(acrossX), below_[dx]);
    for (unsigned row = 0; row < 2; ++row) {
      fromLeft[row] -= leftSteps[row];
      fromRight[row] += rightSteps[row];
    }
  }
}

}  // namespace tq1
