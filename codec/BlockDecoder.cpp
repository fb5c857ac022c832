// Quadtree decoder passes over an in-memory token sequence.
//
// The second pass fills `flatPixels` with exactly the blocks of the first (same walk, same
// tokens, same emptiness), so it is done as a copy of the first pass's grid followed by the
// smoothing of the logged blocks in walk order.
#include "BlockDecoder.h"

#include <algorithm>

#include "BlockLog.h"
#include "RebuildWalk.h"

namespace tq1 {

namespace {

struct SequenceSource {
  CodecContext& context;

  bool next(PackedColour& token) {
    if (context.cursor >= context.tokens.size()) return false;
    token = context.tokens[context.cursor++];
    return true;
  }
  [[nodiscard]] static CodecError failure() noexcept { return CodecError::MissingTokens; }
};

}  // namespace

CodecStatus rebuildFailure(CodecError error) {
  switch (error) {
    case CodecError::MissingTokens:
      return CodecStatus::failure(error, "the image needs more blocks than the data holds");
    case CodecError::BlockOutsideImage:
      return CodecStatus::failure(error, "a block reaches past the edge of the image");
    case CodecError::InvalidLevelIndex:
      return CodecStatus::failure(error, "a literal colour names a level the channel does not have");
    case CodecError::Truncated:
      return CodecStatus::failure(error, "the data ends inside the token stream");
    default:
      return CodecStatus::failure(error, std::string(errorName(error)));
  }
}

CodecStatus rebuildImage(CodecContext& context) {
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
  log.reserve(context.tokens.size());  // a block takes at least one token
  context.pixels.fill(EmptyCell);
  context.cursor = 0;
  SequenceSource source{context};
  RebuildWalk<SequenceSource> first(context, source, log);
  if (!first.run()) return rebuildFailure(first.failure());
  std::copy(context.pixels.cells().begin(), context.pixels.cells().end(),
            context.flatPixels.cells().begin());
  log.smoothInOrder(context, 1);
  return CodecStatus::success();
}

}  // namespace tq1
