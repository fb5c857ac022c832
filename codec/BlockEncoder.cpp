// Quadtree block encoder: shape search, block colours and the token sequence.
#include "BlockEncoder.h"
#include "EncoderSteps.h"

#include <algorithm>
#include <array>
#include <bit>
#include <span>

#include "BlockLog.h"
#include "BlockRange.h"
#include "ColourRanks.h"
#include "SmallShapes.h"
#include "Quantiser.h"
#include "CoverageMap.h"

namespace tq1 {

namespace {

// Room for the block lists up front: photos at moderate tolerances need up to about one block
// for every two cells. Lists that grow beyond it are copied once into twice the room.
std::size_t expectedBlocks(const CodecContext& context) {
  return static_cast<std::size_t>(context.cellCount() / 2) + 16;
}

class Encoder {
 public:
  // Every block goes into the context's block lists, and into `tokens` when `keepTokens`.
  // With a log, every block is also filled into `flatPixels` and logged, so that the image
  // the tokens decode to is known without walking them.
  // `gridCovered`: whether the grid may already hold covered cells (EmptyCell), as when a
  // walk continues one before it; a fresh image has none.
  Encoder(CodecContext& context, BlockLog* log, bool gridCovered, bool keepTokens)
      : context_(context),
        grid_(context.pixels),
        cells_(context.pixels.cells().data()),
        stride_(context.height()),
        cellCount_(context.pixels.cells().size()),
        log_(log),
        keepTokens_(keepTokens),
        coverage_(context.width(), context.height()) {
    buildSnapTable();
    colours_.reserve(expectedBlocks(context));
    if (gridCovered) markCoveredCells();
  }

  void walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    // Most cells are covered by an earlier block by the time the walk reaches them; the
    // coverage bitmap hands out only the others.
    auto visit = [this](std::uint32_t cx, std::uint32_t cy) {
      leaf(cx, cy, cells_ + std::size_t{cx} * stride_ + cy);
      return true;
    };
    walkEmptyCells(coverage_, context_.maxX, context_.maxY, x, y, k, visit);
  }

  // The colours of the blocks emitted so far, in walk order.
  [[nodiscard]] const std::vector<PackedColour>& blockColours() const noexcept {
    return colours_;
  }

 private:
  void markCoveredCells() {
    for (std::uint32_t x = 0; x <= context_.maxX; ++x) {
      for (std::uint32_t y = 0; y <= context_.maxY; ++y) {
        if (grid_.at(x, y) == EmptyCell) coverage_.set(x, y, 1, 1, true);
      }
    }
  }

  // The block anchored at the uncovered cell (x, y). Nearly every block of a photo is at most
  // 4 x 4 cells: all such shapes are tested at once, and only when one 4 cells wide or tall
  // passes, and a larger shape fits, does the shape search go on.
  void leaf(std::uint32_t x, std::uint32_t y, PackedColour* cell) {
    const std::uint32_t columnsLeft = context_.width() - x;
    const std::uint32_t rowsLeft = context_.height() - y;
    const std::uint32_t columns = std::min(columnsLeft, 4u);
    // Four cells are read down each column from row y, running on into the next columns
    // below the bottom: near the end of the grid they would leave it.
    if (std::size_t{x + columns - 1} * stride_ + y + 4 > cellCount_) {
      leafBySearch(x, y, cell);
      return;
    }
    const unsigned mask = uniformSmallShapes(cell, stride_, columns, std::min(rowsLeft, 4u),
                                             context_.tolerance);
    if (((mask & kFourWideShapes) != 0 && columnsLeft >= 8) ||
        ((mask & kFourTallShapes) != 0 && rowsLeft >= 8)) {
      search(x, y, cell, (mask >> smallShapeBit(0, 1)) & 1, (mask >> smallShapeBit(1, 0)) & 1);
      return;
    }
    const unsigned shape = largestSmallShape(mask);
    if (shape == 0) {
      emitCell(x, y, cell);
      return;
    }
    const unsigned a = shape & 0xF;
    const unsigned b = shape >> 4;
    // At tolerance 0 every cell of the block is the first, already a level value.
    const PackedColour colour = context_.tolerance == 0 ? *cell : snap(averageOf(x, y, a, b));
    emit(x, y, a, b, colour);
  }

  // The same block found by the shape search alone, for the cells where four cells down a
  // column would leave the grid. When neither the cell below nor the one to the right joins
  // the anchor, no other shape can pass.
  void leafBySearch(std::uint32_t x, std::uint32_t y, PackedColour* cell) {
    const PackedColour first = *cell;
    const bool down = y < context_.maxY && pairUniform(first, cell[1]);
    const bool right = x < context_.maxX && pairUniform(first, cell[stride_]);
    if (!down && !right) {
      emitCell(x, y, cell);
      return;
    }
    search(x, y, cell, down, right);
  }

  [[nodiscard]] bool pairUniform(PackedColour first, PackedColour other) const noexcept {
    ChannelRange range(first);
    range.add(other);
    return range.uniform(context_.tolerance);
  }

