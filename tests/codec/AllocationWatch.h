// Watches the sizes of the allocations made through operator new, so that tests can check
// that decoding a small damaged file never asks for more memory than its header justifies.
// Linking AllocationWatch.cpp replaces the global operator new of the whole test program.
#pragma once

#include <cstddef>

namespace tq1::testing {

// Records the largest single allocation made on any thread while it lives (one at a time).
class AllocationWatch {
 public:
  AllocationWatch();
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  [[nodiscard]] std::size_t largest() const noexcept;
};

}  // namespace tq1::testing
