// Terminal progress bar drawn on standard error.
#include "TerminalProgress.h"

#include <cstdio>

#include <unistd.h>

namespace tq1::cli {

namespace {
constexpr auto kDelay = std::chrono::milliseconds(1000);
constexpr auto kRedraw = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;
}  // namespace

bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

TerminalProgress::TerminalProgress(std::string label, bool enabled)
    : label_(std::move(label)), enabled_(enabled), start_(Clock::now()) {}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::update(std::uint64_t done, std::uint64_t total) {
  if (!enabled_ || total == 0) return;
  const auto now = Clock::now();
  if (now - start_ < kDelay || (shown_ && now - lastDraw_ < kRedraw && done < total)) return;
  lastDraw_ = now;
  shown_ = true;
  const double fraction = done >= total ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), static_cast<int>(fraction * 100));
  std::fflush(stderr);
}

ProgressCallback TerminalProgress::callback() {
  if (!enabled_) return {};
  return [this](std::uint64_t done, std::uint64_t total) { update(done, total); };
}

void TerminalProgress::finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace tq1::cli