  // Among the shapes anchored at (x, y) that pass the block test: the largest area, and on
  // equal area the smallest x exponent. A shape that passes contains only passing shapes with
  // the same anchor, so the tallest passing height of a width is at most that of the width
  // before, and each width is found from the ranges of the one before it (kept per height)
  // joined with its new right half: every cell is read about once per width it stays in.
  // `down` and `right`: whether the cell below, and the one to the right, join the anchor;
  // without the one, no taller shape passes, without the other, no wider one.
  void search(std::uint32_t x, std::uint32_t y, const PackedColour* origin, bool down,
              bool right) {
    const PackedColour first = *origin;
    const unsigned tolerance = context_.tolerance;
    const unsigned maxA = floorLog2(context_.width() - x);
    const unsigned maxB = floorLog2(context_.height() - y);

    // byHeight[t]: the range of the current width's block of height 2^t.
    std::array<ChannelRange, 17> byHeight;
    byHeight[0] = ChannelRange(first);
    unsigned tallest = 0;  // of the current width
    while (down && tallest < maxB) {
      const std::uint32_t h = std::uint32_t{1} << tallest;
      ChannelRange grown = byHeight[tallest];
      grown.addRun(origin + h, h);
      if (!grown.uniform(tolerance)) break;
      byHeight[++tallest] = grown;
    }
    unsigned bestA = 0, bestB = tallest;
    for (unsigned a = 1; right && a <= maxA; ++a) {
      if (maxA + tallest <= bestA + bestB) break;  // no wider shape can be larger
      const std::uint32_t half = std::uint32_t{1} << (a - 1);
      const PackedColour* rightHalf = origin + half * stride_;
      // The right half, grown one height at a time; its top row decides whether the width
      // passes at all.
      ChannelRange added(rightHalf[0]);
      for (std::uint32_t k = 1; k < half; ++k) added.add(rightHalf[k * stride_]);
      ChannelRange joined = byHeight[0];
      joined.join(added);
      if (!joined.uniform(tolerance)) break;
      byHeight[0] = joined;
      unsigned t = 0;
      while (t < tallest) {
        const std::uint32_t h = std::uint32_t{1} << t;
        if (!growRight(added, byHeight[t + 1], rightHalf + h, stride_, half, h, tolerance)) break;
        ++t;
      }
      tallest = t;
      if (a + tallest > bestA + bestB) {
        bestA = a;
        bestB = tallest;
      }
    }
    // At tolerance 0 every cell of the block is the first, already a level value.
    const PackedColour colour =
        tolerance == 0 ? first : snap(averageOf(x, y, bestA, bestB));
    emit(x, y, bestA, bestB, colour);
  }

  // Adds to `added` the `columns` runs of `rows` cells starting at `cells` (one run per
  // column); when `added` joined with `left` stays uniform, stores that join in `left`.
  static bool growRight(ChannelRange& added, ChannelRange& left, const PackedColour* cells,
                        std::size_t stride, std::uint32_t columns, std::uint32_t rows,
                        unsigned tolerance) {
    for (std::uint32_t k = 0; k < columns; ++k) {
      added.addRun(cells + k * stride, rows);
      ChannelRange joined = left;
      joined.join(added);
      if (!joined.uniform(tolerance)) return false;
    }
    left.join(added);
    return true;
  }

  static unsigned floorLog2(std::uint32_t n) noexcept {
    return 31u - static_cast<unsigned>(std::countl_zero(n));
  }

  // The mean of each colour channel over the block, rounded down.
  [[nodiscard]] PackedColour averageOf(std::uint32_t x0, std::uint32_t y0, unsigned a,
                                       unsigned b) const {
    std::uint64_t sum[3] = {0, 0, 0};
    const std::uint32_t h = std::uint32_t{1} << b;
    for (std::uint32_t x = x0; x < x0 + (std::uint32_t{1} << a); ++x) {
      const PackedColour* cell = grid_.column(x).data() + y0;
      std::uint32_t partial[3] = {0, 0, 0};  // a column holds at most 65536 cells
      for (std::uint32_t y = 0; y < h; ++y) {
        partial[0] += cell[y] & 0xFF;
        partial[1] += (cell[y] >> 8) & 0xFF;
        partial[2] += (cell[y] >> 16) & 0xFF;
      }
      for (unsigned c = 0; c < 3; ++c) sum[c] += partial[c];
    }
    const unsigned shift = a + b;
    return rgbColour(static_cast<std::uint8_t>(sum[0] >> shift),
                     static_cast<std::uint8_t>(sum[1] >> shift),
                     static_cast<std::uint8_t>(sum[2] >> shift));
  }

