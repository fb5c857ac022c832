// Quadtree block encoder: shape search, block colours and the token sequence.
#include "BlockEncoder.h"

#include <algorithm>
#include <array>

#include "ColourMap.h"
#include "Quantiser.h"

namespace tq1 {

namespace {

// Running per-channel minimum, maximum and sum of the cells of a block (channels 0-2; the
// fourth channel is 0 in every image cell, and covered cells are rejected explicitly).
struct BlockStats {
  std::array<std::uint8_t, 3> low{255, 255, 255};
  std::array<std::uint8_t, 3> high{0, 0, 0};
  std::array<std::uint64_t, 3> sum{0, 0, 0};

  // Adds one cell; false when the block stops being uniform within the tolerance.
  bool add(PackedColour cell, unsigned tolerance) noexcept {
    if (cell == EmptyCell) return false;
    for (unsigned c = 0; c < 3; ++c) {
      const auto v = static_cast<std::uint8_t>(cell >> (8 * c));
      low[c] = std::min(low[c], v);
      high[c] = std::max(high[c], v);
      sum[c] += v;
      if (unsigned(high[c] - low[c]) > tolerance) return false;
    }
    return true;
  }

  [[nodiscard]] PackedColour average(unsigned shift) const noexcept {
    return rgbColour(static_cast<std::uint8_t>(sum[0] >> shift),
                     static_cast<std::uint8_t>(sum[1] >> shift),
                     static_cast<std::uint8_t>(sum[2] >> shift));
  }
};

class Encoder {
 public:
  explicit Encoder(CodecContext& context) : context_(context), grid_(context.pixels) {
    buildSnapTable();
  }

  void walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    if (x > context_.maxX || y > context_.maxY) return;
    if (k == 0) {
      leaf(x, y);
      return;
    }
    const std::uint32_t h = std::uint32_t{1} << (k - 1);
    walk(x, y, k - 1);
    walk(x, y + h, k - 1);
    walk(x + h, y, k - 1);
    walk(x + h, y + h, k - 1);
  }

  ColourMap& counts() { return counts_; }

 private:
  // Adds the cells of columns x0 .. x0 + w - 1, rows y0 .. y0 + h - 1 to stats; false when
  // the block they extend is no longer uniform.
  bool extend(BlockStats& stats, std::uint32_t x0, std::uint32_t y0, std::uint32_t w,
              std::uint32_t h) const {
    const unsigned tolerance = context_.tolerance;
    for (std::uint32_t x = x0; x < x0 + w; ++x) {
      const PackedColour* cell = grid_.column(x).data() + y0;
      for (std::uint32_t y = 0; y < h; ++y) {
        if (!stats.add(cell[y], tolerance)) return false;
      }
    }
    return true;
  }

  // With tolerance 0 a block is uniform exactly when every cell equals the first.
  bool extendExact(PackedColour reference, std::uint32_t x0, std::uint32_t y0, std::uint32_t w,
                   std::uint32_t h) const {
    for (std::uint32_t x = x0; x < x0 + w; ++x) {
      const PackedColour* cell = grid_.column(x).data() + y0;
      for (std::uint32_t y = 0; y < h; ++y) {
        if (cell[y] != reference) return false;
      }
    }
    return true;
  }

  bool extendBlock(BlockStats& stats, PackedColour reference, std::uint32_t x0, std::uint32_t y0,
                   std::uint32_t w, std::uint32_t h) const {
    if (context_.tolerance == 0) return extendExact(reference, x0, y0, w, h);
    return extend(stats, x0, y0, w, h);
  }

  // Among the shapes anchored at (x, y) that pass the block test: the largest area, and on
  // equal area the smallest x exponent. Grows each candidate from the one before it instead
  // of rescanning, which gives the same pass or fail for every shape.
  void leaf(std::uint32_t x, std::uint32_t y) {
    const PackedColour first = grid_.at(x, y);
    if (first == EmptyCell) return;
    const std::uint64_t width = context_.width();
    const std::uint64_t height = context_.height();

    BlockStats row;
    row.add(first, 255);
    unsigned bestA = 0, bestB = 0;
    BlockStats best = row;
    for (unsigned i = 0;; ++i) {
      if (i > 0) {
        const std::uint32_t half = std::uint32_t{1} << (i - 1);
        if (x + 2 * std::uint64_t{half} > width) break;
        if (!extendBlock(row, first, x + half, y, half, 1)) break;
      }
      BlockStats column = row;
      unsigned t = 0;
      const std::uint32_t w = std::uint32_t{1} << i;
      while (true) {
        const std::uint32_t h = std::uint32_t{1} << t;
        if (y + 2 * std::uint64_t{h} > height) break;
        BlockStats taller = column;  // a failed extension must not leave cells behind
        if (!extendBlock(taller, first, x, y + h, w, h)) break;
        column = taller;
        ++t;
      }
      if (i + t > bestA + bestB) {
        bestA = i;
        bestB = t;
        best = column;
      }
    }
    const PackedColour average = context_.tolerance == 0 ? first : best.average(bestA + bestB);
    emit(x, y, bestA, bestB, snap(average));
  }

