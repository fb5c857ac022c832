// A ring of 64-bit entries from one producing thread to one consuming thread.
//
// The decoder reads the token stream on one thread and fills the grid on another; the blocks
// pass through here. Each side keeps its own position on a cache line of its own and tells
// the other only every few entries, so that the two threads seldom write where the other
// reads: a block is a few nanoseconds of work, less than moving a cache line between
// processors.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "Simd.h"

namespace tq1 {

class BlockQueue {
 public:
  BlockQueue() : slots_(std::make_unique<std::uint64_t[]>(kCapacity)) {}

  // Producer: appends an entry, waiting while the ring is full. Returns false, and drops the
  // entry, once the consumer has stopped taking entries.
  bool push(std::uint64_t entry) {
    if (head_ - knownRead_ == kCapacity && !waitForRoom()) return false;
    slots_[head_ & kMask] = entry;
    ++head_;
    if ((head_ & (kPublishEvery - 1)) == 0) flush();
    return true;
  }

  // Producer: makes every entry pushed so far visible; called after the last one.
  void flush() { written_.store(head_, std::memory_order_release); }

  // Consumer: takes the next entry, waiting until the producer has published it. The producer
  // must end with an entry the consumer knows as the last, and flush it.
  std::uint64_t pop() {
    if (tail_ == knownWritten_) waitForEntries();
    const std::uint64_t entry = slots_[tail_ & kMask];
    ++tail_;
    if ((tail_ & (kReleaseEvery - 1)) == 0) read_.store(tail_, std::memory_order_release);
    return entry;
  }

  // Consumer: takes no more entries. A producer waiting for room, or pushing later, drops its
  // entries from then on.
  void stopConsuming() { consumerStopped_.store(true, std::memory_order_release); }

 private:
  static constexpr std::size_t kCapacity = std::size_t{1} << 14;  // 128 KiB
  static constexpr std::size_t kMask = kCapacity - 1;
  static constexpr std::size_t kPublishEvery = 64;   // entries; a power of two
  static constexpr std::size_t kReleaseEvery = 256;  // entries; a power of two
  static constexpr unsigned kSpinsBeforeYield = 4096;

  // Spins briefly, then gives the processor away: where the other thread cannot run at once,
  // spinning would only hold it up.
  template <typename Ready>
  static void waitUntil(Ready ready) {
    for (unsigned spins = 0; !ready(); ++spins) {
      if (spins < kSpinsBeforeYield) {
#if defined(TQ1_USE_SSE2)
        _mm_pause();
#endif
      } else {
        std::this_thread::yield();
      }
    }
  }

  bool waitForRoom() {
    bool stopped = false;
    waitUntil([&] {
      stopped = consumerStopped_.load(std::memory_order_acquire);
      knownRead_ = read_.load(std::memory_order_acquire);
      return stopped || head_ - knownRead_ < kCapacity;
    });
    return !stopped;
  }

  void waitForEntries() {
    waitUntil([&] {
      knownWritten_ = written_.load(std::memory_order_acquire);
      return knownWritten_ != tail_;
    });
  }

  std::unique_ptr<std::uint64_t[]> slots_;
  alignas(64) std::atomic<std::size_t> written_{0};  // producer writes, consumer reads
  alignas(64) std::atomic<std::size_t> read_{0};     // consumer writes, producer reads
  std::atomic<bool> consumerStopped_{false};
  alignas(64) std::size_t head_ = 0;       // producer: entries pushed
  std::size_t knownRead_ = 0;              // producer: the consumer's position, as last seen
  alignas(64) std::size_t tail_ = 0;       // consumer: entries taken
  std::size_t knownWritten_ = 0;           // consumer: the producer's position, as last seen
};

}  // namespace tq1
