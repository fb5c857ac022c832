// Whether a pass of the encoder that splits in two takes a second thread: asked for by the
// caller (EncodeThreads in CodecContext.h), or, left to the encoder, where the process may use
// more than one processor and the pass is long enough to pay for starting a thread.
#pragma once

#include <cstdint>

#include "CodecContext.h"

namespace tq1 {

// The processors this process may run on (its affinity mask), at least 1.
[[nodiscard]] unsigned usableProcessors();

// Whether a pass over `work` items splits onto two threads; `minWork`: the least work for
// which a second thread pays, as measured for that pass.
[[nodiscard]] bool encodeOnTwoThreads(const CodecContext& context, std::uint64_t work,
                                      std::uint64_t minWork);

}  // namespace tq1
