// The second rebuilding pass over logged blocks.
#include "BlockLog.h"

#include "Smoothing.h"

namespace tq1 {

void BlockLog::smoothInOrder(CodecContext& context, unsigned passes) const {
  BlockSmoother smoother;
  std::size_t next = 0;
  auto smoothNext = [&] {
    const PackedBlock b = smoothable_[next++];
    smoother.smooth(context, b.x(), b.y(), b.n(), b.m());
  };
  if (!context.progress) {
    while (next < smoothable_.size()) smoothNext();
    return;
  }
  for (unsigned pass = 1; pass <= passes; ++pass) {
    for (const std::uint8_t block : areas_) {
      if (pass == passes && (block & kSmoothableFlag)) smoothNext();
      context.reportProgress(std::uint64_t{1} << (block & 63));
    }
  }
}

}  // namespace tq1
