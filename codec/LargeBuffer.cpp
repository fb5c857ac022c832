// Large buffers: own mappings with huge pages where the system gives them, heap otherwise.
#include "LargeBuffer.h"

#include <cstdint>
#include <cstdlib>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define TQ1_HAVE_MMAP 1
#endif

namespace tq1 {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer comes from the heap: a mapping of its own costs more than it saves.
constexpr std::size_t kMappedFrom = std::size_t{1} << 20;

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

void* allocateLarge(std::size_t bytes, bool zeroed) {
#if defined(TQ1_HAVE_MMAP)
  if (bytes >= kMappedFrom && bytes <= SIZE_MAX - 2 * kHugePage) return mapAligned(mappedBytes(bytes));
#endif
  void* memory = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void freeLarge(void* memory, std::size_t bytes) noexcept {
#if defined(TQ1_HAVE_MMAP)
  if (bytes >= kMappedFrom && bytes <= SIZE_MAX - 2 * kHugePage) {
    ::munmap(memory, mappedBytes(bytes));
    return;
  }
#endif
  std::free(memory);
}

}  // namespace tq1
