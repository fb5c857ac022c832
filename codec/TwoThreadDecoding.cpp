// Decoding on two threads.
#include "TwoThreadDecoding.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>
#include <memory>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

#include "BitStreamSource.h"
#include "BlockLog.h"
#include "BlockQueue.h"
#include "RebuildWalk.h"

namespace tq1 {

namespace {

// The token stream is one chain of codes, each starting where the one before it ends, and
// reading it is most of decoding; where a block goes, and filling its cells, needs only the
// block's markers and colour. So a second thread reads the stream into blocks, while this
// thread builds the codes for it, allocates the grids, places the blocks as they arrive and,
// once the whole stream has proved sound, smooths the image. The grid is then in this
// thread's cache when the caller turns it into a bitmap: data one processor has just written
// is slow to read from another, and the grid is the largest thing a decode writes. Results,
// and failures, are those of the one-thread decoder.

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

// A failure of the walk or of the stream, as the one-thread decoder reports it; the reading
// thread ends the blocks with OutOfMemory when it had no memory, or no codes, to read with.
CodecStatus decodeFailure(CodecError error) {
  if (error == CodecError::OutOfMemory) {
    return CodecStatus::failure(error, "not enough memory to decode the image");
  }
  return rebuildFailure(error);
}

// Reads every declared token, grouped into blocks as the walk groups them (its X markers, its
// Y markers, its colour), once the calling thread has built the codes. It reads to the last
// declared token even after the walk has ended, so that a file is accepted or rejected on all
// its tokens, unless the walk has failed and `abandon` says so. Runs on the second thread,
// with a reader of its own: kept on the heap, apart from the calling thread's stack, whose
// lines that thread writes with every block.
class alignas(128) StreamParser {
 public:
  StreamParser(CodecContext& context, const BitReader& in,
               std::span<const std::uint32_t> controlSymbols, BlockQueue& queue)
      : context_(context), in_(in), controlSymbols_(controlSymbols), queue_(queue) {}

  // Calling thread: builds the codes and lets the reading start; returns how that went. Once
  // it has failed, or the caller gives up, the reading thread ends without reading.
  CodecStatus buildCodes() {
    try {
      codes_ = buildDecoder(context_, decoder_);
    } catch (const std::bad_alloc&) {
      codes_ = CodecStatus::failure(CodecError::OutOfMemory, "not enough memory for the codes");
    }
    announce(codes_ ? kCodesBuilt : kNoCodes);
    return codes_;
  }

  // Calling thread: no codes will come (it is leaving early).
  void giveUp() { announce(kNoCodes); }

  // Second thread: waits for the codes, then reads the stream into the queue. Ends the queue
  // whatever happens, with why the blocks ended.
  void run() noexcept {
    codesState_.wait(kCodesPending, std::memory_order_acquire);
    if (codesState_.load(std::memory_order_acquire) != kCodesBuilt) {
      finish(CodecError::OutOfMemory);
      return;
    }
    try {
      BitStreamSource source(context_, in_, decoder_, controlSymbols_);
      finish(parse(source));
    } catch (const std::bad_alloc&) {
      finish(CodecError::OutOfMemory);
    }
  }

  void abandon() noexcept { abandoned_.store(true, std::memory_order_relaxed); }

