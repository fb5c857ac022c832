// The encode driver: tokenise, rebuild the shown image, choose the control symbols and the
// codes, and write header, level tables, counts and coded tokens.
#include <algorithm>
#include <array>
#include <string>

#include "BitWriter.h"
#include "BlockEncoder.h"
#include "Codec.h"
#include "FileHeader.h"

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

[[nodiscard]] bool isControlValue(const CodecContext& context, PackedColour value) {
  return std::find(context.controlValue.begin(), context.controlValue.end(), value) !=
         context.controlValue.end();
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

// A field of up to BitWriter::kMaxField bits, as it goes into the stream.
struct BitField {
  std::uint64_t bits = 0;
  unsigned length = 0;
};

// A literal colour: one level index per channel.
BitField literalOf(const CodecContext& context, PackedColour colour) {
  BitField field;
  for (unsigned c = 0; c < 3; ++c) {
    field.bits = (field.bits << context.literalBits[c]) | context.channelMap[c][channelOf(colour, c)];
    field.length += context.literalBits[c];
  }
  return field;
}

// What a block needs of its colour's symbol, in one compact array: blocks look symbols up in no
// particular order, and one cache line then serves the code, its literal and the mark.
struct SymbolCode {
  std::uint32_t code;
  std::uint32_t literal;
  std::uint8_t length;  // 0: no code of its own, sent through the escape symbol
  std::uint8_t literalLength;
  std::uint8_t literalSent;
};

// The code and literal of each block colour, by its rank among the colours: the colour's
// symbol index is its rank plus the control values below it (the control symbols were
// inserted among the colours by value).
std::vector<SymbolCode> codesByColourRank(const CodecContext& context) {
  const SymbolTable& table = context.symbols;
  std::vector<SymbolCode> byRank;
  byRank.reserve(table.size());
  for (std::uint32_t i = 0; i < table.size(); ++i) {
    const SymbolEntry& e = table.entries[i];
    if (isControlValue(context, e.value)) continue;
    const bool coded = table.codeIndex[i] <= context.lastSymbol;
    const BitField literal = literalOf(context, e.value);
    byRank.push_back({e.code, static_cast<std::uint32_t>(literal.bits),
                      coded ? e.length : std::uint8_t{0},
                      static_cast<std::uint8_t>(literal.length), 0});
  }
  return byRank;
}

// The markers that start a block of each shape, x-markers then y-markers, as single fields
// where they fit one (a length above the widest field marks those written code by code).
class MarkerFields {
 public:
  MarkerFields(const SymbolEntry& markerX, const SymbolEntry& markerY)
      : markerX_(markerX), markerY_(markerY) {
    for (unsigned n = 0; n <= 16; ++n) {
      for (unsigned m = 0; m <= 16; ++m) {
        BitField& field = fields_[n][m];
        for (unsigned k = 0; k < n + m; ++k) {
          const SymbolEntry& marker = k < n ? markerX : markerY;
          if (field.length + marker.length > BitWriter::kMaxField) {
            field.length = BitWriter::kMaxField + 1;
            break;
          }
          field.bits = (field.bits << marker.length) | marker.code;
          field.length += marker.length;
        }
      }
    }
  }

  void write(BitWriter& out, unsigned n, unsigned m) const {
    const BitField& field = fields_[n][m];
    if (field.length <= BitWriter::kMaxField) [[likely]] {
      out.writeBits(field.bits, field.length);
      return;
    }
    for (unsigned k = 0; k < n; ++k) out.writeBits(markerX_.code, markerX_.length);
    for (unsigned k = 0; k < m; ++k) out.writeBits(markerY_.code, markerY_.length);
  }

 private:
  const SymbolEntry& markerX_;
  const SymbolEntry& markerY_;
  std::array<std::array<BitField, 17>, 17> fields_{};
};

// Each block: its x-doubling markers, its y-doubling markers, its colour's code, and the
// colour's literal after the first code of that colour (or after the escape symbol). A code
// of at most 32 bits and a literal of at most 24 go out as one field.
void writeTokens(CodecContext& context, BitWriter& out) {
  constexpr std::size_t kLookAhead = 32;
  std::vector<SymbolCode> byRank = codesByColourRank(context);
  const MarkerFields markers(controlEntry(context, 0), controlEntry(context, 1));
  const SymbolEntry& escape = controlEntry(context, 2);
  const std::size_t blocks = context.blockShapes.size();
  for (std::size_t block = 0; block < blocks; ++block) {
    // Colours come in no order, and their table is larger than the nearest caches: the entry
    // of a block some way ahead is asked for now, so that it is there when its turn comes.
    if (block + kLookAhead < blocks) {
      __builtin_prefetch(&byRank[context.blockColourRank[block + kLookAhead]], 1);
    }
    const std::uint16_t shape = context.blockShapes[block];
    markers.write(out, shape & 0xFFu, shape >> 8);
    SymbolCode& symbol = byRank[context.blockColourRank[block]];
    if (symbol.length == 0) [[unlikely]] {
      out.writeBits(escape.code, escape.length);
      out.writeBits(symbol.literal, symbol.literalLength);
      continue;
    }
    // The literal goes with the first code only.
    const std::uint32_t first = symbol.literalSent ^ 1u;
    const unsigned literalLength = symbol.literalLength & (0u - first);
    out.writeBits((std::uint64_t{symbol.code} << literalLength) | (symbol.literal & (0u - first)),
                  symbol.length + literalLength);
    symbol.literalSent = 1;
  }
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
    writeTokens(context, out);
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
