// Symbol table operations and the canonical prefix code construction.
#include "SymbolTable.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "Limits.h"
#include "PartitionStops.h"

namespace tq1 {

std::int32_t SymbolTable::find(std::uint32_t value) const noexcept {
  if (entries.empty()) return -1;
  std::uint32_t lo = 0;
  std::uint32_t hi = size() - 1;
  while (lo != hi) {
    const std::uint32_t mid = (lo + hi) / 2;
    if (entries[mid].value < value) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  const auto at = static_cast<std::int32_t>(hi);
  if (entries[hi].value > value) return -at - 1;
  if (entries[hi].value < value) return -at - 2;
  return at;
}

std::uint32_t SymbolTable::insertAt(std::uint32_t value, std::uint32_t p) {
  SymbolEntry fresh;
  fresh.value = value;
  entries.insert(entries.begin() + p, fresh);
  return p;
}

std::uint32_t SymbolTable::findOrInsert(std::uint32_t value) {
  const std::int32_t found = find(value);
  if (found >= 0) return static_cast<std::uint32_t>(found);
  return insertAt(value, static_cast<std::uint32_t>(-(found + 1)));
}

void SymbolTable::assignSorted(std::vector<SymbolEntry> sortedEntries) {
  entries = std::move(sortedEntries);
  byCount.clear();
  byLength.clear();
  codeIndex.clear();
}

namespace {

// What the quicksort below does to a range whose keys are all equal, without comparing: each
// partition swaps the outermost pairs inwards, which reverses the range, and leaves the two
// halves (without the middle element of an odd range) to be sorted the same way.
void reverseEqualRange(std::vector<std::uint64_t>& items, std::int64_t lo, std::int64_t hi) {
  while (lo < hi) {
    std::reverse(items.begin() + lo, items.begin() + hi + 1);
    const std::int64_t half = (hi - lo + 1) / 2;
    const bool odd = ((hi - lo + 1) & 1) != 0;
    reverseEqualRange(items, lo, lo + half - 1);
    lo = lo + half + (odd ? 1 : 0);
  }
}

// The same permutation in linear time, for long ranges: both halves of a range of size L end
// up in the order of a range of size L / 2, so the order for L is built from the one for
// L / 2, down to size 1, and applied once.
class EqualRangePermuter {
 public:
  void apply(std::vector<std::uint64_t>& items, std::int64_t lo, std::int64_t hi) {
    const auto size = static_cast<std::size_t>(hi - lo + 1);
    if (size <= kShortRange) {
      reverseEqualRange(items, lo, hi);
      return;
    }
    buildOrder(size);
    moved_.resize(size);
    const auto base = static_cast<std::size_t>(lo);
    for (std::size_t d = 0; d < size; ++d) moved_[d] = items[base + order_[d]];
    std::copy(moved_.begin(), moved_.end(), items.begin() + lo);
  }

 private:
  static constexpr std::size_t kShortRange = 32;

  // order_[d]: where the element that ends at d started.
  void buildOrder(std::size_t size) {
    std::vector<std::size_t> sizes;
    for (std::size_t s = size; s > 1; s /= 2) sizes.push_back(s);
    order_.assign(1, 0);  // a range of one element stays
    previous_.clear();
    for (auto s = sizes.rbegin(); s != sizes.rend(); ++s) {
      const std::size_t half = *s / 2;
      const bool odd = (*s & 1) != 0;
      previous_.swap(order_);
      order_.resize(*s);
      for (std::size_t d = 0; d < half; ++d) {
        order_[d] = static_cast<std::uint32_t>(*s - 1 - previous_[d]);
        order_[half + (odd ? 1 : 0) + d] = static_cast<std::uint32_t>(half - 1 - previous_[d]);
      }
      if (odd) order_[half] = static_cast<std::uint32_t>(half);
    }
  }

  std::vector<std::uint32_t> order_;
  std::vector<std::uint32_t> previous_;
  std::vector<std::uint64_t> moved_;
};

bool allKeysEqual(const std::vector<std::uint64_t>& items, std::int64_t lo, std::int64_t hi) {
  const std::uint64_t key = items[static_cast<std::size_t>(lo)] >> 32;
  for (std::int64_t at = lo + 1; at <= hi; ++at) {
    if ((items[static_cast<std::size_t>(at)] >> 32) != key) return false;
  }
  return true;
}

// The first swaps of the partition, found a block at a time: the left scan stops at keys not
// below the pivot and the right scan at keys not above it, and the partition swaps the k-th
// left stop with the k-th right stop for as long as they have not crossed. The stops of a block
// are recorded without branching on the keys, then swapped in pairs; this stops while a fresh
// block on either side would still lie clear of the other side's scanned part, so every pair
// swapped is one the plain loop swaps, in the same order. Leaves i and j where the plain loop
// would have them after those swaps, for it to finish.
// Ranges shorter than this are partitioned by the plain loop alone.
constexpr std::int64_t kBlockedPartitionMin = 256;

void swapStopsInBlocks(std::vector<std::uint64_t>& items, std::uint32_t pivot, std::int64_t& i,
                       std::int64_t& j) {
  constexpr std::int64_t kBlock = detail::kStopBlock;
  std::array<std::uint8_t, detail::kStopListBytes> leftStops{};
  std::array<std::uint8_t, detail::kStopListBytes> rightStops{};
  int leftCount = 0, leftTaken = 0, rightCount = 0, rightTaken = 0;
  std::int64_t leftNext = i, rightNext = j;  // the next positions each scan reads
  std::int64_t leftBase = i, rightBase = j;  // where the stops of the current blocks count from
  while (true) {
    if (leftTaken == leftCount) {
      if (leftNext + kBlock - 1 > rightNext) break;
      leftBase = leftNext;
      leftTaken = 0;
      leftCount = static_cast<int>(detail::maskPositions(
          detail::stopMask<true>(items.data() + leftBase, pivot), leftStops.data()));
      leftNext += kBlock;
    }
    if (rightTaken == rightCount) {
      if (rightNext - kBlock + 1 < leftNext) break;
      rightBase = rightNext;
      rightTaken = 0;
      rightCount = static_cast<int>(detail::maskPositions(
          detail::stopMask<false>(items.data() + rightBase, pivot), rightStops.data()));
      rightNext -= kBlock;
    }
    const int pairs = std::min(leftCount - leftTaken, rightCount - rightTaken);
    for (int p = 0; p < pairs; ++p) {
      const std::int64_t a = leftBase + leftStops[static_cast<std::size_t>(leftTaken + p)];
      const std::int64_t b = rightBase - rightStops[static_cast<std::size_t>(rightTaken + p)];
      std::swap(items[static_cast<std::size_t>(a)], items[static_cast<std::size_t>(b)]);
      i = a + 1;
      j = b - 1;
    }
    leftTaken += pairs;
    rightTaken += pairs;
  }
}

// The Hoare quicksort whose exact permutation the format depends on, with the larger side
// handled by the loop and the smaller by an explicit stack, so depth stays logarithmic.
// Sorting the two sides in either order gives the same permutation: they are disjoint. Each
// element carries its key in its top half, so comparisons read memory in order. Ranges of one
// key and long ranges take the shortcuts above, which give the plain loop's permutation.
// False once more than `budget` elements have been partitioned.
bool quicksortAscending(std::vector<std::uint64_t>& items, std::int64_t first, std::int64_t last,
                        std::uint64_t budget) {
  struct Range {
    std::int64_t lo, hi;
  };
  const auto key = [&items](std::int64_t at) {
    return static_cast<std::uint32_t>(items[static_cast<std::size_t>(at)] >> 32);
  };
  std::vector<Range> pending;
  pending.push_back({first, last});
  EqualRangePermuter equalRanges;
  std::uint64_t steps = 0;
  while (!pending.empty()) {
    auto [lo, hi] = pending.back();
    pending.pop_back();
    while (lo < hi) {
      const std::uint32_t pivot = key((lo + hi) / 2);
      // Few distinct keys (code lengths, small counts) leave long runs of equal keys.
      if (key(lo) == pivot && key(hi) == pivot && allKeysEqual(items, lo, hi)) {
        equalRanges.apply(items, lo, hi);
        break;
      }
      std::int64_t i = lo;
      std::int64_t j = hi;
      if (hi - lo >= kBlockedPartitionMin) swapStopsInBlocks(items, pivot, i, j);
      while (i <= j) {
        while (key(i) < pivot) ++i;
        while (key(j) > pivot) --j;
        if (i <= j) {
          std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      }
      steps += static_cast<std::uint64_t>(hi - lo + 1);
      if (steps > budget) return false;
      // Ranges still to sort: lo..j and i..hi.
      const Range left{lo, j};
      const Range right{i, hi};
      const bool leftLarger = (left.hi - left.lo) > (right.hi - right.lo);
      const Range larger = leftLarger ? left : right;
      const Range smaller = leftLarger ? right : left;
      if (smaller.lo < smaller.hi) pending.push_back(smaller);
      lo = larger.lo;
      hi = larger.hi;
    }
  }
  return true;
}

}  // namespace

bool sortIndices(std::span<const std::uint32_t> keys, std::span<std::uint32_t> index,
                 bool descending, std::optional<std::uint64_t> stepBudget) {
  if (index.empty()) return true;
  std::vector<std::uint64_t> items(index.size());
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = (std::uint64_t{keys[i]} << 32) | i;
  const std::uint64_t budget = stepBudget.value_or(UINT64_MAX);
  if (!quicksortAscending(items, 0, static_cast<std::int64_t>(items.size()) - 1, budget)) {
    return false;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    index[i] = static_cast<std::uint32_t>(items[i] & 0xFFFFFFFFu);
  }
  if (descending) std::reverse(index.begin(), index.end());
  return true;
}

namespace {

// Picks merge candidates in the construction's order (lighter first; at equal weight the
// later position first, so an inner node beats a leaf and a later leaf an earlier one) in
// linear time. Leaves sit in byCount order, heaviest first, so they are taken from the last
// position down. Inner nodes are made with non-decreasing weights; a run of equal-weight inner
// nodes is taken from its end, and no node joins a run once it is being taken from (a new
// node outweighs both of its children).
class MergeQueue {
 public:
  MergeQueue(const std::vector<std::uint64_t>& weight, std::uint32_t m)
      : weight_(weight), nextLeaf_(static_cast<std::int64_t>(m)), innerEnd_(m + 1),
        runBottom_(m + 1) {}

  // Takes the next node in merge order.
  std::uint32_t pop() {
    const std::uint32_t inner = innerCandidate();
    const bool innerFirst =
        inner != kNone &&
        (nextLeaf_ < 0 || weight_[inner] <= weight_[static_cast<std::size_t>(nextLeaf_)]);
    if (!innerFirst) return static_cast<std::uint32_t>(nextLeaf_--);
    if (runTop_ == kNone) {
      runEnd_ = inner;  // the run closes at its first take
      runTop_ = inner;
    }
    const std::uint32_t picked = runTop_;
    if (runTop_ == runBottom_) {
      runBottom_ = runEnd_ + 1;
      runTop_ = kNone;
      scanEnd_ = kNone;
    } else {
      --runTop_;
    }
    return picked;
  }

  // Makes the inner node just created at `position` available.
  void push(std::uint32_t position) { innerEnd_ = position + 1; }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // The inner node that would be taken next: the top of the current run, or the last node of
  // equal weight from the first untaken one on.
  std::uint32_t innerCandidate() {
    if (runTop_ != kNone) return runTop_;
    if (runBottom_ >= innerEnd_) return kNone;
    if (scanEnd_ == kNone) scanEnd_ = runBottom_;
    while (scanEnd_ + 1 < innerEnd_ && weight_[scanEnd_ + 1] == weight_[runBottom_]) ++scanEnd_;
    return scanEnd_;
  }

  const std::vector<std::uint64_t>& weight_;
  std::int64_t nextLeaf_;
  std::uint32_t innerEnd_;
  std::uint32_t runBottom_;        // first untaken inner node
  std::uint32_t runTop_ = kNone;   // next node of the run being taken, if one is
  std::uint32_t runEnd_ = kNone;   // last node of that run
  std::uint32_t scanEnd_ = kNone;  // last equal-weight node seen before the run opens
};

// The depth in the merge tree of each leaf, by its position in byCount (0 ... m). Each node
// keeps only its parent, which a node made later is: a sweep from the root down then turns
// every parent link into a depth in place, parents before their children.
std::vector<std::uint32_t> leafDepths(const std::vector<std::uint32_t>& counts,
                                      const std::vector<std::uint32_t>& byCount, std::uint32_t m) {
  std::vector<std::uint32_t> link(2 * std::size_t{m} + 1, 0);
  {
    std::vector<std::uint64_t> weight(2 * std::size_t{m} + 1);
    for (std::uint32_t j = 0; j <= m; ++j) weight[j] = counts[byCount[j]];
    MergeQueue queue(weight, m);
    for (std::uint32_t j = m + 1; j <= 2 * m; ++j) {
      const std::uint32_t left = queue.pop();
      const std::uint32_t right = queue.pop();
      weight[j] = weight[left] + weight[right];
      link[left] = j;
      link[right] = j;
      queue.push(j);
    }
  }
  link[2 * std::size_t{m}] = 0;  // the root
  for (std::uint32_t node = 2 * m; node-- > 0;) link[node] = link[link[node]] + 1;
  link.resize(std::size_t{m} + 1);
  return link;
}

}  // namespace

std::uint32_t SymbolTable::buildCodes(std::uint32_t last) {
  return *buildCodes(last, UINT64_MAX);
}

std::optional<std::uint32_t> SymbolTable::buildLengths(std::uint32_t last,
                                                       std::uint64_t sortBudget) {
  const std::uint32_t n = last + 1;
  assert(n <= size());
  std::uint32_t m = 0;
  std::vector<std::uint32_t> leafDepth{1};
  {
    std::vector<std::uint32_t> counts(n);
    for (std::uint32_t i = 0; i < n; ++i) counts[i] = entries[i].count;

    byCount.assign(n, 0);
    if (!sortIndices(counts, byCount, /*descending=*/true, sortBudget)) return std::nullopt;

    // m: the last position of byCount with a non-zero count (zero counts sort last).
    const auto nonZero = static_cast<std::uint32_t>(
        std::count_if(counts.begin(), counts.end(), [](std::uint32_t c) { return c != 0; }));
    m = nonZero > 0 ? nonZero - 1 : 0;
    if (m > 0) leafDepth = leafDepths(counts, byCount, m);
  }  // the counts go before the next arrays are made
  // Lengths are gathered in a compact array first: they are written in count order, which
  // jumps around the table, and a byte per symbol stays in the cache where whole entries
  // would not.
  std::vector<std::uint8_t> length(n, 0);
  for (std::uint32_t j = 0; j <= m; ++j) {
    // Counts read from a hostile file can make the tree far deeper than any usable code:
    // such depths are clamped to 255 here, and the caller refuses them through
    // maxCodeLength() or the decoder's limit of 32 bits.
    length[byCount[j]] = static_cast<std::uint8_t>(std::min<std::uint32_t>(leafDepth[j], 255));
  }

  std::vector<std::uint32_t> lengths(length.begin(), length.end());
  byLength.assign(n, 0);
  if (!sortIndices(lengths, byLength, /*descending=*/false, sortBudget)) return std::nullopt;
  for (std::uint32_t i = 0; i < n; ++i) entries[i].length = length[i];
  return m;
}

std::optional<std::uint32_t> SymbolTable::buildCodes(std::uint32_t last,
                                                     std::uint64_t sortBudget) {
  const std::optional<std::uint32_t> m = buildLengths(last, sortBudget);
  if (m) assignCodes(last, *m);
  return m;
}

void SymbolTable::assignCodes(std::uint32_t last, std::uint32_t m) {
  const std::uint32_t n = last + 1;
  // Read and written in code order, so kept compact like the lengths.
  std::vector<std::uint8_t> length(n);
  for (std::uint32_t i = 0; i < n; ++i) length[i] = entries[i].length;

  // Canonical codes in byLength order; symbols without a code (length 0) are skipped.
  std::vector<std::uint32_t> code(n, 0);
  std::uint32_t k = 0;
  while (k < n && length[byLength[k]] == 0) ++k;
  if (k < n) {
    std::uint64_t v = 0;
    unsigned previous = length[byLength[k]];
    for (std::uint32_t at = k + 1; at < n; ++at) {
      const unsigned current = length[byLength[at]];
      const unsigned grow = current - previous;
      v = grow >= 64 ? 0 : ((v + 1) << grow);
      code[byLength[at]] = static_cast<std::uint32_t>(v);
      previous = current;
    }
  }
  for (std::uint32_t i = 0; i < n; ++i) entries[i].code = code[i];

  codeIndex.assign(n, kNoCode);
  for (std::uint32_t j = 0; j <= m; ++j) codeIndex[byCount[j]] = j;
}


unsigned fitCountsAndBuildCodes(SymbolTable& table) {
  std::vector<std::uint32_t> original(table.size());
  std::uint32_t largest = 0;
  for (std::uint32_t i = 0; i < table.size(); ++i) {
    original[i] = table.entries[i].count;
    largest = std::max(largest, original[i]);
  }
  unsigned shift = 0;
  while ((largest >> shift) >= kCountLimit) ++shift;
  while (true) {
    for (std::uint32_t i = 0; i < table.size(); ++i) {
      table.entries[i].count = std::max<std::uint32_t>(1, original[i] >> shift);
    }
    table.buildCodes(table.size() - 1);
    // With every count 1 the code is balanced, at most 24 bits for the format's 2^24
    // symbols, so the loop ends.
    if (table.maxCodeLength() <= kMaxCodeLength) return shift;
    ++shift;
  }
}

unsigned SymbolTable::maxCodeLength() const noexcept {
  unsigned longest = 0;
  for (const SymbolEntry& e : entries) longest = std::max<unsigned>(longest, e.length);
  return longest;
}

}  // namespace tq1
