// Decoding on two threads: a second thread reads the token stream while this one places and
// smooths the blocks. Results and failures are those of the one-thread decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "BitReader.h"
#include "CodecContext.h"

namespace tq1 {

// Whether a decode of the context, whose header and counts are read, should take two threads.
[[nodiscard]] bool worthTwoThreads(const CodecContext& context);

// Decodes the rest of the data from `in` (the codes, the tokens, the image) on two threads.
// `controlSymbols`: the control symbols' indices from the header. Returns nothing when no
// second thread could be started, for the caller to decode on one.
std::optional<CodecStatus> decodeOnTwoThreads(CodecContext& context, const BitReader& in,
                                              std::span<const std::uint32_t> controlSymbols);

}  // namespace tq1
