// The decode driver: reads and checks the header, level tables and counts, rebuilds the
// codes, decodes the tokens and rebuilds the image.
#include <string>

#include "BitReader.h"
#include "BlockLog.h"
#include "CanonicalDecoder.h"
#include "Codec.h"
#include "RebuildWalk.h"

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

// Decodes tokens from the bit stream as the rebuilding walk asks for them, keeping them in
// `tokens` when all outputs are wanted. Tokens the walk does not need are decoded afterwards
// all the same, so that a file is accepted or rejected on all the tokens it declares.
class BitStreamSource {
 public:
  BitStreamSource(CodecContext& context, BitReader& in, const CanonicalDecoder& decoder)
      : context_(context), in_(in), decoder_(decoder),
        declared_(std::size_t{context.lastToken} + 1),
        keepTokens_(context.outputs == CodecOutputs::Everything) {
    context_.tokens.clear();
    if (keepTokens_) context_.tokens.assign(declared_, EmptyCell);
    // Symbol values in a compact array: every token looks one up, in no particular order.
    const auto& entries = context_.symbols.entries;
    values_.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) values_[i] = entries[i].value;
  }

  ~BitStreamSource() {
    auto& entries = context_.symbols.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].value = values_[i];
  }

  bool next(PackedColour& token) {
    std::size_t& t = context_.cursor;
    if (t >= declared_) return fail(CodecError::MissingTokens);
    const std::uint32_t symbol = decoder_.decodeSymbol(in_);
    token = values_[symbol];
    if (token == EmptyCell) {
      if (!readLiteral(values_[symbol])) return fail(CodecError::InvalidLevelIndex);
      token = values_[symbol];
    }
    if (token == context_.escapeSymbol && !readLiteral(token)) {
      return fail(CodecError::InvalidLevelIndex);
    }
    if (in_.overrun()) return fail(CodecError::Truncated);
    if (keepTokens_) context_.tokens[t] = token;
    ++t;
    return true;
  }

  // Reads the tokens after those the walk used, then restores the cursor behind the last one
  // the walk used.
  bool readRest() {
    const std::size_t used = context_.cursor;
    PackedColour token = 0;
    while (context_.cursor < declared_) {
      if (!next(token)) return false;
    }
    context_.cursor = used;
    return true;
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }

 private:
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

  bool fail(CodecError error) {
    failure_ = error;
    return false;
  }

  CodecContext& context_;
  BitReader& in_;
  const CanonicalDecoder& decoder_;
  std::size_t declared_;  // tokens the header declares
  bool keepTokens_;
  std::vector<PackedColour> values_;
  CodecError failure_ = CodecError::Ok;
};

// Both rebuilding passes, the first decoding tokens as it goes.
CodecStatus decodeAndRebuild(CodecContext& context, BitReader& in,
                             const CanonicalDecoder& decoder) {
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
  context.pixels.fill(EmptyCell);
  context.cursor = 0;
  BitStreamSource source(context, in, decoder);
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
    Header header;
    if (CodecStatus s = readHeader(context, in, header); !s) return s;
    if (CodecStatus s = checkDeclaredSizes(context, in, header); !s) return s;
    if (CodecStatus s = allocateGrids(context); !s) return s;
    context.progressTotal = 2 * context.cellCount();
    if (CodecStatus s = readTablesAndCounts(context, in, header); !s) return s;
    CanonicalDecoder decoder;
    if (CodecStatus s = buildDecoder(context, decoder); !s) return s;
    return decodeAndRebuild(context, in, decoder);
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
