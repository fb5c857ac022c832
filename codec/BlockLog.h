// The blocks of a rebuilt image in walk order, as the first rebuilding pass finds them (or the
// encoder emits them), so that the second pass, which fills exactly the same blocks again,
// needs no second walk: it copies the flat grid and smooths the logged blocks in order.
#pragma once

#include <cstdint>
#include <vector>

#include "CodecContext.h"

namespace tq1 {

// A block's position and exponents in one word: x and y in 16 bits each, the two exponents
// in 5 bits each.
struct PackedBlock {
  std::uint64_t bits;
  static PackedBlock of(std::uint32_t x, std::uint32_t y, unsigned n, unsigned m) noexcept {
    return {std::uint64_t{x} | (std::uint64_t{y} << 16) | (std::uint64_t{n} << 32) |
            (std::uint64_t{m} << 37)};
  }
  [[nodiscard]] std::uint32_t x() const noexcept { return bits & 0xFFFF; }
  [[nodiscard]] std::uint32_t y() const noexcept { return (bits >> 16) & 0xFFFF; }
  [[nodiscard]] unsigned n() const noexcept { return (bits >> 32) & 31; }
  [[nodiscard]] unsigned m() const noexcept { return (bits >> 37) & 31; }
};

class BlockLog {
 public:
  // Smoothing changes only blocks at least two cells wide and tall, so only those are kept,
  // and only when there is smoothing; areas are kept only for progress reports.
  BlockLog(bool keepSmoothable, bool keepAreas)
      : keepSmoothable_(keepSmoothable), keepAreas_(keepAreas) {}

  // Room for `blocks` blocks, taken at once: a log that grows by copying itself into ever
  // larger pieces of fresh memory pays for the copies and for the pages each new piece faults
  // in. Room never used costs address space only.
  void reserve(std::size_t blocks) {
    if (keepSmoothable_) smoothable_.reserve(blocks);
    if (keepAreas_) areas_.reserve(blocks);
  }

  void record(std::uint32_t x, std::uint32_t y, unsigned n, unsigned m) {
    const bool isSmoothable = keepSmoothable_ && n > 0 && m > 0;
    if (isSmoothable) smoothable_.push_back(PackedBlock::of(x, y, n, m));
    if (keepAreas_) {
      areas_.push_back(static_cast<std::uint8_t>((n + m) | (isSmoothable ? kSmoothableFlag : 0)));
    }
  }

  // The second rebuilding pass, on grids that both hold the flat image: smooths `pixels`
  // block by block in walk order. With a progress callback, every logged block is reported
  // `passes` times over (the passes that a walk-based rebuild would make), smoothing during
  // the last.
  void smoothInOrder(CodecContext& context, unsigned passes) const;

 private:
  static constexpr std::uint8_t kSmoothableFlag = 0x80;
  bool keepSmoothable_;
  bool keepAreas_;
  std::vector<PackedBlock> smoothable_;
  std::vector<std::uint8_t> areas_;  // the sum of the exponents, and the flag
};

}  // namespace tq1
