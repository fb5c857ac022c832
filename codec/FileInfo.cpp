// Header inspection for tools that describe a file without decoding it.
#include "FileInfo.h"

#include "BitReader.h"
#include "Limits.h"

namespace tq1 {

CodecStatus readFileInfo(std::span<const std::uint8_t> bytes, FileInfo& info) {
  BitReader in(bytes);
  if (in.totalBits() < kHeaderBits) {
    return CodecStatus::failure(CodecError::Truncated, "the data ends inside the header");
  }
  info.fileBytes = bytes.size();
  for (auto& byte : info.magic) byte = static_cast<std::uint8_t>(in.readBits(8));
  info.width = in.readBits(kSideBits) + 1;
  info.height = in.readBits(kSideBits) + 1;
  info.tolerance = static_cast<std::uint8_t>(in.readBits(8));
  info.smoothThreshold = static_cast<std::uint8_t>(in.readBits(8));
  for (auto& count : info.levelCount) count = in.readBits(8) + 1;
  info.symbolCount = in.readBits(kSymbolCountBits) + 1;
  info.tokenCount = in.readBits(kTokenCountBits) + 1;
  for (unsigned k = 0; k < 3; ++k) {
    info.controlValue[k] = in.readBits(kControlValueBits);
    info.controlIndex[k] = in.readBits(kControlIndexBits);
  }
  std::uint64_t needed = kHeaderBits + kCountBits * std::uint64_t{info.symbolCount} + info.tokenCount;
  for (const std::uint32_t count : info.levelCount) needed += 8 * std::uint64_t{count};
  if (needed > in.totalBits()) {
    return CodecStatus::failure(CodecError::Truncated,
                                "the data ends before the tables and tokens it declares");
  }
  return CodecStatus::success();
}

}  // namespace tq1
