// Runs two independent pieces of work, the second on a thread of its own when asked, and
// returns once both are done. Whatever the second piece throws reaches the caller after the
// first has finished; when no thread can be started, the second piece runs after the first
// on the calling thread, so asking for a thread never changes a result.
#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace tq1 {

template <typename First, typename Second>
void runBothHalves(bool onTwoThreads, First&& first, Second&& second) {
  if (onTwoThreads) {
    std::exception_ptr thrown;
    std::thread other;
    try {
      other = std::thread([&second, &thrown] {
        try {
          second();
        } catch (...) {
          thrown = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      onTwoThreads = false;
    }
    if (onTwoThreads) {
      // The second thread is joined even when the first piece throws.
      try {
        first();
      } catch (...) {
        other.join();
        throw;
      }
      other.join();
      if (thrown) std::rethrow_exception(thrown);
      return;
    }
  }
  first();
  second();
}

}  // namespace tq1
