// The table of marker runs.
#include "MarkerRuns.h"

#include <optional>

namespace tq1 {

namespace {

using Word = CanonicalDecoder::Word;

// How many codes `code` start `window` (kWindowBits wide) from bit `at` on, and where they end.
unsigned countRun(std::uint32_t window, const Word& code, unsigned& at) {
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

void MarkerRuns::build(std::optional<Word> x, std::optional<Word> y) {
  runs_.clear();
  if (!x || !y || *x == *y || x->length == 0 || y->length == 0 || x->length > kWindowBits ||
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

std::optional<std::uint32_t> onlySymbolWithValue(const SymbolTable& table,
                                                 std::span<const std::uint32_t> candidates,
                                                 std::uint32_t value) {
  std::optional<std::uint32_t> found;
  for (const std::uint32_t symbol : candidates) {
    if (symbol >= table.size() || table.entries[symbol].value != value || found == symbol) {
      continue;
    }
    if (found) return std::nullopt;
    found = symbol;
  }
  return found;
}

}  // namespace tq1