  void emit(std::uint32_t x, std::uint32_t y, unsigned a, unsigned b, PackedColour colour) {
    if (keepTokens_) {
      auto& tokens = context_.tokens;
      if (a > 0) tokens.insert(tokens.end(), a, MarkerXToken);
      if (b > 0) tokens.insert(tokens.end(), b, MarkerYToken);
      tokens.push_back(colour);
    }
    colours_.push_back(colour);
    context_.blockShapes.push_back(static_cast<std::uint16_t>(a | (b << 8)));
    context_.markerXCount += a;
    context_.markerYCount += b;
    const std::uint32_t w = std::uint32_t{1} << a;
    const std::uint32_t h = std::uint32_t{1} << b;
    for (std::uint32_t cx = x; cx < x + w; ++cx) {
      PackedColour* covered = grid_.column(cx).data() + y;
      std::fill(covered, covered + h, EmptyCell);
      if (log_) {
        PackedColour* flat = context_.flatPixels.column(cx).data() + y;
        std::fill(flat, flat + h, colour);
      }
    }
    coverage_.set(x, y, w, h, true);
    if (log_) log_->record(x, y, a, b);
    context_.reportProgress(std::uint64_t{w} * h);
  }

  // A block of one cell: its colour is the cell, already a level value. The walk has passed
  // the cell, so the coverage bitmap need not learn of it.
  void emitCell(std::uint32_t x, std::uint32_t y, PackedColour* cell) {
    const PackedColour colour = *cell;
    if (keepTokens_) context_.tokens.push_back(colour);
    colours_.push_back(colour);
    context_.blockShapes.push_back(0);
    *cell = EmptyCell;
    if (log_) {
      context_.flatPixels.at(x, y) = colour;
      log_->record(x, y, 0, 0);
    }
    context_.reportProgress(1);
  }

  // The nearest level of every value, the lower of two equally near. Levels ascend, so one
  // pass over values and levels together finds them all.
  void buildSnapTable() {
    for (unsigned c = 0; c < 3; ++c) {
      const auto& levels = context_.levelValue[c];
      const std::uint32_t count = context_.levelCount[c];
      std::uint32_t below = 0;  // the highest level not above v, or the first level
      for (unsigned v = 0; v < 256; ++v) {
        while (below + 1 < count && levels[below + 1] <= v) ++below;
        unsigned nearest = levels[below];
        if (v > nearest && below + 1 < count && levels[below + 1] - v < v - nearest) {
          nearest = levels[below + 1];
        }
        snapTable_[c][v] = PackedColour{nearest} << (8 * c);
      }
    }
  }

  [[nodiscard]] PackedColour snap(PackedColour colour) const noexcept {
    return snapTable_[0][colour & 0xff] | snapTable_[1][(colour >> 8) & 0xff] |
           snapTable_[2][(colour >> 16) & 0xff];
  }

  CodecContext& context_;
  Grid& grid_;
  PackedColour* cells_;
  std::size_t stride_;  // cells per column
  std::size_t cellCount_;
  BlockLog* log_;
  bool keepTokens_;
  std::vector<PackedColour> colours_;  // of the blocks, in walk order
  CoverageMap coverage_;  // the covered cells of the grid that the walk has yet to reach
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

void encodeWalk(CodecContext& context, std::uint32_t x, std::uint32_t y, unsigned k) {
  Encoder encoder(context, nullptr, true, true);
  encoder.walk(x, y, k);
  for (const SymbolEntry& counted : rankColours(encoder.blockColours()).colours) {
    context.symbols.entries[context.symbols.findOrInsert(counted.value)].count += counted.count;
  }
}

namespace {

// What becomes of the image grid once the walk has covered it.
enum class WalkedGrid { Kept, Released };

// Returns the number of tokens.
std::uint64_t runEncoder(CodecContext& context, BlockLog* log, bool keepTokens,
                         WalkedGrid walkedGrid = WalkedGrid::Kept) {
  prepareTables(context);
  quantise(context);
  context.cursor = 0;
  context.tokens.clear();
  context.blockShapes.clear();
  if (keepTokens) context.tokens.reserve(static_cast<std::size_t>(context.cellCount() / 2) + 16);
  context.blockShapes.reserve(expectedBlocks(context));
  Encoder encoder(context, log, false, keepTokens);
  encoder.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)));
  // A covered grid holds nothing more; its memory then serves the colour ranks and codes.
  if (walkedGrid == WalkedGrid::Released) context.pixels = Grid();
  ColourRanks ranks = rankColours(encoder.blockColours());
  context.symbols.assignSorted(std::move(ranks.colours));
  context.blockColourRank = std::move(ranks.rank);
  const std::uint64_t tokenCount =
      context.blockShapes.size() + context.markerXCount + context.markerYCount;
  context.cursor = static_cast<std::size_t>(tokenCount);
  return tokenCount;
}

}  // namespace

std::uint32_t tokenise(CodecContext& context) {
  return static_cast<std::uint32_t>(runEncoder(context, nullptr, true) - 1);
}

std::uint64_t tokeniseBlocks(CodecContext& context) {
  return runEncoder(context, nullptr, false, WalkedGrid::Released);
}

std::uint32_t tokeniseAndRebuild(CodecContext& context) {
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
  const auto last = static_cast<std::uint32_t>(runEncoder(context, &log, true) - 1);
  context.markerX = MarkerXToken;
  context.markerY = MarkerYToken;
  std::copy(context.flatPixels.cells().begin(), context.flatPixels.cells().end(),
            context.pixels.cells().begin());
  log.smoothInOrder(context, 2);
  return last;
}

}  // namespace tq1