  void emit(std::uint32_t x, std::uint32_t y, unsigned a, unsigned b, PackedColour colour) {
    auto& tokens = context_.tokens;
    tokens.insert(tokens.end(), a, MarkerXToken);
    tokens.insert(tokens.end(), b, MarkerYToken);
    tokens.push_back(colour);
    context_.markerXCount += a;
    context_.markerYCount += b;
    ++counts_[colour];
    const std::uint32_t w = std::uint32_t{1} << a;
    const std::uint32_t h = std::uint32_t{1} << b;
    for (std::uint32_t cx = x; cx < x + w; ++cx) {
      auto column = grid_.column(cx);
      std::fill(column.begin() + y, column.begin() + y + h, EmptyCell);
    }
    context_.reportProgress(std::uint64_t{w} * h);
  }

  void buildSnapTable() {
    for (unsigned c = 0; c < 3; ++c) {
      for (unsigned v = 0; v < 256; ++v) {
        snapTable_[c][v] = PackedColour{nearestLevel(c, v)} << (8 * c);
      }
    }
  }

  [[nodiscard]] std::uint8_t nearestLevel(unsigned c, unsigned v) const {
    const auto& levels = context_.levelValue[c];
    std::uint8_t nearest = levels[0];
    for (std::uint32_t l = 1; l < context_.levelCount[c]; ++l) {
      const unsigned distance = v > levels[l] ? v - levels[l] : levels[l] - v;
      const unsigned best = v > nearest ? v - nearest : nearest - v;
      if (distance < best) nearest = levels[l];  // levels ascend: ties keep the lower
    }
    return nearest;
  }

  [[nodiscard]] PackedColour snap(PackedColour colour) const noexcept {
    return snapTable_[0][colour & 0xff] | snapTable_[1][(colour >> 8) & 0xff] |
           snapTable_[2][(colour >> 16) & 0xff];
  }

  CodecContext& context_;
  Grid& grid_;
  ColourMap counts_;
  std::array<std::array<PackedColour, 256>, 3> snapTable_{};
};

void prepareTables(CodecContext& context) {
  context.markerXCount = 0;
  context.markerYCount = 0;
  context.singletonCount = 0;
  for (unsigned c = 0; c < 4; ++c) {
    context.histogram[c].fill(0);
    for (unsigned v = 0; v < 256; ++v) context.channelMap[c][v] = static_cast<std::uint8_t>(v);
  }
}

}  // namespace

PackedColour snapToLevels(const CodecContext& context, PackedColour colour) {
  Channels channels = unpackColour(colour);
  for (unsigned c = 0; c < 3; ++c) {
    const auto& levels = context.levelValue[c];
    std::uint8_t nearest = levels[0];
    for (std::uint32_t l = 1; l < context.levelCount[c]; ++l) {
      const int distance = std::abs(int{channels[c]} - int{levels[l]});
      if (distance < std::abs(int{channels[c]} - int{nearest})) nearest = levels[l];
    }
    channels[c] = nearest;
  }
  return packColour(channels);
}

PackedColour blockAverage(const CodecContext& context, std::uint32_t x0, std::uint32_t y0,
                          unsigned a, unsigned b) {
  const std::uint64_t w = std::uint64_t{1} << a;
  const std::uint64_t h = std::uint64_t{1} << b;
  if (x0 + w > context.width() || y0 + h > context.height()) return EmptyCell;
  BlockStats stats;
  for (std::uint64_t x = x0; x < x0 + w; ++x) {
    for (std::uint64_t y = y0; y < y0 + h; ++y) {
      const PackedColour cell = context.pixels.at(static_cast<std::uint32_t>(x),
                                                  static_cast<std::uint32_t>(y));
      if (!stats.add(cell, context.tolerance)) return EmptyCell;
    }
  }
  return stats.average(a + b);
}

void encodeWalk(CodecContext& context, std::uint32_t x, std::uint32_t y, unsigned k) {
  Encoder encoder(context);
  encoder.walk(x, y, k);
  for (const SymbolEntry& counted : encoder.counts().sortedEntries()) {
    context.symbols.entries[context.symbols.findOrInsert(counted.value)].count += counted.count;
  }
}

std::uint32_t tokenise(CodecContext& context) {
  prepareTables(context);
  quantise(context);
  context.cursor = 0;
  context.tokens.clear();
  context.tokens.reserve(static_cast<std::size_t>(context.cellCount() / 2) + 16);
  Encoder encoder(context);
  encoder.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)));
  context.symbols.assignSorted(encoder.counts().sortedEntries());
  context.cursor = context.tokens.size();
  return static_cast<std::uint32_t>(context.tokens.size() - 1);
}

}  // namespace tq1
