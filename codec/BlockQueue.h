// A ring of 64-bit entries from one producing thread to one consuming thread.
//
// The decoder reads the token stream on one thread and fills the grid on another; the blocks
// pass through here. Each side keeps its own position on a cache line of its own and tells
// the other only every few entries, so that the two threads seldom write where the other
// reads: a block is a few nanoseconds of work, less than moving a cache line between
// processors.
//
// A side that has to wait spins for a moment, then sleeps (a futex, through std::atomic's
// wait) until the other side has made a good stretch of progress: a sixteenth of the ring, or
// the end. Sleeping instead of spinning leaves the processor to other work, and waking only
// for a stretch keeps the wake-ups, which cost the waking side a system call, few.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "Simd.h"

// The producer writes entries with streaming stores, which go to memory past its own cache:
// the consumer, on another processor, then reads them from memory, which the hardware fetches
// ahead of it, instead of taking each line out of the producer's cache, which on some machines
// costs as much as the work on the entries. ThreadSanitizer does not see such stores, so its
// builds write plainly.
#if defined(TQ1_USE_SSE2) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define TQ1_STREAM_ENTRIES 1
#endif

namespace tq1 {

class BlockQueue {
 public:
  BlockQueue() : slots_(std::make_unique<std::uint64_t[]>(kCapacity)) {}

  // Producer: appends an entry, waiting while the ring is full. Returns false, and drops the
  // entry, once the consumer has stopped taking entries.
  bool push(std::uint64_t entry) {
    if (head_ - knownRead_ == kCapacity && !waitForRoom()) return false;
#if defined(TQ1_STREAM_ENTRIES)
    _mm_stream_si64(reinterpret_cast<long long*>(&slots_[head_ & kMask]),
                    static_cast<long long>(entry));
#else
    slots_[head_ & kMask] = entry;
#endif
    ++head_;
    if ((head_ & (kPublishEvery - 1)) == 0) publish();
    return true;
  }

  // Producer: makes every entry pushed so far visible, and wakes a sleeping consumer whatever
  // it waits for; called after the last one.
  void flush() {
    publish();
    entriesSignal_.fetch_add(1, std::memory_order_seq_cst);
    entriesSignal_.notify_one();
  }

  // Consumer: takes the next entry, waiting until the producer has published it. The producer
  // must end with an entry the consumer knows as the last, and flush it.
  std::uint64_t pop() {
    if (tail_ == knownWritten_) waitForEntries();
    const std::uint64_t entry = slots_[tail_ & kMask];
    ++tail_;
    if ((tail_ & (kReleaseEvery - 1)) == 0) release();
    return entry;
  }

  // Consumer: takes no more entries. A producer waiting for room, or pushing later, drops its
  // entries from then on.
  void stopConsuming() {
    consumerStopped_.store(true, std::memory_order_seq_cst);
    roomSignal_.fetch_add(1, std::memory_order_seq_cst);
    roomSignal_.notify_one();
  }

 private:
  static constexpr std::size_t kCapacity = std::size_t{1} << 14;  // 128 KiB
  static constexpr std::size_t kMask = kCapacity - 1;
  static constexpr std::size_t kPublishEvery = 256;  // entries; a power of two
  static constexpr std::size_t kReleaseEvery = 1024; // entries; a power of two
  static constexpr std::size_t kWakeStretch = kCapacity / 16;  // entries
  static constexpr unsigned kSpinsBeforeSleep = 2048;
  static constexpr std::size_t kNobodyWaits = SIZE_MAX;

  // Producer: the entries pushed so far become visible. A consumer asleep until the producer
  // reaches a position is woken once it has.
  void publish() {
#if defined(TQ1_STREAM_ENTRIES)
    _mm_sfence();  // streaming stores are not ordered with the store that publishes them
#endif
    written_.store(head_, std::memory_order_seq_cst);
    if (head_ >= consumerWaitsFor_.load(std::memory_order_seq_cst)) {
      entriesSignal_.fetch_add(1, std::memory_order_seq_cst);
      entriesSignal_.notify_one();
    }
  }

  // Consumer: the slots taken so far may be written again; a producer asleep until they reach
  // a position is woken once they have.
  void release() {
    read_.store(tail_, std::memory_order_seq_cst);
    if (tail_ >= producerWaitsFor_.load(std::memory_order_seq_cst)) {
      roomSignal_.fetch_add(1, std::memory_order_seq_cst);
      roomSignal_.notify_one();
    }
  }

  // Spins briefly, then sleeps on `signal` with `waitsFor` telling the other side the position
  // that should wake this one. The other side stores its position before it reads `waitsFor`,
  // and this side stores `waitsFor` before it reads the position (all sequentially
  // consistent), so one of them always sees the other: a wake-up is never lost.
  template <typename Ready>
  static void waitUntil(Ready ready, std::atomic<std::size_t>& waitsFor, std::size_t wakeAt,
                        std::atomic<std::uint32_t>& signal) {
    for (unsigned spins = 0; spins < kSpinsBeforeSleep; ++spins) {
      if (ready()) return;
#if defined(TQ1_USE_SSE2)
      _mm_pause();
#endif
    }
    while (true) {
      waitsFor.store(wakeAt, std::memory_order_seq_cst);
      const std::uint32_t seen = signal.load(std::memory_order_seq_cst);
      if (ready()) break;
      signal.wait(seen, std::memory_order_seq_cst);
    }
    waitsFor.store(kNobodyWaits, std::memory_order_relaxed);
  }

  bool waitForRoom() {
    bool stopped = false;
    const auto ready = [&] {
      stopped = consumerStopped_.load(std::memory_order_seq_cst);
      knownRead_ = read_.load(std::memory_order_seq_cst);
      return stopped || head_ - knownRead_ < kCapacity;
    };
    // Woken once a stretch of the ring is free again.
    waitUntil(ready, producerWaitsFor_, head_ - kCapacity + kWakeStretch, roomSignal_);
    return !stopped;
  }

  void waitForEntries() {
    const auto ready = [&] {
      knownWritten_ = written_.load(std::memory_order_seq_cst);
      return knownWritten_ != tail_;
    };
    // Woken once a stretch of entries is there, or by the last flush.
    waitUntil(ready, consumerWaitsFor_, tail_ + kWakeStretch, entriesSignal_);
  }

  std::unique_ptr<std::uint64_t[]> slots_;
  alignas(64) std::atomic<std::size_t> written_{0};  // producer writes, consumer reads
  alignas(64) std::atomic<std::size_t> read_{0};     // consumer writes, producer reads
  std::atomic<bool> consumerStopped_{false};
  alignas(64) std::atomic<std::size_t> consumerWaitsFor_{kNobodyWaits};  // consumer writes
  std::atomic<std::uint32_t> entriesSignal_{0};                          // producer bumps
  alignas(64) std::atomic<std::size_t> producerWaitsFor_{kNobodyWaits};  // producer writes
  std::atomic<std::uint32_t> roomSignal_{0};                             // consumer bumps
  alignas(64) std::size_t head_ = 0;       // producer: entries pushed
  std::size_t knownRead_ = 0;              // producer: the consumer's position, as last seen
  alignas(64) std::size_t tail_ = 0;       // consumer: entries taken
  std::size_t knownWritten_ = 0;           // consumer: the producer's position, as last seen
};

}  // namespace tq1
