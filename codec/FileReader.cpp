// The decode driver: reads and checks the header, level tables and counts, rebuilds the
// codes, decodes the tokens and rebuilds the image.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

#include "BitReader.h"
#include "BlockLog.h"
#include "BlockQueue.h"
#include "CanonicalDecoder.h"
#include "Codec.h"
#include "MarkerRuns.h"
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
    runs_.build(markerCode(controlSymbols, context.markerX),
                markerCode(controlSymbols, context.markerY));
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

// Both rebuilding passes, the first decoding tokens as it goes.
CodecStatus decodeAndRebuild(CodecContext& context, BitReader& in, CanonicalDecoder& decoder,
                             const Header& header) {
  BlockLog log(context.smoothThreshold != 0, static_cast<bool>(context.progress));
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

// Decoding on two threads. The token stream is one chain of codes, each starting where the
// one before it ends, and reading it is most of decoding; where a block goes, and filling its
// cells, needs only the block's markers and colour. So this thread builds the codes and reads
// the stream into blocks, while a second one allocates the grids, places the blocks as they
// arrive and, once the whole stream has proved sound, smooths the image. Results, and
// failures, are those of the one-thread decoder.

// One queue entry: a block's colour and its marker counts (saturated: a walk rejects more
// than 16 of either), or the end of the blocks with the reason the walk can have no more.
namespace queued {
constexpr std::uint64_t kEndFlag = std::uint64_t{1} << 48;

std::uint64_t block(PackedColour colour, unsigned n, unsigned m) {
  return std::uint64_t{colour} | (std::uint64_t{std::min(n, 255u)} << 32) |
         (std::uint64_t{std::min(m, 255u)} << 40);
}

std::uint64_t end(CodecError why) {
  return kEndFlag | (std::uint64_t{static_cast<std::uint8_t>(why)} << 56);
}
}  // namespace queued

// Builds the codes, then reads every declared token, grouped into blocks as the walk groups
// them (its X markers, its Y markers, its colour). It reads to the last declared token even
// after the walk has ended, so that a file is accepted or rejected on all its tokens, unless
// the walk has failed and `abandon` says so.
class StreamParser {
 public:
  StreamParser(CodecContext& context, BitReader& in, const Header& header, BlockQueue& queue)
      : context_(context), in_(in), header_(header), queue_(queue) {}

  // Returns how building the codes went; streamFailure() then says what was wrong with the
  // stream (Ok when every declared token could be read).
  CodecStatus run() {
    CanonicalDecoder decoder;
    CodecStatus codes = buildDecoder(context_, decoder);
    if (!codes) {
      finish(codes.error());
      return codes;
    }
    BitStreamSource source(context_, in_, decoder, header_.controlIndex);
    finish(parse(source));
    return codes;
  }

  void abandon() noexcept { abandoned_.store(true, std::memory_order_relaxed); }

  [[nodiscard]] CodecError streamFailure() const noexcept { return streamFailure_; }

 private:
  // Returns why the blocks ended: MissingTokens when the declared tokens ran out, which is
  // no fault of the stream.
  CodecError parse(BitStreamSource& source) {
    const PackedColour markerX = context_.markerX;
    const PackedColour markerY = context_.markerY;
    bool queueing = true;
    while (true) {
      unsigned n = 0;
      unsigned m = 0;
      PackedColour token = 0;
      if (!source.readBlockStart(n, m, token)) return source.failure();
      while (m == 0 && token == markerX) {
        ++n;
        if (!source.next(token)) return source.failure();
      }
      while (token == markerY) {
        ++m;
        if (!source.next(token)) return source.failure();
      }
      if (queueing) {
        queueing = queue_.push(queued::block(token, n, m));
      } else if (abandoned_.load(std::memory_order_relaxed)) {
        return CodecError::Ok;
      }
    }
  }

  // Tells the walk that no more blocks come, and why.
  void finish(CodecError why) {
    streamFailure_ = why == CodecError::MissingTokens ? CodecError::Ok : why;
    queue_.push(queued::end(why));
    queue_.flush();
  }

  CodecContext& context_;
  BitReader& in_;
  const Header& header_;
  BlockQueue& queue_;
  std::atomic<bool> abandoned_{false};
  CodecError streamFailure_ = CodecError::Ok;
};

// The walk's source of tokens: whole blocks from the reading thread.
class QueuedBlocks {
 public:
  explicit QueuedBlocks(BlockQueue& queue) : queue_(queue) {}

  bool readBlockStart(unsigned& n, unsigned& m, PackedColour& token) {
    const std::uint64_t entry = queue_.pop();
    if ((entry & queued::kEndFlag) != 0) {
      failure_ = static_cast<CodecError>(entry >> 56);
      return false;
    }
    token = static_cast<PackedColour>(entry);
    n = static_cast<unsigned>(entry >> 32) & 0xFF;
    m = static_cast<unsigned>(entry >> 40) & 0xFF;
    tokensUsed_ += std::size_t{n} + m + 1;
    return true;
  }

  // Every entry is a whole block, and a block's colour is never a marker the walk would read
  // on from, so the walk never asks for a single token.
  bool next(PackedColour& /*token*/) {
    failure_ = CodecError::MissingTokens;
    return false;
  }

  [[nodiscard]] CodecError failure() const noexcept { return failure_; }
  [[nodiscard]] std::size_t tokensUsed() const noexcept { return tokensUsed_; }

 private:
  BlockQueue& queue_;
  CodecError failure_ = CodecError::Ok;
  std::size_t tokensUsed_ = 0;
};

// The second thread's work: the grids, the first rebuilding pass over the queued blocks, and,
// once the whole stream has proved sound, the smoothing, while the cells are still in this
// processor's cache. It is kept on the heap, away from the reading thread's stack: its block
// log grows with every block.
class alignas(128) BlockPlacer {
 public:
  BlockPlacer(CodecContext& context, BlockQueue& queue, StreamParser& parser)
      : context_(context), queue_(queue), parser_(parser),
        log_(context.smoothThreshold != 0, static_cast<bool>(context.progress)) {}

  void run() noexcept {
    try {
      grids_ = allocateGrids(context_);
      if (grids_) {
        QueuedBlocks blocks(queue_);
        RebuildWalk<QueuedBlocks> first(context_, blocks, log_);
        walked_ = first.run();
        walkFailure_ = first.failure();
        tokensUsed_ = blocks.tokensUsed();
      }
      if (walked_) {
        if (streamSound()) log_.smoothInOrder(context_, 1);
        return;
      }
    } catch (const std::bad_alloc&) {
      grids_ = CodecStatus::failure(CodecError::OutOfMemory, "not enough memory for the image");
    } catch (...) {
      // Thrown by the progress callback: it reaches the caller from the calling thread.
      thrown_ = std::current_exception();
    }
    // The image is lost: the rest of the stream need not be read.
    parser_.abandon();
    queue_.stopConsuming();
  }

  [[nodiscard]] const std::exception_ptr& thrown() const noexcept { return thrown_; }
  [[nodiscard]] const CodecStatus& grids() const noexcept { return grids_; }
  [[nodiscard]] bool walked() const noexcept { return walked_; }
  [[nodiscard]] CodecError walkFailure() const noexcept { return walkFailure_; }
  [[nodiscard]] std::size_t tokensUsed() const noexcept { return tokensUsed_; }

 private:
  // Takes the blocks the walk did not need, up to the end of the stream: whether it ended
  // cleanly, at the last declared token, decides whether the file is good.
  bool streamSound() {
    std::uint64_t entry = 0;
    do {
      entry = queue_.pop();
    } while ((entry & queued::kEndFlag) == 0);
    return static_cast<CodecError>(entry >> 56) == CodecError::MissingTokens;
  }

  CodecContext& context_;
  BlockQueue& queue_;
  StreamParser& parser_;
  BlockLog log_;
  std::exception_ptr thrown_;
  CodecStatus grids_;
  bool walked_ = false;
  CodecError walkFailure_ = CodecError::Ok;
  std::size_t tokensUsed_ = 0;
};

// The placing thread, started on a processor other than this one's where there is one: started
// beside its creator, a new thread can hold the creator up for a millisecond. Joined however
// the creator leaves; should it leave early (an exception while reading), the placer is first
// told that no more blocks come.
class PlacerThread {
 public:
  // Throws std::system_error when no thread can be started.
  PlacerThread(BlockPlacer& placer, BlockQueue& queue) : queue_(queue) {
#if defined(__linux__)
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
      throw std::system_error(ENOMEM, std::generic_category());
    }
    cpu_set_t others;
    if (sched_getaffinity(0, sizeof others, &others) == 0) {
      const int here = sched_getcpu();
      if (here >= 0) CPU_CLR(here, &others);
      if (CPU_COUNT(&others) > 0) pthread_attr_setaffinity_np(&attributes, sizeof others, &others);
    }
    const int started = pthread_create(&thread_, &attributes, &PlacerThread::start, &placer);
    pthread_attr_destroy(&attributes);
    if (started != 0) throw std::system_error(started, std::generic_category());
#else
    thread_ = std::thread([&placer] { placer.run(); });
#endif
    running_ = true;
  }
  ~PlacerThread() {
    if (!running_) return;
    queue_.push(queued::end(CodecError::OutOfMemory));
    queue_.flush();
    join();
  }
  PlacerThread(const PlacerThread&) = delete;
  PlacerThread& operator=(const PlacerThread&) = delete;

  void join() {
    if (!running_) return;
#if defined(__linux__)
    pthread_join(thread_, nullptr);
#else
    thread_.join();
#endif
    running_ = false;
  }

 private:
#if defined(__linux__)
  static void* start(void* placer) {
    static_cast<BlockPlacer*>(placer)->run();
    return nullptr;
  }
  pthread_t thread_{};
#else
  std::thread thread_;
#endif
  BlockQueue& queue_;
  bool running_ = false;
};

