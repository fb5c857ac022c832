// Writing the blocks' tokens, on one thread or, for long streams, in two halves on two.
#include "TokenWriting.h"

#include <algorithm>
#include <array>

#include "EncoderThreads.h"
#include "TwoHalves.h"

namespace tq1 {

namespace {

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
  std::uint32_t firstBlock;  // the colour's first block, which brings the literal
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
                      static_cast<std::uint8_t>(literal.length),
                      context.colourFirstBlock[byRank.size()]});
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

// What every block's tokens are made of, shared read-only by both halves.
struct TokenCodes {
  std::vector<SymbolCode> byRank;
  MarkerFields markers;
  const SymbolEntry& escape;
};

// The tokens of blocks first ... end - 1.
void writeBlocks(const CodecContext& context, const TokenCodes& codes, std::size_t first,
                 std::size_t end, BitWriter& out) {
  constexpr std::size_t kLookAhead = 32;
  const std::uint32_t* rank = context.blockColourRank.data();
  for (std::size_t block = first; block < end; ++block) {
    // Colours come in no order, and their table is larger than the nearest caches: the entry
    // of a block some way ahead is asked for now, so that it is there when its turn comes.
    if (block + kLookAhead < end) __builtin_prefetch(&codes.byRank[rank[block + kLookAhead]]);
    const std::uint16_t shape = context.blockShapes[block];
    codes.markers.write(out, shape & 0xFFu, shape >> 8);
    const SymbolCode& symbol = codes.byRank[rank[block]];
    if (symbol.length == 0) [[unlikely]] {
      out.writeBits(codes.escape.code, codes.escape.length);
      out.writeBits(symbol.literal, symbol.literalLength);
      continue;
    }
    // The literal goes with the colour's first block only.
    const std::uint32_t withLiteral = symbol.firstBlock == block ? 1u : 0u;
    const unsigned literalLength = symbol.literalLength & (0u - withLiteral);
    out.writeBits((std::uint64_t{symbol.code} << literalLength) | (symbol.literal & (0u - withLiteral)),
                  symbol.length + literalLength);
  }
}

// From about this many blocks on, a second thread writing half of them pays for itself.
constexpr std::uint64_t kTwoThreadBlocks = std::uint64_t{1} << 18;

}  // namespace

bool isControlValue(const CodecContext& context, PackedColour value) {
  return std::find(context.controlValue.begin(), context.controlValue.end(), value) !=
         context.controlValue.end();
}

void writeBlockTokens(const CodecContext& context, const SymbolEntry& markerX,
                      const SymbolEntry& markerY, const SymbolEntry& escape, BitWriter& out) {
  const TokenCodes codes{codesByColourRank(context), MarkerFields(markerX, markerY), escape};
  const std::size_t blocks = context.blockShapes.size();
  if (!encodeOnTwoThreads(context, blocks, kTwoThreadBlocks) || blocks < 2) {
    writeBlocks(context, codes, 0, blocks, out);
    return;
  }
  const std::size_t half = blocks / 2;
  std::vector<std::uint8_t> secondBytes;
  std::uint64_t secondBits = 0;
  runBothHalves(
      true, [&] { writeBlocks(context, codes, 0, half, out); },
      [&] {
        // About as many bytes as the first half takes: reserved so that the writer never
        // grows it.
        secondBytes.reserve(context.stream.capacity() / 2 + 4096);
        BitWriter second(secondBytes);
        writeBlocks(context, codes, half, blocks, second);
        secondBits = second.bitCursor();
        second.finish();
      });
  appendBits(secondBytes, secondBits, out);
}

void appendBits(const std::vector<std::uint8_t>& bytes, std::uint64_t bitCount, BitWriter& out) {
  constexpr unsigned kChunkBytes = 6;  // 48 bits, within the widest field the writer takes
  const std::size_t whole = static_cast<std::size_t>(bitCount / 8);
  std::size_t at = 0;
  for (; at + kChunkBytes <= whole; at += kChunkBytes) {
    std::uint64_t chunk = 0;
    for (unsigned k = 0; k < kChunkBytes; ++k) chunk = (chunk << 8) | bytes[at + k];
    out.writeBits(chunk, 8 * kChunkBytes);
  }
  for (; at < whole; ++at) out.writeBits(bytes[at], 8);
  const auto rest = static_cast<unsigned>(bitCount % 8);
  if (rest > 0) out.writeBits(bytes[at] >> (8 - rest), rest);
}

}  // namespace tq1
