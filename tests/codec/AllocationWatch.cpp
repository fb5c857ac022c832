// The replacement operator new that feeds AllocationWatch, on top of malloc, and a wrapper of
// the codec's large-buffer allocation (the linker routes its calls here: see CMakeLists.txt),
// which maps memory of its own and so never passes through operator new.
#include "AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> watching{false};
std::atomic<std::size_t> largestRequest{0};

void record(std::size_t size) {
  if (watching.load(std::memory_order_relaxed)) {
    std::size_t seen = largestRequest.load(std::memory_order_relaxed);
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
  }
}

void* allocate(std::size_t size) {
  record(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

// tq1::allocateLarge(std::size_t, bool, bool&), by its linker name.
extern "C" void* __real__ZN3tq113allocateLargeEmbRb(std::size_t bytes, bool zeroed, bool& mapped);
extern "C" void* __wrap__ZN3tq113allocateLargeEmbRb(std::size_t bytes, bool zeroed, bool& mapped) {
  record(bytes);
  return __real__ZN3tq113allocateLargeEmbRb(bytes, zeroed, mapped);
}

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tq1::testing {

AllocationWatch::AllocationWatch() {
  largestRequest = 0;
  watching = true;
}

AllocationWatch::~AllocationWatch() { watching = false; }

std::size_t AllocationWatch::largest() const noexcept { return largestRequest.load(); }

}  // namespace tq1::testing
