// The first rebuilding pass, over tokens from any source: the in-memory sequence, or the file
// reader, which decodes each token from the bit stream when the walk asks for it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "BlockLog.h"
#include "CodecContext.h"
#include "CoverageMap.h"

namespace tq1 {

// A block is its x-doubling markers, then its y-doubling markers, then its colour. Reads the
// rest of a block whose first token is `token`, with `n` and `m` the markers counted so far:
// more x-doubling markers while no y-doubling one has come, then y-doubling markers, up to the
// colour, which ends in `token`. False when the source has no token to give.
template <typename Source>
[[gnu::always_inline]] inline bool readBlockMarkers(Source& source, PackedColour markerX,
                                                    PackedColour markerY, unsigned& n,
                                                    unsigned& m, PackedColour& token) {
  while (m == 0 && token == markerX) {
    ++n;
    if (!source.next(token)) return false;
  }
  while (token == markerY) {
    ++m;
    if (!source.next(token)) return false;
  }
  return true;
}

// A source gives tokens in order through `bool next(PackedColour&)`; when it has none left,
// or one cannot be read, `failure()` says why.
template <typename Source>
class RebuildWalk {
 public:
  // The coverage map, not the grid, says which cells are filled: a walk that succeeds writes
  // every cell of `pixels`, since each cell still empty when the walk reaches it anchors a
  // block.
  RebuildWalk(CodecContext& context, Source& source, BlockLog& log)
      : context_(context), grid_(context.pixels), source_(source), log_(log),
        coverage_(context.width(), context.height()) {}

  // Fills `pixels` with the flat blocks; false when the tokens do not describe the image. A
  // cell counts as empty while it holds EmptyCell, which the coverage map mirrors.
  bool run() {
    auto visit = [this](std::uint32_t x, std::uint32_t y) { return readBlock(x, y); };
    return walkEmptyCells(coverage_, context_.maxX, context_.maxY, 0, 0,
                          bitLength(std::max(context_.maxX, context_.maxY)), visit);
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }

 private:
  // A source may read a run of markers and the token after it at once; further tokens are
  // read one by one.
  bool readBlock(std::uint32_t x, std::uint32_t y) {
    PackedColour token = 0;
    unsigned n = 0;
    unsigned m = 0;
    bool read = false;
    if constexpr (requires { source_.readBlockStart(n, m, token); }) {
      read = source_.readBlockStart(n, m, token);
    } else {
      read = source_.next(token);
    }
    if (!read || !readBlockMarkers(source_, context_.markerX, context_.markerY, n, m, token)) {
      return fail(source_.failure());
    }
    if (n > 16 || m > 16 || x + (std::uint64_t{1} << n) > context_.width() ||
        y + (std::uint64_t{1} << m) > context_.height()) {
      return fail(CodecError::BlockOutsideImage);
    }
    const std::uint32_t w = std::uint32_t{1} << n;
    const std::uint32_t h = std::uint32_t{1} << m;
    if (h == 1) {
      for (std::uint32_t cx = x; cx < x + w; ++cx) grid_.at(cx, y) = token;
    } else {
      for (std::uint32_t cx = x; cx < x + w; ++cx) {
        PackedColour* column = grid_.column(cx).data() + y;
        std::fill(column, column + h, token);
      }
    }
    coverage_.set(x, y, w, h, token != EmptyCell);
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
  Source& source_;
  BlockLog& log_;
  CoverageMap coverage_;
  CodecError failure_ = CodecError::Ok;
};

// Why a rebuilding walk stopped, for people.
[[nodiscard]] CodecStatus rebuildFailure(CodecError error);

}  // namespace tq1