// Returns nothing when no second thread could be started, for the caller to decode on one.
std::optional<CodecStatus> decodeOnTwoThreads(CodecContext& context, BitReader& in,
                                              const Header& header) {
  BlockQueue queue;
  StreamParser parser(context, in, header, queue);
  auto placer = std::make_unique<BlockPlacer>(context, queue, parser);
  std::optional<PlacerThread> placing;
  try {
    placing.emplace(*placer, queue);
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  const CodecStatus codes = parser.run();
  placing->join();
  if (placer->thrown()) std::rethrow_exception(placer->thrown());
  if (!codes) return codes;
  if (!placer->grids()) return placer->grids();
  if (!placer->walked()) return rebuildFailure(placer->walkFailure());
  if (parser.streamFailure() != CodecError::Ok) return rebuildFailure(parser.streamFailure());
  context.cursor = placer->tokensUsed();
  return CodecStatus::success();
}

// The processors this process may run on: a process confined to one gains nothing from a
// second thread.
unsigned usableProcessors() {
#if defined(__linux__)
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    return static_cast<unsigned>(CPU_COUNT(&allowed));
  }
#endif
  return std::thread::hardware_concurrency();
}

// A second thread pays for itself from some thousands of tokens on, where there is a second
// processor. The tokens, for those who keep them, are kept by one thread in order.
bool worthTwoThreads(const CodecContext& context) {
  constexpr std::uint32_t kMinTokens = 1u << 14;
  if (context.outputs != CodecOutputs::ResultOnly) return false;
  switch (context.decodeThreads) {
    case DecodeThreads::One:
      return false;
    case DecodeThreads::Two:
      return true;
    case DecodeThreads::Auto:
      break;
  }
  return context.lastToken >= kMinTokens && usableProcessors() > 1;
}

}  // namespace

CodecStatus decodeBytes(CodecContext& context, std::span<const std::uint8_t> bytes) {
  try {
    context.progressDone = 0;
    BitReader in(bytes);
    Header header;
    if (CodecStatus s = readHeader(context, in, header); !s) return s;
    if (CodecStatus s = checkDeclaredSizes(context, in, header); !s) return s;
    if (CodecStatus s = checkImageExtents(context); !s) return s;
    context.progressTotal = 2 * context.cellCount();
    if (CodecStatus s = readTablesAndCounts(context, in, header); !s) return s;
    if (worthTwoThreads(context)) {
      if (std::optional<CodecStatus> s = decodeOnTwoThreads(context, in, header)) return *s;
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
  std::vector<std::uint8_t> bytes;
  if (CodecStatus status = readWholeFile(path, bytes); !status) return status;
  context.stream = std::move(bytes);
  return decodeBytes(context, context.stream);
}

}  // namespace tq1
