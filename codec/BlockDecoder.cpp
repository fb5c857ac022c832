// Quadtree decoder passes.
#include "BlockDecoder.h"

#include <algorithm>

#include "Smoothing.h"

namespace tq1 {

namespace {

class DecoderPass {
 public:
  DecoderPass(CodecContext& context, int pass)
      : context_(context), pass_(pass), grid_(pass == 1 ? context.pixels : context.flatPixels),
        smooth_(pass == 2 && context.smoothThreshold != 0) {}

  // Walks the square of side 2^k at (x, y); false when the tokens do not describe the image.
  bool walk(std::uint32_t x, std::uint32_t y, unsigned k) {
    if (x > context_.maxX || y > context_.maxY) return true;
    if (k > 0) {
      const std::uint32_t h = std::uint32_t{1} << (k - 1);
      return walk(x, y, k - 1) && walk(x, y + h, k - 1) && walk(x + h, y, k - 1) &&
             walk(x + h, y + h, k - 1);
    }
    if (grid_.at(x, y) != EmptyCell) return true;
    return readBlock(x, y);
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
    const PackedColour colour = tokens[cursor];
    const std::uint32_t w = std::uint32_t{1} << n;
    const std::uint32_t h = std::uint32_t{1} << m;
    for (std::uint32_t cx = x; cx < x + w; ++cx) {
      auto column = grid_.column(cx);
      std::fill(column.begin() + y, column.begin() + y + h, colour);
    }
    if (smooth_) smoother_.smooth(context_, x, y, n, m);
    ++cursor;
    context_.reportProgress(std::uint64_t{w} * h);
    return true;
  }

  bool fail(CodecError error) {
    failure_ = error;
    return false;
  }

  CodecContext& context_;
  [[maybe_unused]] int pass_;
  Grid& grid_;
  bool smooth_;
  BlockSmoother smoother_;
  CodecError failure_ = CodecError::Ok;
};

CodecStatus runPass(CodecContext& context, int pass) {
  Grid& grid = pass == 1 ? context.pixels : context.flatPixels;
  grid.fill(EmptyCell);
  context.cursor = 0;
  DecoderPass walker(context, pass);
  if (walker.walk(0, 0, bitLength(std::max(context.maxX, context.maxY)))) {
    return CodecStatus::success();
  }
  if (walker.failure() == CodecError::MissingTokens) {
    return CodecStatus::failure(CodecError::MissingTokens,
                                "the image needs more blocks than the data holds");
  }
  return CodecStatus::failure(CodecError::BlockOutsideImage,
                              "a block reaches past the edge of the image");
}

}  // namespace

CodecStatus rebuildImage(CodecContext& context) {
  if (CodecStatus status = runPass(context, 1); !status) return status;
  return runPass(context, 2);
}

}  // namespace tq1
