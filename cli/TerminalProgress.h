// A progress bar on the terminal for work that takes longer than about a second; silent
// when standard error is not a terminal, so scripts and logs stay clean.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "codec/CodecContext.h"

namespace tq1::cli {

class TerminalProgress {
 public:
  TerminalProgress(std::string label, bool enabled);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // Shows done of total once the work has run for the delay; redraws at most every 100 ms.
  void update(std::uint64_t done, std::uint64_t total);
  // A callback for the codec that forwards to update().
  [[nodiscard]] ProgressCallback callback();
  // Clears the bar from the terminal.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  std::string label_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
};

// Whether standard error is an interactive terminal.
[[nodiscard]] bool stderrIsTerminal();

}  // namespace tq1::cli
