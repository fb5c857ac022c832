// Header inspection for tools that describe a file without decoding it.
#include "FileInfo.h"

#include "BitReader.h"
#include "FileHeader.h"

namespace tq1 {

CodecStatus readFileInfo(std::span<const std::uint8_t> bytes, FileInfo& info) {
  BitReader in(bytes);
  FileHeader header;
  if (CodecStatus status = readFileHeader(in, header); !status) return status;
  info.fileBytes = bytes.size();
  info.magic = header.magic;
  info.width = header.maxX + 1;
  info.height = header.maxY + 1;
  info.tolerance = header.tolerance;
  info.smoothThreshold = header.smoothThreshold;
  info.levelCount = header.levelCount;
  info.symbolCount = header.lastSymbol + 1;
  info.tokenCount = header.lastToken + 1;
  info.controlValue = header.controlValue;
  info.controlIndex = header.controlIndex;
  return checkDeclaredSizes(header, in.totalBits());
}

}  // namespace tq1
