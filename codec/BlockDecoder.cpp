// Quadtree decoder passes.
//
// The second pass fills `flatPixels` with exactly the blocks of the first (same walk, same
// tokens, same emptiness), so it is done as a copy of the first pass's grid followed by the
// smoothing of the recorded blocks in walk order; only blocks at least two cells wide and tall
// change under smoothing, so only those are recorded.
#include "BlockDecoder.h"

#include <algorithm>
#include <vector>

#include "QuadtreeWalk.h"
#include "Smoothing.h"

namespace tq1 {

namespace {

// A block's position and exponents packed into one word: x and y in 16 bits each, the two
// exponents in 5 bits each.
struct PackedBlock {
  std::uint64_t bits;
  static PackedBlock of(std::uint32_t x, std::uint32_t y, unsigned n, unsigned m) noexcept {
    return {std::uint64_t{x} | (std::uint64_t{y} << 16) | (std::uint64_t{n} << 32) |
            (std::uint64_t{m} << 37)};
  }
  [[nodiscard]] std::uint32_t x() const noexcept { return bits & 0xFFFF; }
  [[nodiscard]] std::uint32_t y() const noexcept { return (bits >> 16) & 0xFFFF; }
  [[nodiscard]] unsigned n() const noexcept { return (bits >> 32) & 31; }
  [[nodiscard]] unsigned m() const noexcept { return (bits >> 37) & 31; }
};

class FirstPass {
 public:
  FirstPass(CodecContext& context, bool recordSmoothable, bool recordAreas)
      : context_(context), grid_(context.pixels), recordSmoothable_(recordSmoothable),
        recordAreas_(recordAreas) {}

  // Walks the square of side 2^k at (x, y); false when the tokens do not describe the image.
  bool walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    auto visit = [this](std::uint32_t cx, std::uint32_t cy) {
      return grid_.at(cx, cy) != EmptyCell || readBlock(cx, cy);
    };
    return walkQuadtree(context_.maxX, context_.maxY, x, y, k, visit);
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }
  std::vector<PackedBlock> smoothable;
  // Every block in walk order, for the second pass's progress reports: the sum of its two
  // exponents, with kSmoothableFlag set when it is also in `smoothable`.
  std::vector<std::uint8_t> areas;
  static constexpr std::uint8_t kSmoothableFlag = 0x80;

 private:
  bool readBlock(std::uint32_t x, std::uint32_t y) {
    const auto& tokens = context_.tokens;
    std::size_t& cursor = context_.cursor;
    const std::size_t end = tokens.size();
    unsigned n = 0;
    unsigned m = 0;
    while (cursor < end && tokens[cursor] == context_.markerX) {
      ++n;
      ++cursor;
    }
    while (cursor < end && tokens[cursor] == context_.markerY) {
      ++m;
      ++cursor;
    }
    if (cursor >= end) return fail(CodecError::MissingTokens);
    if (n > 16 || m > 16 || x + (std::uint64_t{1} << n) > context_.width() ||
        y + (std::uint64_t{1} << m) > context_.height()) {
      return fail(CodecError::BlockOutsideImage);
    }
    const PackedColour colour = tokens[cursor++];
    const std::uint32_t w = std::uint32_t{1} << n;
    const std::uint32_t h = std::uint32_t{1} << m;
    if (h == 1) {
      for (std::uint32_t cx = x; cx < x + w; ++cx) grid_.at(cx, y) = colour;
    } else {
      for (std::uint32_t cx = x; cx < x + w; ++cx) {
        PackedColour* column = grid_.column(cx).data() + y;
        std::fill(column, column + h, colour);
      }
    }
    const bool isSmoothable = recordSmoothable_ && n > 0 && m > 0;
    if (isSmoothable) smoothable.push_back(PackedBlock::of(x, y, n, m));
    if (recordAreas_) {
      areas.push_back(static_cast<std::uint8_t>((n + m) | (isSmoothable ? kSmoothableFlag : 0)));
    }
    context_.reportProgress(std::uint64_t{w} * h);
    return true;
  }

  bool fail(CodecError error) {
    failure_ = error;
    return false;
  }

  CodecContext& context_;
  Grid& grid_;
  bool recordSmoothable_;
  bool recordAreas_;
  CodecError failure_ = CodecError::Ok;
};

CodecStatus passFailure(CodecError error) {
  if (error == CodecError::MissingTokens) {
    return CodecStatus::failure(CodecError::MissingTokens,
                                "the image needs more blocks than the data holds");
  }
  return CodecStatus::failure(CodecError::BlockOutsideImage,
                              "a block reaches past the edge of the image");
}

}  // namespace

CodecStatus rebuildImage(CodecContext& context) {
  const bool smoothing = context.smoothThreshold != 0;
  const bool progress = static_cast<bool>(context.progress);
  context.pixels.fill(EmptyCell);
  context.cursor = 0;
  FirstPass first(context, smoothing, progress);
  if (!first.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)))) {
    return passFailure(first.failure());
  }

  // Second pass: the flat grid is the first pass's result; smoothing rewrites `pixels`.
  std::copy(context.pixels.cells().begin(), context.pixels.cells().end(),
            context.flatPixels.cells().begin());
  BlockSmoother smoother;
  std::size_t next = 0;
  auto smoothNext = [&] {
    const PackedBlock b = first.smoothable[next++];
    smoother.smooth(context, b.x(), b.y(), b.n(), b.m());
  };
  if (!progress) {
    while (next < first.smoothable.size()) smoothNext();
    return CodecStatus::success();
  }
  for (const std::uint8_t block : first.areas) {
    if (block & FirstPass::kSmoothableFlag) smoothNext();
    context.reportProgress(std::uint64_t{1} << (block & 63));
  }
  return CodecStatus::success();
}

}  // namespace tq1
