// Limits that make writes and allocations fail on purpose, whoever runs the tests (root
// ignores file permissions, so a read-only folder proves nothing in CI).
#pragma once

#include <csignal>
#include <cstdint>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

namespace tq1::testing {

// Caps the size of any file this process writes, as a full disk would, while it lives. Writes
// past the cap fail with EFBIG instead of raising SIGXFSZ, which would end the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  [[nodiscard]] bool active() const { return active_; }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool active_ = false;
};

// True when the address space can be capped: the sanitizers reserve terabytes of it for
// their shadow memory and cannot run under a cap.
constexpr bool addressSpaceCapUsable() {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
  return false;
#else
  return true;
#endif
#else
  return true;
#endif
}

// Caps the address space of this process at its present size plus `extra` bytes, so that
// any larger allocation fails. Only for a child process (a death test): there is no way back.
inline bool capAddressSpace(std::uint64_t extra) {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  if (!(statm >> pages)) return false;
  const rlim_t cap = static_cast<rlim_t>(pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + extra);
  rlimit limit{cap, cap};
  return setrlimit(RLIMIT_AS, &limit) == 0;
}

}  // namespace tq1::testing
