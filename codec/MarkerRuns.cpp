// The table of marker runs.
#include "MarkerRuns.h"

#include <optional>

namespace tq1 {

namespace {

struct Code {
  std::uint32_t bits;
  unsigned length;
};

// The code of the one entry that has `value`, if exactly one has.
std::optional<Code> onlyCodeOf(const SymbolTable& table, std::uint32_t last, std::uint32_t value) {
  std::optional<Code> found;
  for (std::uint32_t i = 0; i <= last && i < table.size(); ++i) {
    if (table.entries[i].value != value) continue;
    if (found) return std::nullopt;
    found = Code{table.entries[i].code, table.entries[i].length};
  }
  return found;
}

// How many codes `code` start `window` (kWindowBits wide) from bit `at` on, and where they end.
unsigned countRun(std::uint32_t window, const Code& code, unsigned& at) {
  unsigned count = 0;
  const unsigned width = MarkerRuns::kWindowBits;
  while (at + code.length <= width &&
         ((window >> (width - at - code.length)) & ((1u << code.length) - 1)) == code.bits) {
    at += code.length;
    ++count;
  }
  return count;
}

}  // namespace

void MarkerRuns::build(const SymbolTable& table, std::uint32_t last, std::uint32_t markerX,
                       std::uint32_t markerY) {
  runs_.clear();
  if (markerX == markerY) return;
  const std::optional<Code> x = onlyCodeOf(table, last, markerX);
  const std::optional<Code> y = onlyCodeOf(table, last, markerY);
  if (!x || !y || x->length == 0 || y->length == 0 || x->length > kWindowBits ||
      y->length > kWindowBits) {
    return;
  }
  runs_.resize(std::size_t{1} << kWindowBits);
  for (std::uint32_t window = 0; window < runs_.size(); ++window) {
    unsigned at = 0;
    const unsigned xs = countRun(window, *x, at);
    const unsigned ys = countRun(window, *y, at);
    runs_[window] = static_cast<std::uint16_t>(xs | (ys << 4) | (at << 8));
  }
}

}  // namespace tq1
