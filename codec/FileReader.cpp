// The decode driver: reads and checks the header, level tables and counts, rebuilds the
// codes, decodes the tokens and rebuilds the image.
#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "BitReader.h"
#include "BitStreamSource.h"
#include "BlockLog.h"
#include "CanonicalDecoder.h"
#include "Codec.h"
#include "FileHeader.h"
#include "RebuildWalk.h"
#include "TwoThreadDecoding.h"

namespace tq1 {

namespace {

CodecStatus truncated(const std::string& what) {
  return CodecStatus::failure(CodecError::Truncated, "the data ends inside " + what);
}

// Takes over what the header declares and checks that it can be decoded: the data holds all
// of it, there are at least two symbols and every control symbol lies within the table.
CodecStatus takeHeader(CodecContext& context, const FileHeader& header, const BitReader& in) {
  context.maxX = header.maxX;
  context.maxY = header.maxY;
  context.tolerance = header.tolerance;
  context.smoothThreshold = header.smoothThreshold;
  context.levelCount = header.levelCount;
  for (unsigned c = 0; c < 3; ++c) {
    context.literalBits[c] = bitLength(context.levelCount[c] - 1);
  }
  context.literalBits[3] = 0;
  context.lastSymbol = header.lastSymbol;
  context.lastToken = header.lastToken;
  context.controlValue = header.controlValue;
  if (CodecStatus s = checkDeclaredSizes(header, in.totalBits()); !s) return s;
  if (context.lastSymbol < 1) {
    return CodecStatus::failure(CodecError::InvalidCodeCounts, "fewer than two coded symbols");
  }
  for (unsigned k = 0; k < 3; ++k) {
    if (header.controlIndex[k] > context.lastSymbol) {
      return CodecStatus::failure(CodecError::InvalidControlIndex,
                                  "a control symbol index lies beyond the symbol table");
    }
  }
  return CodecStatus::success();
}

CodecStatus readTablesAndCounts(CodecContext& context, BitReader& in, const FileHeader& header) {
  SymbolTable& table = context.symbols;
  table.entries.assign(std::size_t{context.lastSymbol} + 2, SymbolEntry{});
  for (unsigned k = 0; k < 3; ++k) table.entries[header.controlIndex[k]].value = context.controlValue[k];
  context.markerX = context.controlValue[0];
  context.markerY = context.controlValue[1];
  context.escapeSymbol = context.controlValue[2];
  for (unsigned c = 0; c < 4; ++c) {
    for (std::uint32_t l = 0; l < context.levelCount[c]; ++l) {
      const auto value = static_cast<std::uint8_t>(in.readBits(8));
      context.channelMap[c][l] = value;
      context.levelValue[c][l] = value;
    }
  }
  for (std::uint32_t i = 0; i <= context.lastSymbol; ++i) {
    table.entries[i].length = 0;
    table.entries[i].count = in.readBits(kCountBits);
    if (table.entries[i].count == 0) {
      return CodecStatus::failure(CodecError::InvalidCodeCounts,
                                  "symbol " + std::to_string(i) + " has a count of zero");
    }
  }
  if (in.overrun()) return truncated("the symbol counts");
  return CodecStatus::success();
}

}  // namespace

CodecStatus buildDecoder(CodecContext& context, CanonicalDecoder& decoder) {
  const std::uint64_t n = std::uint64_t{context.lastSymbol} + 1;
  const std::uint64_t sortBudget = 64 * n * (bitLength(static_cast<std::uint32_t>(n)) + 1) + 4096;
  // The code words themselves are only kept for those who look at more than the result: the
  // decoder rebuilds them from the lengths in code order.
  SymbolTable& table = context.symbols;
  const bool built = context.outputs == CodecOutputs::Everything
                         ? table.buildCodes(context.lastSymbol, sortBudget).has_value()
                         : table.buildLengths(context.lastSymbol, sortBudget).has_value();
  if (!built) {
    return CodecStatus::failure(CodecError::TooComplex, "the symbol counts are too irregular");
  }
  // The decoder accepts only a complete code of lengths 1 to 32.
  if (!decoder.build(table, context.lastSymbol)) {
    return CodecStatus::failure(CodecError::InvalidCodeCounts,
                                "the symbol counts give codes longer than 32 bits");
  }
  return CodecStatus::success();
}

namespace {

// Both rebuilding passes, the first decoding tokens as it goes.
CodecStatus decodeAndRebuild(CodecContext& context, BitReader& in, CanonicalDecoder& decoder,
                             const FileHeader& header) {
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
  log.reserve(std::size_t{context.lastToken} + 1);  // a block takes at least one token
  context.cursor = 0;
  BitStreamSource source(context, in, decoder, header.controlIndex);
  RebuildWalk<BitStreamSource> first(context, source, log);
  if (!first.run()) return rebuildFailure(first.failure());
  if (!source.readRest()) return rebuildFailure(source.failure());
  if (context.outputs == CodecOutputs::Everything) {
    std::copy(context.pixels.cells().begin(), context.pixels.cells().end(),
              context.flatPixels.cells().begin());
  }
  log.smoothInOrder(context, 1);
  return CodecStatus::success();
}

}  // namespace

CodecStatus decodeBytes(CodecContext& context, std::span<const std::uint8_t> bytes) {
  try {
    context.progressDone = 0;
    BitReader in(bytes);
    FileHeader header;
    if (CodecStatus s = readFileHeader(in, header); !s) return s;
    if (CodecStatus s = takeHeader(context, header, in); !s) return s;
    if (CodecStatus s = checkImageExtents(context); !s) return s;
    context.progressTotal = 2 * context.cellCount();
    if (CodecStatus s = readTablesAndCounts(context, in, header); !s) return s;
    if (worthTwoThreads(context)) {
      if (std::optional<CodecStatus> s = decodeOnTwoThreads(context, in, header.controlIndex)) {
        return *s;
      }
    }
    CanonicalDecoder decoder;
    if (CodecStatus s = buildDecoder(context, decoder); !s) return s;
    // The grids come after the codes, into the memory the code construction used and freed.
    if (CodecStatus s = allocateGrids(context); !s) return s;
    return decodeAndRebuild(context, in, decoder, header);
  } catch (const std::bad_alloc&) {
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory to decode the image");
  }
}

CodecStatus decodeFile(CodecContext& context, const std::filesystem::path& path) {
  FileBytes bytes;
  if (CodecStatus status = readWholeFile(path, bytes); !status) return status;
  return decodeBytes(context, bytes.span());
}

}  // namespace tq1