  // After the reading thread has ended: what was wrong with the stream (Ok when every
  // declared token could be read; OutOfMemory when it could not be read for want of memory).
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
      if (!source.readBlockStart(n, m, token) ||
          !readBlockMarkers(source, markerX, markerY, n, m, token)) {
        return source.failure();
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

  static constexpr std::uint32_t kCodesPending = 0;
  static constexpr std::uint32_t kCodesBuilt = 1;
  static constexpr std::uint32_t kNoCodes = 2;

  void announce(std::uint32_t state) {
    codesState_.store(state, std::memory_order_release);
    codesState_.notify_one();
  }

  CodecContext& context_;
  BitReader in_;
  std::span<const std::uint32_t> controlSymbols_;
  BlockQueue& queue_;
  CanonicalDecoder decoder_;
  CodecStatus codes_;
  std::atomic<std::uint32_t> codesState_{kCodesPending};
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

// The calling thread's work: the grids, the first rebuilding pass over the queued blocks, and,
// once the whole stream has proved sound, the smoothing. What the progress callback throws
// passes through.
class BlockPlacer {
 public:
  BlockPlacer(CodecContext& context, BlockQueue& queue)
      : context_(context), queue_(queue),
        log_(context.smoothThreshold != 0, static_cast<bool>(context.progress)) {}

  // Fails when the grids cannot be had or the walk fails; succeeds otherwise, smoothing only
  // when the stream ended cleanly (the reader then says what was wrong with it).
  CodecStatus run() {
    if (CodecStatus grids = allocateGrids(context_); !grids) return grids;
    // A block takes at least one token.
    log_.reserve(std::size_t{context_.lastToken} + 1);
    QueuedBlocks blocks(queue_);
    RebuildWalk<QueuedBlocks> first(context_, blocks, log_);
    if (!first.run()) return decodeFailure(first.failure());
    tokensUsed_ = blocks.tokensUsed();
    if (streamSound()) log_.smoothInOrder(context_, 1);
    return CodecStatus::success();
  }

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
  BlockLog log_;
  std::size_t tokensUsed_ = 0;
};

// The reading thread, started on a processor other than this one's where there is one:
// started beside its creator, a new thread can hold the creator up for a millisecond. Joined
// however the creator leaves; should it leave early (a failure or an exception while placing),
// the reader is first told that no codes come, that nobody takes blocks any more and that the
// rest of the stream need not be read.
class ReaderThread {
 public:
  // Throws std::system_error when no thread can be started.
  ReaderThread(StreamParser& parser, BlockQueue& queue) : parser_(parser), queue_(queue) {
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
    const int started = pthread_create(&thread_, &attributes, &ReaderThread::start, &parser);
    pthread_attr_destroy(&attributes);
    if (started != 0) throw std::system_error(started, std::generic_category());
#else
    thread_ = std::thread([&parser] { parser.run(); });
#endif
    running_ = true;
  }
  ~ReaderThread() {
    if (!running_) return;
    parser_.giveUp();
    parser_.abandon();
    queue_.stopConsuming();
    join();
  }
  ReaderThread(const ReaderThread&) = delete;
  ReaderThread& operator=(const ReaderThread&) = delete;

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
  static void* start(void* parser) {
    static_cast<StreamParser*>(parser)->run();
    return nullptr;
  }
  pthread_t thread_{};
#else
  std::thread thread_;
#endif
  StreamParser& parser_;
  BlockQueue& queue_;
  bool running_ = false;
};

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

}  // namespace

// In a program that keeps running, a second thread pays for itself from some thousands of
// tokens on, where there is a second processor. In one that makes a single conversion and
// ends, only from about a million tokens on (an image of some megapixels): measured on photos
// of a third of a megapixel, it saved there no more than a few per cent of the time, for a
// third more processor time, where in a running program it saves a seventh. The tokens, for
// those who keep them, are kept by one thread in order.
bool worthTwoThreads(const CodecContext& context) {
  constexpr std::uint32_t kMinTokens = 1u << 14;
  constexpr std::uint32_t kMinTokensInOneConversion = 1u << 20;
  if (context.outputs != CodecOutputs::ResultOnly) return false;
  switch (context.decodeThreads) {
    case DecodeThreads::One:
      return false;
    case DecodeThreads::Two:
      return true;
    case DecodeThreads::Auto:
      return context.lastToken >= kMinTokens && usableProcessors() > 1;
    case DecodeThreads::OneUnlessLarge:
      return context.lastToken >= kMinTokensInOneConversion && usableProcessors() > 1;
  }
  return false;
}

std::optional<CodecStatus> decodeOnTwoThreads(CodecContext& context, const BitReader& in,
                                              std::span<const std::uint32_t> controlSymbols) {
  BlockQueue queue;
  const auto parser = std::make_unique<StreamParser>(context, in, controlSymbols, queue);
  std::optional<ReaderThread> reading;
  try {
    reading.emplace(*parser, queue);
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  // The reading thread starts while the codes are built.
  if (CodecStatus codes = parser->buildCodes(); !codes) return codes;
  BlockPlacer placer(context, queue);
  if (CodecStatus placed = placer.run(); !placed) return placed;
  reading->join();
  if (parser->streamFailure() != CodecError::Ok) return decodeFailure(parser->streamFailure());
  context.cursor = placer.tokensUsed();
  return CodecStatus::success();
}

}  // namespace tq1
