// Reading the token stream of a .tq1 file, token by token or a block's start at once, with the
// codes rebuilt from the stored counts. Used by the decode driver on one thread and by the
// reading side of a decode on two.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "BitReader.h"
#include "CanonicalDecoder.h"
#include "CodecContext.h"
#include "MarkerRuns.h"
#include "PackedColour.h"

namespace tq1 {

// Rebuilds the codes from the counts read into the context's symbol table, and prepares
// `decoder` for them; fails on counts that form no complete code of lengths 1 to 32.
CodecStatus buildDecoder(CodecContext& context, CanonicalDecoder& decoder);

// Decodes tokens from the bit stream as the rebuilding walk asks for them, keeping them in
// `tokens` when all outputs are wanted. Tokens the walk does not need are decoded afterwards
// all the same, so that a file is accepted or rejected on all the tokens it declares.
class BitStreamSource {
 public:
  BitStreamSource(CodecContext& context, BitReader& in, CanonicalDecoder& decoder,
                  std::span<const std::uint32_t> controlSymbols)
      : context_(context), in_(in), decoder_(decoder),
        declared_(std::size_t{context.lastToken} + 1),
        keepTokens_(context.outputs == CodecOutputs::Everything),
        markerX_(context.markerX), markerY_(context.markerY), escape_(context.escapeSymbol),
        literalBits_(context.literalBits), levelCount_(context.levelCount) {
    context_.tokens.clear();
    if (keepTokens_) context_.tokens.assign(declared_, EmptyCell);
    // A symbol holding the escape value is an escape whatever else its value equals, so
    // markers can be read by their codes alone only when the escape differs from both.
    if (escape_ != markerX_ && escape_ != markerY_) {
      runs_.build(markerCode(controlSymbols, context.markerX),
                  markerCode(controlSymbols, context.markerY));
    }
    prepareLiterals();
  }

  // The markers that start a block, as far as one lookup reads them, and the token after
  // them, from one look at the stream where it holds both (away from the end of the data and
  // of the declared tokens, where each token is checked on its own). The walk reads on token by
  // token from there.
  [[gnu::always_inline]] bool readBlockStart(unsigned& n, unsigned& m, PackedColour& token) {
    std::size_t& t = cursor_;
    if (!runs_.used() || in_.bitsLeft() < 64 || t + kMaxRun >= declared_) return next(token);
    const std::uint64_t window = in_.peek57();
    const MarkerRuns::Run run = runs_.runAt(static_cast<std::uint32_t>(window >> 32));
    // An empty run goes through unbranched: a third of the blocks have no markers, in no
    // pattern.
    if (keepTokens_) {
      auto at = context_.tokens.begin() + static_cast<std::ptrdiff_t>(t);
      at = std::fill_n(at, run.xMarkers, markerX_);
      std::fill_n(at, run.yMarkers, markerY_);
    }
    t += run.xMarkers + run.yMarkers;
    n = run.xMarkers;
    m = run.yMarkers;
    const std::uint64_t rest = window << run.bits;
    const CanonicalDecoder::Code code = decoder_.codeAt(static_cast<std::uint32_t>(rest >> 32));
    if (run.bits + code.length + literalLength_ > kWindowBits) [[unlikely]] {
      in_.skip(run.bits);
      return next(token);
    }
    return tokenAt(rest, run.bits, code, token);
  }

  // The symbols' values as decoding left them, as the sequential reading of the table
  // would leave them, for those who look at more than the result.
  ~BitStreamSource() {
    if (keepTokens_) decoder_.copyValuesTo(context_.symbols);
  }

  // Reads one token. The literal colour that would follow the code is taken from the same
  // window whether or not the symbol is new, so that the common cases, a known colour and a
  // colour seen for the first time, need no branch on which they are.
  [[gnu::always_inline]] bool next(PackedColour& token) {
    if (cursor_ >= declared_) return fail(CodecError::MissingTokens);
    const std::uint64_t window = in_.peek57();
    const CanonicalDecoder::Code code = decoder_.codeAt(static_cast<std::uint32_t>(window >> 32));
    return tokenAt(window, 0, code, token);
  }

  // Reads the tokens after those the walk used, then leaves the context's cursor behind the
  // last one the walk used.
  bool readRest() {
    const std::size_t used = cursor_;
    PackedColour token = 0;
    while (cursor_ < declared_) {
      if (!next(token)) return false;
    }
    context_.cursor = used;
    return true;
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }

 private:
  static constexpr unsigned kWindowBits = 57;  // what one look at the stream shows
  static constexpr std::size_t kMaxRun = 2 * MarkerRuns::kWindowBits;  // tokens one look reads

