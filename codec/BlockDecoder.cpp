// Quadtree decoder passes.
//
// The second pass fills `flatPixels` with exactly the blocks of the first (same walk, same
// tokens, same emptiness), so it is done as a copy of the first pass's grid followed by the
// smoothing of the logged blocks in walk order.
#include "BlockDecoder.h"

#include <algorithm>
#include <vector>

#include "BlockLog.h"
#include "QuadtreeWalk.h"

namespace tq1 {

namespace {

class FirstPass {
 public:
  FirstPass(CodecContext& context, BlockLog& log)
      : context_(context), grid_(context.pixels), log_(log) {}

  // Walks the square of side 2^k at (x, y); false when the tokens do not describe the image.
  bool walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    auto visit = [this](std::uint32_t cx, std::uint32_t cy) {
      return grid_.at(cx, cy) != EmptyCell || readBlock(cx, cy);
    };
    return walkQuadtree(context_.maxX, context_.maxY, x, y, k, visit);
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }
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
    log_.record(x, y, n, m);
    context_.reportProgress(std::uint64_t{w} * h);
    return true;
  }

  bool fail(CodecError error) {
    failure_ = error;
    return false;
  }

  CodecContext& context_;
  Grid& grid_;
  BlockLog& log_;
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
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
  context.pixels.fill(EmptyCell);
  context.cursor = 0;
  FirstPass first(context, log);
  if (!first.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)))) {
    return passFailure(first.failure());
  }
  std::copy(context.pixels.cells().begin(), context.pixels.cells().end(),
            context.flatPixels.cells().begin());
  log.smoothInOrder(context, 1);
  return CodecStatus::success();
}

}  // namespace tq1
