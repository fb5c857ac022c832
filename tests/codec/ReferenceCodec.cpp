// Direct transcriptions of the defining algorithms, for side-by-side tests.
#include "ReferenceCodec.h"

#include <algorithm>
#include <cstdlib>

#include "codec/BlockEncoder.h"
#include "codec/Quantiser.h"

namespace tq1::reference {

namespace {

void quicksort(const std::vector<std::uint32_t>& keys, std::vector<std::uint32_t>& index,
               std::int64_t lo, std::int64_t hi) {
  const std::uint32_t pivot = keys[index[(lo + hi) / 2]];
  std::int64_t i = lo, j = hi;
  do {
    while (keys[index[i]] < pivot) ++i;
    while (keys[index[j]] > pivot) --j;
    if (i <= j) {
      std::swap(index[i], index[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) quicksort(keys, index, lo, j);
  if (i < hi) quicksort(keys, index, i, hi);
}

}  // namespace

void sortIndices(const std::vector<std::uint32_t>& keys, std::vector<std::uint32_t>& index,
                 bool descending) {
  const std::int64_t last = static_cast<std::int64_t>(keys.size()) - 1;
  index.resize(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) index[i] = static_cast<std::uint32_t>(i);
  if (last > 0) quicksort(keys, index, 0, last);
  if (descending) {
    for (std::int64_t e = 0; e <= last / 2; ++e) std::swap(index[e], index[last - e]);
  }
}

Codes buildCodes(const std::vector<std::uint32_t>& counts) {
  Codes out;
  const std::size_t n = counts.size();
  sortIndices(counts, out.byCount, true);
  const std::size_t m = n - 1;
  out.length.assign(n, 0);
  out.code.assign(n, 0);
  if (m == 0) {
    out.length[out.byCount[0]] = 1;
  } else {
    std::vector<std::uint64_t> w(2 * m + 1);
    std::vector<std::size_t> l(2 * m + 1), r(2 * m + 1);
    for (std::size_t j = 0; j <= m; ++j) w[j] = counts[out.byCount[j]];
    const std::uint64_t taken = UINT64_MAX;
    for (std::size_t j = m + 1; j <= 2 * m; ++j) {
      std::uint64_t min1 = taken, min2 = taken;
      std::size_t p1 = 0, p2 = 0;
      for (std::size_t p = j; p-- > 0;) {
        if (w[p] < min1) {
          min2 = min1;
          p2 = p1;
          min1 = w[p];
          p1 = p;
        } else if (w[p] < min2) {
          min2 = w[p];
          p2 = p;
        }
      }
      l[j] = p1;
      r[j] = p2;
      w[j] = min1 + min2;
      w[p1] = taken;
      w[p2] = taken;
    }
    // Recursive depth assignment from the root.
    struct Walker {
      const std::vector<std::size_t>& l;
      const std::vector<std::size_t>& r;
      std::size_t m;
      Codes& out;
      void visit(std::size_t node, std::uint8_t depth) {
        for (std::size_t child : {l[node], r[node]}) {
          if (child <= m) {
            out.length[out.byCount[child]] = depth;
          } else {
            visit(child, static_cast<std::uint8_t>(depth + 1));
          }
        }
      }
    } walker{l, r, m, out};
    walker.visit(2 * m, 1);
  }
  std::vector<std::uint32_t> lengths(out.length.begin(), out.length.end());
  sortIndices(lengths, out.byLength, false);
  std::uint64_t v = 0;
  out.code[out.byLength[0]] = 0;
  for (std::size_t k = 1; k < n; ++k) {
    v = (v + 1) << (out.length[out.byLength[k]] - out.length[out.byLength[k - 1]]);
    out.code[out.byLength[k]] = static_cast<std::uint32_t>(v);
  }
  return out;
}

namespace {

int compareCode(const Codes& codes, std::uint64_t bits, unsigned n, std::size_t position) {
  const unsigned e = codes.length[codes.byLength[position]];
  const std::uint64_t d = codes.code[codes.byLength[position]];
  std::uint64_t left = bits, right = d;
  if (n <= e) {
    right = d >> (e - n);
  } else {
    left = bits >> (n - e);
  }
  if (left > right) return 2;
  if (left < right) return 0;
  return n == e ? 3 : 1;
}

}  // namespace

std::uint32_t decodeSymbol(const Codes& codes, const std::vector<int>& bits, std::size_t& pos) {
  auto readBit = [&] { return pos < bits.size() ? bits[pos++] : (++pos, 0); };
  std::uint64_t value = static_cast<std::uint64_t>(readBit());
  unsigned n = 1;
  std::size_t lo = 0, hi = codes.byLength.size() - 1;
  while (true) {
    const std::size_t mid = (lo + hi) / 2;
    const int r = compareCode(codes, value, n, mid);
    if (lo + 1 == hi) return r == 3 ? codes.byLength[mid] : codes.byLength[mid + 1];
    if (r == 2) {
      lo = mid;
    } else if (r == 0) {
      hi = mid;
    } else if (r == 1) {
      value = 2 * value + static_cast<std::uint64_t>(readBit());
      ++n;
    } else {
      return codes.byLength[mid];
    }
  }
}

void mergeLevelsExhaustive(std::array<std::int64_t, 256>& histogram,
                           std::array<std::uint8_t, 256>& channelMap) {
  std::uint64_t best = UINT64_MAX;
  int bp = -1, bq = -1, bt = -1;
  for (int p = 0; p <= 254; ++p) {
    if (histogram[p] == 0) continue;
    for (int q = p + 1; q <= 255; ++q) {
      if (histogram[q] == 0) continue;
      for (int t = p; t <= q; ++t) {
        const std::uint64_t cost = static_cast<std::uint64_t>(histogram[p]) * (t - p) +
                                   static_cast<std::uint64_t>(histogram[q]) * (q - t);
        if (cost < best) {
          best = cost;
          bp = p;
          bq = q;
          bt = t;
        }
      }
    }
  }
  if (bp < 0) return;
  // The target is one of the two levels: the heavier, or the lower on equal counts.
  const int survivor = bt;
  const int gone = survivor == bp ? bq : bp;
  for (auto& target : channelMap) {
    if (target == bp || target == bq) target = static_cast<std::uint8_t>(survivor);
  }
  histogram[survivor] += histogram[gone];
  histogram[gone] = 0;
}

// Every channel of every cell computed on its own, exactly as the smoothing is defined.
void smoothBlock(CodecContext& context, std::uint32_t x0, std::uint32_t y0, unsigned a,
                 unsigned b) {
  if (a == 0 || b == 0) return;
  const std::uint32_t ex = 1u << a, ey = 1u << b;
  Grid& p = context.pixels;
  const PackedColour own = p.at(x0, y0);
  auto edge = [&](bool present, std::uint32_t x, std::uint32_t y, unsigned c) -> std::uint32_t {
    const std::uint32_t mine = channelOf(own, c);
    if (!present) return mine;
    const std::uint32_t other = channelOf(p.at(x, y), c);
    const std::uint32_t difference = other > mine ? other - mine : mine - other;
    return difference <= context.smoothThreshold ? (mine + other) / 2 : mine;
  };
  Grid result = p;
  for (std::uint32_t dx = 0; dx < ex; ++dx) {
    for (std::uint32_t dy = 0; dy < ey; ++dy) {
      const std::uint32_t x = x0 + dx, y = y0 + dy;
      PackedColour cell = 0;
      for (unsigned c = 0; c < 4; ++c) {
        const std::uint32_t left = edge(x0 > 0, x0 - 1, y, c);
        const std::uint32_t right = edge(x0 + ex - 1 < context.maxX, x0 + ex, y, c);
        const std::uint32_t above = edge(y0 > 0, x, y0 - 1, c);
        const std::uint32_t below = edge(y0 + ey - 1 < context.maxY, x, y0 + ey, c);
        const std::uint32_t h = (left * (ex - 1 - dx) + right * dx) / (ex - 1);
        const std::uint32_t v = (above * (ey - 1 - dy) + below * dy) / (ey - 1);
        cell |= ((h + v) / 2) << (8 * c);
      }
      result.at(x, y) = cell;
    }
  }
  p = std::move(result);
}

PackedColour blockAverage(const CodecContext& context, std::uint32_t x0, std::uint32_t y0,
                          unsigned a, unsigned b) {
  const std::uint64_t w = std::uint64_t{1} << a;
  const std::uint64_t h = std::uint64_t{1} << b;
  if (x0 + w > context.width() || y0 + h > context.height()) return EmptyCell;
  PackedColour average = 0;
  for (unsigned c = 0; c < 3; ++c) {
    unsigned low = 255, high = 0;
    std::uint64_t sum = 0;
    for (std::uint64_t x = x0; x < x0 + w; ++x) {
      for (std::uint64_t y = y0; y < y0 + h; ++y) {
        const PackedColour cell = context.pixels.at(static_cast<std::uint32_t>(x),
                                                    static_cast<std::uint32_t>(y));
        if (cell == EmptyCell) return EmptyCell;
        const unsigned v = channelOf(cell, c);
        low = std::min(low, v);
        high = std::max(high, v);
        sum += v;
      }
    }
    if (high - low > context.tolerance) return EmptyCell;
    average |= static_cast<PackedColour>(sum / (w * h)) << (8 * c);
  }
  return average;
}

PackedColour snapToLevels(const CodecContext& context, PackedColour colour) {
  PackedColour snapped = 0;
  for (unsigned c = 0; c < 3; ++c) {
    const int value = channelOf(colour, c);
    int nearest = context.levelValue[c][0];
    for (std::uint32_t l = 1; l < context.levelCount[c]; ++l) {
      const int level = context.levelValue[c][l];
      if (std::abs(value - level) < std::abs(value - nearest)) nearest = level;
    }
    snapped |= static_cast<PackedColour>(nearest) << (8 * c);
  }
  return snapped;
}

namespace {

struct ReferenceEncoder {
  CodecContext& ctx;
  std::vector<PackedColour> tokens;

  void leaf(std::uint32_t x, std::uint32_t y) {
    if (ctx.pixels.at(x, y) == EmptyCell) return;
    unsigned a = 0, b = 0;
    for (unsigned i = 0; blockAverage(ctx, x, y, i, 0) != EmptyCell; ++i) {
      unsigned t = 0;
      while (blockAverage(ctx, x, y, i, t + 1) != EmptyCell) ++t;
      if (i + t > a + b) {
        a = i;
        b = t;
      }
    }
    const PackedColour c = snapToLevels(ctx, blockAverage(ctx, x, y, a, b));
    tokens.insert(tokens.end(), a, MarkerXToken);
    tokens.insert(tokens.end(), b, MarkerYToken);
    tokens.push_back(c);
    ctx.markerXCount += a;
    ctx.markerYCount += b;
    ctx.symbols.entries[ctx.symbols.findOrInsert(c)].count += 1;
    for (std::uint32_t cx = x; cx < x + (1u << a); ++cx) {
      for (std::uint32_t cy = y; cy < y + (1u << b); ++cy) ctx.pixels.at(cx, cy) = EmptyCell;
    }
  }

  void walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    if (x > ctx.maxX || y > ctx.maxY) return;
    if (k == 0) {
      leaf(x, y);
      return;
    }
    const std::uint32_t h = 1u << (k - 1);
    walk(x, y, k - 1);
    walk(x, y + h, k - 1);
    walk(x + h, y, k - 1);
    walk(x + h, y + h, k - 1);
  }
};

struct ReferenceDecoder {
  CodecContext& ctx;
  int pass;
  std::size_t cursor = 0;

  void walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    if (x > ctx.maxX || y > ctx.maxY) return;
    if (k > 0) {
      const std::uint32_t h = 1u << (k - 1);
      walk(x, y, k - 1);
      walk(x, y + h, k - 1);
      walk(x + h, y, k - 1);
      walk(x + h, y + h, k - 1);
      return;
    }
    Grid& grid = pass == 1 ? ctx.pixels : ctx.flatPixels;
    if (grid.at(x, y) != EmptyCell) return;
    unsigned n = 0, m = 0;
    while (ctx.tokens[cursor] == ctx.markerX) ++n, ++cursor;
    while (ctx.tokens[cursor] == ctx.markerY) ++m, ++cursor;
    const PackedColour colour = ctx.tokens[cursor];
    for (std::uint32_t cx = x; cx < x + (1u << n); ++cx) {
      for (std::uint32_t cy = y; cy < y + (1u << m); ++cy) grid.at(cx, cy) = colour;
    }
    if (pass == 2) reference::smoothBlock(ctx, x, y, n, m);
    ++cursor;
  }
};

}  // namespace

std::vector<PackedColour> tokenise(CodecContext& context) {
  context.markerXCount = context.markerYCount = context.singletonCount = 0;
  for (unsigned c = 0; c < 4; ++c) {
    context.histogram[c].fill(0);
    for (unsigned v = 0; v < 256; ++v) context.channelMap[c][v] = static_cast<std::uint8_t>(v);
  }
  quantise(context);
  ReferenceEncoder encoder{context, {}};
  encoder.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)));
  return encoder.tokens;
}

void rebuildImage(CodecContext& context) {
  const unsigned k = bitLength(std::max(context.maxX, context.maxY));
  context.pixels.fill(EmptyCell);
  ReferenceDecoder first{context, 1};
  first.walk(0, 0, k);
  context.flatPixels.fill(EmptyCell);
  ReferenceDecoder second{context, 2};
  second.walk(0, 0, k);
}

}  // namespace tq1::reference
