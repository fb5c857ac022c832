// Fuzz entry: arbitrary bytes as a .tq1 stream.
#include <algorithm>

#include "codec/Codec.h"
#include "codec/FileInfo.h"
#include "fuzz/FuzzEntries.h"

namespace tq1::fuzz {

namespace {

// Small enough that a hostile header declaring a big image is refused quickly, large enough
// for every side up to 2048 pixels.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

}  // namespace

// Converters decode for the result only, with a second thread reading the tokens: every
// input must give what one thread gives, the same failure or the same image.
std::string compareThreads(std::span<const std::uint8_t> data) {
  CodecContext contexts[2];
  CodecStatus statuses[2];
  for (int k = 0; k < 2; ++k) {
    contexts[k].maxPixels = kMaxPixels;
    contexts[k].outputs = CodecOutputs::ResultOnly;
    contexts[k].decodeThreads = k == 0 ? DecodeThreads::One : DecodeThreads::Two;
    statuses[k] = decodeBytes(contexts[k], data);
  }
  if (statuses[0].error() != statuses[1].error() ||
      statuses[0].message() != statuses[1].message()) {
    return "two threads report another outcome than one";
  }
  if (statuses[0] && contexts[0].pixels != contexts[1].pixels) {
    return "two threads decode another image than one";
  }
  return {};
}

std::string decodeTq1(std::span<const std::uint8_t> data) {
  if (std::string problem = compareThreads(data); !problem.empty()) return problem;
  CodecContext context;
  context.maxPixels = kMaxPixels;
  // With a progress callback the decoder also logs every block for the second pass's reports.
  std::uint64_t lastDone = 0;
  bool backwards = false;
  context.progress = [&](std::uint64_t done, std::uint64_t) {
    backwards = backwards || done < lastDone;
    lastDone = done;
  };
  const CodecStatus status = decodeBytes(context, data);
  if (backwards) return "progress went backwards";
  if (!status) {
    if (status.message().empty()) return "a failure without a message";
    // A refused image must not have been allocated.
    if (status.error() == CodecError::ImageTooLarge && !context.pixels.empty()) {
      return "grids allocated for an image refused as too large";
    }
    return {};
  }
  if (context.cellCount() > kMaxPixels) return "an image above maxPixels was decoded";
  if (context.pixels.width() != context.width() || context.pixels.height() != context.height() ||
      context.flatPixels.width() != context.width() ||
      context.flatPixels.height() != context.height()) {
    return "the decoded grids differ from the size the header declares";
  }
  FileInfo info;
  if (!readFileInfo(data, info).ok()) return "the header tool rejects a file that decodes";
  if (info.width != context.width() || info.height != context.height()) {
    return "the header tool and the decoder disagree on the size";
  }
  // Decoding is a function of the bytes alone.
  CodecContext again;
  again.maxPixels = kMaxPixels;
  if (!decodeBytes(again, data).ok() || again.pixels != context.pixels ||
      again.flatPixels != context.flatPixels) {
    return "decoding the same bytes twice gives different images";
  }
  return {};
}

}  // namespace tq1::fuzz