  // The code of the one control symbol that stands for a marker, if exactly one does: while
  // the codes are prepared, the other symbols are not yet known.
  std::optional<CanonicalDecoder::Word> markerCode(std::span<const std::uint32_t> controlSymbols,
                                                   PackedColour marker) const {
    const std::optional<std::uint32_t> symbol =
        onlySymbolWithValue(context_.symbols, controlSymbols, marker);
    return symbol ? decoder_.wordOf(*symbol) : std::nullopt;
  }

  // The token whose code, `code`, starts `window`, which begins `before` bits ahead of the
  // stream's cursor and holds the code and a literal after it.
  [[gnu::always_inline]] bool tokenAt(std::uint64_t window, unsigned before,
                                      CanonicalDecoder::Code code, PackedColour& token) {
    std::size_t& t = cursor_;
    const PackedColour value = decoder_.value(code.slot);
    bool levelsValid = true;
    const PackedColour literal = literalAt(window << code.length, levelsValid);
    const bool isNew = value == EmptyCell;
    const bool unusual = (value == escape_) | (isNew & (!levelsValid | (literal == escape_)));
    if (unusual) [[unlikely]] {
      in_.skip(before + code.length);
      if (!resolve(code.slot, token)) return fail(CodecError::InvalidLevelIndex);
    } else {
      // Masks rather than a branch: whether a symbol is new follows no pattern.
      const std::uint32_t newMask = 0u - static_cast<std::uint32_t>(isNew);
      token = (literal & newMask) | (value & ~newMask);
      decoder_.setValue(code.slot, token);
      in_.skip(before + code.length + (literalLength_ & newMask));
    }
    if (in_.overrun()) return fail(CodecError::Truncated);
    if (keepTokens_) context_.tokens[t] = token;
    ++t;
    return true;
  }

  // The value of a symbol that is new or the escape symbol, read after its code: a symbol
  // seen for the first time takes the literal colour that follows its code, and the escape
  // symbol stands for the literal that follows it, each time.
  bool resolve(std::uint32_t slot, PackedColour& token) {
    token = decoder_.value(slot);
    if (token == EmptyCell) {
      if (!readLiteral(token)) return false;
      decoder_.setValue(slot, token);
    }
    return token != escape_ || readLiteral(token);
  }

  bool readLiteral(PackedColour& colour) {
    bool valid = true;
    colour = literalAt(in_.peek57(), valid);
    in_.skip(literalLength_);
    return valid;
  }

  // The literal colour whose level indices start `bits` (first bit on top): one level index
  // per channel, mapped to its value. `valid` turns false when an index names a level the
  // channel does not have.
  PackedColour literalAt(std::uint64_t bits, bool& valid) const noexcept {
    PackedColour colour = fourthChannel_;
    for (unsigned c = 0; c < 3; ++c) {
      const unsigned width = literalBits_[c];
      // Two shifts, so that a field of no bits reads 0.
      const auto level = static_cast<std::uint32_t>((bits >> 1) >> (63 - width));
      valid &= level < levelCount_[c];
      colour |= literalChannels_[c][level];
      bits <<= width;
    }
    return colour;
  }

  void prepareLiterals() {
    literalLength_ = 0;
    for (unsigned c = 0; c < 3; ++c) {
      literalLength_ += context_.literalBits[c];
      for (unsigned level = 0; level < 256; ++level) {
        literalChannels_[c][level] = PackedColour{context_.channelMap[c][level]} << (8 * c);
      }
    }
    fourthChannel_ = PackedColour{context_.channelMap[3][0]} << 24;
  }

  bool fail(CodecError error) {
    failure_ = error;
    return false;
  }

  CodecContext& context_;
  BitReader& in_;
  CanonicalDecoder& decoder_;
  MarkerRuns runs_;
  std::array<std::array<PackedColour, 256>, 3> literalChannels_{};  // channel values in place
  PackedColour fourthChannel_ = 0;
  unsigned literalLength_ = 0;  // bits of a literal colour
  std::size_t declared_;  // tokens the header declares
  bool keepTokens_;
  // What each token needs of the context, kept here, next to the reader's own state.
  std::size_t cursor_ = 0;  // tokens read
  PackedColour markerX_;
  PackedColour markerY_;
  PackedColour escape_;
  std::array<std::uint8_t, 4> literalBits_;
  std::array<std::uint32_t, 4> levelCount_;
  CodecError failure_ = CodecError::Ok;
};

}  // namespace tq1
