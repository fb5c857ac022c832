// The header's field order and widths.
#include "FileHeader.h"

#include "Limits.h"

namespace tq1 {

std::uint64_t FileHeader::leastFileBits() const noexcept {
  std::uint64_t bits = kHeaderBits;
  for (const std::uint32_t count : levelCount) bits += 8 * std::uint64_t{count};
  bits += kCountBits * (std::uint64_t{lastSymbol} + 1);
  return bits + std::uint64_t{lastToken} + 1;
}

CodecStatus readFileHeader(BitReader& in, FileHeader& header) {
  if (in.totalBits() < kHeaderBits) {
    return CodecStatus::failure(CodecError::Truncated, "the data ends inside the header");
  }
  for (auto& byte : header.magic) byte = static_cast<std::uint8_t>(in.readBits(8));
  header.maxX = in.readBits(kSideBits);
  header.maxY = in.readBits(kSideBits);
  header.tolerance = static_cast<std::uint8_t>(in.readBits(8));
  header.smoothThreshold = static_cast<std::uint8_t>(in.readBits(8));
  for (auto& count : header.levelCount) count = in.readBits(8) + 1;
  header.lastSymbol = in.readBits(kSymbolCountBits);
  header.lastToken = in.readBits(kTokenCountBits);
  for (unsigned k = 0; k < 3; ++k) {
    header.controlValue[k] = in.readBits(kControlValueBits);
    header.controlIndex[k] = in.readBits(kControlIndexBits);
  }
  return CodecStatus::success();
}

void writeFileHeader(const FileHeader& header, BitWriter& out) {
  for (const std::uint8_t byte : header.magic) out.writeBits(byte, 8);
  out.writeBits(header.maxX, kSideBits);
  out.writeBits(header.maxY, kSideBits);
  out.writeBits(header.tolerance, 8);
  out.writeBits(header.smoothThreshold, 8);
  for (const std::uint32_t count : header.levelCount) out.writeBits(count - 1, 8);
  out.writeBits(header.lastSymbol, kSymbolCountBits);
  out.writeBits(header.lastToken, kTokenCountBits);
  for (unsigned k = 0; k < 3; ++k) {
    out.writeBits(header.controlValue[k], kControlValueBits);
    out.writeBits(header.controlIndex[k], kControlIndexBits);
  }
}

CodecStatus checkDeclaredSizes(const FileHeader& header, std::uint64_t totalBits) {
  if (header.leastFileBits() > totalBits) {
    return CodecStatus::failure(CodecError::Truncated,
                                "the data ends inside the tables or tokens it declares");
  }
  return CodecStatus::success();
}

}  // namespace tq1
