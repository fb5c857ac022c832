// Large buffers: own mappings with huge pages where the system gives them, heap otherwise.
#include "LargeBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <atomic>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define TQ1_HAVE_MMAP 1
#endif

namespace tq1 {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer comes from the heap, where a program that converts many images reuses
// the same pages from one to the next; above it the heap would map it anyway (see
// keepGrowingBuffersOnTheHeap). A program of one conversion lowers it.
constexpr std::size_t kMappedFrom = std::size_t{32} << 20;
constexpr std::size_t kMappedFromInOneConversion = std::size_t{1} << 20;
std::atomic<std::size_t> mappedFrom{kMappedFrom};

std::size_t mappedBytes(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

#if defined(TQ1_HAVE_MMAP)
// A mapping of `bytes` (a multiple of kHugePage) that starts on a huge-page boundary: more
// is mapped, and the ends that stick out are given back.
void* mapAligned(std::size_t bytes) {
  const std::size_t reserved = bytes + kHugePage;
  void* start = ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) throw std::bad_alloc();
  const auto first = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t aligned = (first + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  if (aligned > first) ::munmap(start, aligned - first);
  const std::uintptr_t tail = aligned + bytes;
  const std::uintptr_t last = first + reserved;
  if (last > tail) ::munmap(reinterpret_cast<void*>(tail), last - tail);
#if defined(MADV_HUGEPAGE)
  // Advice only: where the system gives no huge pages, the mapping keeps small ones.
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}
#endif

}  // namespace

void keepGrowingBuffersOnTheHeap() {
#if defined(__GLIBC__)
  // The C library serves a block above its threshold (128 KiB at first) from a mapping of its
  // own, and raises the threshold when such a block is freed; the buffers here never pass
  // through it, so the threshold is set to where it would climb: 32 MiB, its ceiling. A freed
  // heap top is kept up to 256 MiB, for the next conversion of the same size.
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
  });
#endif
}

void mapBuffersOfOneConversion() noexcept {
  mappedFrom.store(kMappedFromInOneConversion, std::memory_order_relaxed);
}

void* allocateLarge(std::size_t bytes, bool zeroed, bool& mapped) {
  keepGrowingBuffersOnTheHeap();
  mapped = false;
#if defined(TQ1_HAVE_MMAP)
  // Memory that is to be written over at once is better taken from the heap, which needs not
  // zero it, than from the system, which always does.
  const std::size_t from = zeroed ? mappedFrom.load(std::memory_order_relaxed) : kMappedFrom;
  if (bytes >= from && bytes <= SIZE_MAX - 2 * kHugePage) {
    void* memory = mapAligned(mappedBytes(bytes));
    mapped = true;
    return memory;
  }
#endif
  void* memory = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void freeLarge(void* memory, std::size_t bytes, bool mapped) noexcept {
#if defined(TQ1_HAVE_MMAP)
  if (mapped) {
    ::munmap(memory, mappedBytes(bytes));
    return;
  }
#endif
  std::free(memory);
}

}  // namespace tq1
