// The encode driver: tokenise, rebuild the shown image, choose the control symbols and the
// codes, and write header, level tables, counts and coded tokens.
#include <algorithm>
#include <array>
#include <string>

#include "BitWriter.h"
#include "BlockEncoder.h"
#include "Codec.h"
#include "FileHeader.h"
#include "TokenWriting.h"

namespace tq1 {

namespace {

// `rebuilding`: whether the run fills `flatPixels` with the rebuilt image.
CodecStatus checkInput(const CodecContext& context, bool rebuilding) {
  const bool flatFits = context.flatPixels.width() == context.width() &&
                        context.flatPixels.height() == context.height();
  if (context.pixels.width() != context.width() || context.pixels.height() != context.height() ||
      (rebuilding && !flatFits)) {
    return CodecStatus::failure(CodecError::InvalidParameters,
                                "the grids do not match the image extents");
  }
  if (context.width() > kMaxSide || context.height() > kMaxSide) {
    return CodecStatus::failure(CodecError::ImageTooLarge,
                                "image sides are limited to 65536 pixels");
  }
  // One pass without early exit, which the compiler turns into wide operations.
  PackedColour fourthChannels = 0;
  for (const PackedColour cell : context.pixels.cells()) fourthChannels |= cell;
  if ((fourthChannels >> 24) != 0) {
    return CodecStatus::failure(CodecError::InvalidPixels,
                                "image cells must have 0 in their fourth channel");
  }
  return CodecStatus::success();
}

// Gives the three control symbols the smallest values no colour uses, with their counts.
void assignControlSymbols(CodecContext& context) {
  SymbolTable& table = context.symbols;
  for (const SymbolEntry& e : table.entries) context.singletonCount += e.count == 1 ? 1 : 0;
  context.markerXCount = std::max<std::uint64_t>(context.markerXCount, 2);
  context.markerYCount = std::max<std::uint64_t>(context.markerYCount, 2);
  context.singletonCount = std::max<std::uint64_t>(context.singletonCount, 2);
  const std::uint64_t counts[3] = {context.markerXCount, context.markerYCount,
                                   context.singletonCount};
  std::uint32_t candidate = 0;
  for (unsigned k = 0; k < 3; ++k) {
    while (table.find(candidate) >= 0) ++candidate;
    context.controlValue[k] = candidate;
    const std::uint32_t at = table.findOrInsert(candidate);
    table.entries[at].count = static_cast<std::uint32_t>(std::min<std::uint64_t>(counts[k], UINT32_MAX));
  }
}

CodecStatus checkFormatLimits(const CodecContext& context, std::uint64_t tokenCount) {
  if (tokenCount > kMaxTokens) {
    return CodecStatus::failure(CodecError::TooManyTokens,
                                "the image needs " + std::to_string(tokenCount) +
                                    " tokens, more than the format's 16777216; raise the "
                                    "tolerance or lower the bits per component");
  }
  if (context.symbols.size() > kMaxSymbols) {
    return CodecStatus::failure(CodecError::TooManySymbols,
                                "the image has more distinct block colours than the format "
                                "holds; raise the tolerance or lower the bits per component");
  }
  for (unsigned k = 0; k < 3; ++k) {
    if (context.controlValue[k] >= kControlValueLimit) {
      return CodecStatus::failure(CodecError::ControlValueOverflow,
                                  "the image uses too many of the lowest colour values; lower "
                                  "the bits per component");
    }
    const std::int32_t index = context.symbols.find(context.controlValue[k]);
    if (index < 0 || static_cast<std::uint32_t>(index) >= kControlIndexLimit) {
      return CodecStatus::failure(CodecError::TooManySymbols,
                                  "too many colours below the control symbols; raise the "
                                  "tolerance or lower the bits per component");
    }
  }
  return CodecStatus::success();
}

FileHeader headerOf(const CodecContext& context) {
  FileHeader header;
  header.maxX = context.maxX;
  header.maxY = context.maxY;
  header.tolerance = context.tolerance;
  header.smoothThreshold = context.smoothThreshold;
  header.levelCount = context.levelCount;
  header.lastSymbol = context.lastSymbol;
  header.lastToken = context.lastToken;
  for (unsigned k = 0; k < 3; ++k) {
    header.controlValue[k] = context.controlValue[k];
    header.controlIndex[k] = static_cast<std::uint32_t>(context.symbols.find(context.controlValue[k]));
  }
  return header;
}

void writeTables(const CodecContext& context, BitWriter& out) {
  for (unsigned c = 0; c < 4; ++c) {
    for (std::uint32_t l = 0; l < context.levelCount[c]; ++l) {
      out.writeBits(context.levelValue[c][l], 8);
    }
  }
  for (std::uint32_t i = 0; i <= context.lastSymbol; ++i) {
    out.writeBits(context.symbols.entries[i].count, kCountBits);
  }
}

// The entry of control symbol k (0: x-marker, 1: y-marker, 2: escape), once it is inserted.
const SymbolEntry& controlEntry(const CodecContext& context, unsigned k) {
  const SymbolTable& table = context.symbols;
  return table.entries[static_cast<std::uint32_t>(table.find(context.controlValue[k]))];
}

// The bytes the file takes, to have them at once rather than by growing. Exact when the counts
// were stored as counted; when they had to be scaled down to fit, the file is larger and the
// bytes grow once more.
std::size_t expectedFileBytes(const CodecContext& context) {
  const SymbolTable& table = context.symbols;
  const auto codeLength = [&](unsigned k) -> std::uint64_t {
    return controlEntry(context, k).length;
  };
  std::uint64_t bits = kHeaderBits + std::uint64_t{kCountBits} * table.size();
  for (unsigned c = 0; c < 4; ++c) bits += 8 * std::uint64_t{context.levelCount[c]};
  bits += context.markerXCount * codeLength(0) + context.markerYCount * codeLength(1);
  const std::uint64_t literal =
      std::uint64_t{context.literalBits[0]} + context.literalBits[1] + context.literalBits[2];
  for (std::uint32_t i = 0; i < table.size(); ++i) {
    const SymbolEntry& e = table.entries[i];
    if (isControlValue(context, e.value)) continue;
    const bool coded = table.codeIndex[i] <= context.lastSymbol;
    bits += coded ? e.count * std::uint64_t{e.length} + literal
                  : e.count * (codeLength(2) + literal);
  }
  // The writer stores eight bytes at a time, up to seven of them beyond the end.
  return static_cast<std::size_t>(bits / 8) + 16;
}

}  // namespace

CodecStatus encodeToBytes(CodecContext& context) {
  const bool rebuilding = context.outputs == CodecOutputs::Everything;
  if (CodecStatus status = checkInput(context, rebuilding); !status) return status;
  try {
    context.progressDone = 0;
    context.progressTotal = (rebuilding ? 3 : 1) * context.cellCount();
    std::uint64_t tokenCount = 0;
    if (rebuilding) {
      tokeniseAndRebuild(context);
      tokenCount = context.tokens.size();
    } else {
      tokenCount = tokeniseBlocks(context);
    }
    context.lastToken = static_cast<std::uint32_t>(tokenCount - 1);
    assignControlSymbols(context);
    context.escapeSymbol = context.controlValue[2];
    if (CodecStatus status = checkFormatLimits(context, tokenCount); !status) return status;
    fitCountsAndBuildCodes(context.symbols);
    context.lastSymbol = context.symbols.size() - 1;
    for (unsigned c = 0; c < 3; ++c) {
      context.literalBits[c] = bitLength(context.levelCount[c] - 1);
    }
    context.literalBits[3] = 0;

    context.stream.reserve(expectedFileBytes(context));
    BitWriter out(context.stream);
    writeFileHeader(headerOf(context), out);
    writeTables(context, out);
    writeBlockTokens(context, controlEntry(context, 0), controlEntry(context, 1),
                     controlEntry(context, 2), out);
    out.finish();
    // The file's markers are the control values; the in-memory tokens keep their own markers.
    context.markerX = context.controlValue[0];
    context.markerY = context.controlValue[1];
  } catch (const std::bad_alloc&) {
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory to encode the image");
  }
  return CodecStatus::success();
}

CodecStatus encodeFile(CodecContext& context, const std::filesystem::path& path) {
  if (CodecStatus status = encodeToBytes(context); !status) return status;
  return writeFileAtomically(path, context.stream);
}

CodecStatus previewRoundTrip(CodecContext& context) {
  if (CodecStatus status = checkInput(context, true); !status) return status;
  try {
    tokeniseAndRebuild(context);
    return CodecStatus::success();
  } catch (const std::bad_alloc&) {
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory for the preview");
  }
}

}  // namespace tq1
