// The decode driver: reads and checks the header, level tables and counts, rebuilds the
// codes, decodes the tokens and rebuilds the image.
#include <string>

#include "BitReader.h"
#include "BlockDecoder.h"
#include "CanonicalDecoder.h"
#include "Codec.h"

namespace tq1 {

namespace {

CodecStatus truncated(const std::string& what) {
  return CodecStatus::failure(CodecError::Truncated, "the data ends inside " + what);
}

struct Header {
  std::array<std::uint32_t, 3> controlIndex{};
};

CodecStatus readHeader(CodecContext& context, BitReader& in, Header& header) {
  if (in.totalBits() < kHeaderBits) return truncated("the header");
  in.skip(32);  // magic and format bytes are not checked
  context.maxX = in.readBits(kSideBits);
  context.maxY = in.readBits(kSideBits);
  context.tolerance = static_cast<std::uint8_t>(in.readBits(8));
  context.smoothThreshold = static_cast<std::uint8_t>(in.readBits(8));
  for (unsigned c = 0; c < 4; ++c) context.levelCount[c] = in.readBits(8) + 1;
  for (unsigned c = 0; c < 3; ++c) {
    context.literalBits[c] = bitLength(context.levelCount[c] - 1);
  }
  context.literalBits[3] = 0;
  context.lastSymbol = in.readBits(kSymbolCountBits);
  context.lastToken = in.readBits(kTokenCountBits);
  for (unsigned k = 0; k < 3; ++k) {
    context.controlValue[k] = in.readBits(kControlValueBits);
    header.controlIndex[k] = in.readBits(kControlIndexBits);
  }
  return CodecStatus::success();
}

// Everything the header declares must fit in the data, each token taking at least one bit;
// this also bounds every allocation by the size of the input.
CodecStatus checkDeclaredSizes(const CodecContext& context, const BitReader& in,
                               const Header& header) {
  std::uint64_t needed = kHeaderBits;
  for (unsigned c = 0; c < 4; ++c) needed += 8 * std::uint64_t{context.levelCount[c]};
  needed += kCountBits * (std::uint64_t{context.lastSymbol} + 1);
  needed += std::uint64_t{context.lastToken} + 1;
  if (needed > in.totalBits()) return truncated("the tables or tokens it declares");
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

CodecStatus readTablesAndCounts(CodecContext& context, BitReader& in, const Header& header) {
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

CodecStatus buildDecoder(CodecContext& context, CanonicalDecoder& decoder) {
  const std::uint64_t n = std::uint64_t{context.lastSymbol} + 1;
  const std::uint64_t sortBudget = 64 * n * (bitLength(static_cast<std::uint32_t>(n)) + 1) + 4096;
  if (!context.symbols.buildCodes(context.lastSymbol, sortBudget)) {
    return CodecStatus::failure(CodecError::TooComplex, "the symbol counts are too irregular");
  }
  if (context.symbols.maxCodeLength() > kMaxCodeLength || !decoder.build(context.symbols, context.lastSymbol)) {
    return CodecStatus::failure(CodecError::InvalidCodeCounts,
                                "the symbol counts give codes longer than 32 bits");
  }
  return CodecStatus::success();
}

class TokenReader {
 public:
  TokenReader(CodecContext& context, BitReader& in) : context_(context), in_(in) {}

  // A literal colour: one level index per channel, mapped to its value.
  bool readLiteral(PackedColour& colour) {
    Channels channels{};
    for (unsigned c = 0; c < 3; ++c) {
      const std::uint32_t level = in_.readBits(context_.literalBits[c]);
      if (level >= context_.levelCount[c]) return false;
      channels[c] = context_.channelMap[c][level];
    }
    channels[3] = context_.channelMap[3][0];
    colour = packColour(channels);
    return true;
  }

  CodecStatus readAll(const CanonicalDecoder& decoder) {
    auto& tokens = context_.tokens;
    tokens.assign(std::size_t{context_.lastToken} + 1, EmptyCell);
    auto& entries = context_.symbols.entries;
    // Symbol values in a compact array: every token looks one up, in no particular order.
    std::vector<PackedColour> values(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) values[i] = entries[i].value;
    CodecStatus status = CodecStatus::success();
    for (std::uint32_t t = 0; t <= context_.lastToken; ++t) {
      const std::uint32_t symbol = decoder.decodeSymbol(in_);
      PackedColour token = values[symbol];
      if (token == EmptyCell) {
        if (!readLiteral(values[symbol])) {
          status = badLevel();
          break;
        }
        token = values[symbol];
      }
      if (token == context_.escapeSymbol && !readLiteral(token)) {
        status = badLevel();
        break;
      }
      tokens[t] = token;
      if ((t & 0xFFF) == 0 && in_.overrun()) break;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].value = values[i];
    if (!status) return status;
    if (in_.overrun()) return truncated("the token stream");
    return CodecStatus::success();
  }

 private:
  static CodecStatus badLevel() {
    return CodecStatus::failure(CodecError::InvalidLevelIndex,
                                "a literal colour names a level the channel does not have");
  }

  CodecContext& context_;
  BitReader& in_;
};

}  // namespace

CodecStatus decodeBytes(CodecContext& context, std::span<const std::uint8_t> bytes) {
  try {
    context.progressDone = 0;
    BitReader in(bytes);
    Header header;
    if (CodecStatus s = readHeader(context, in, header); !s) return s;
    if (CodecStatus s = checkDeclaredSizes(context, in, header); !s) return s;
    if (CodecStatus s = allocateGrids(context); !s) return s;
    context.progressTotal = 2 * context.cellCount();
    if (CodecStatus s = readTablesAndCounts(context, in, header); !s) return s;
    CanonicalDecoder decoder;
    if (CodecStatus s = buildDecoder(context, decoder); !s) return s;
    TokenReader reader(context, in);
    if (CodecStatus s = reader.readAll(decoder); !s) return s;
    return rebuildImage(context);
  } catch (const std::bad_alloc&) {
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory to decode the image");
  }
}

CodecStatus decodeFile(CodecContext& context, const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  if (CodecStatus status = readWholeFile(path, bytes); !status) return status;
  context.stream = std::move(bytes);
  return decodeBytes(context, context.stream);
}

}  // namespace tq1
