// A hash map from block colour to a 32-bit number (a count while tokenising, a symbol index
// while writing), with open addressing, so that counting and look-ups stay linear in the
// number of blocks instead of one sorted insertion or binary search per block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SymbolTable.h"

namespace tq1 {

class ColourMap {
 public:
  ColourMap() { slots_.assign(std::size_t{1} << bits_, Slot{}); }

  // The number kept for colour, created as 0 when absent. Colours must not be kVacant.
  std::uint32_t& operator[](std::uint32_t colour) {
    std::size_t at = slotOf(colour);
    while (slots_[at].key != colour) {
      if (slots_[at].key == kVacant) {
        if ((used_ + 1) * 2 > slots_.size()) {
          grow();
          return (*this)[colour];
        }
        slots_[at].key = colour;
        ++used_;
        break;
      }
      at = (at + 1) & (slots_.size() - 1);
    }
    return slots_[at].value;
  }

  // The number kept for colour, or nullptr when absent.
  [[nodiscard]] const std::uint32_t* find(std::uint32_t colour) const noexcept {
    std::size_t at = slotOf(colour);
    while (slots_[at].key != kVacant) {
      if (slots_[at].key == colour) return &slots_[at].value;
      at = (at + 1) & (slots_.size() - 1);
    }
    return nullptr;
  }

  [[nodiscard]] std::size_t size() const noexcept { return used_; }

  // The colours with their numbers as counts of symbol entries, sorted by value.
  [[nodiscard]] std::vector<SymbolEntry> sortedEntries() const {
    std::vector<SymbolEntry> entries;
    entries.reserve(used_);
    std::uint32_t largest = 0;
    for (const Slot& slot : slots_) {
      if (slot.key == kVacant) continue;
      SymbolEntry e;
      e.value = slot.key;
      e.count = slot.value;
      entries.push_back(e);
      largest = std::max(largest, slot.key);
    }
    if (largest < (1u << 24)) {
      radixSortByValue(entries);
    } else {
      std::sort(entries.begin(), entries.end(),
                [](const SymbolEntry& a, const SymbolEntry& b) { return a.value < b.value; });
    }
    return entries;
  }

  // Block colours have 0 in their fourth channel, so this key is never a colour.
  static constexpr std::uint32_t kVacant = 0xFFFFFFFFu;

 private:
  // Least significant byte first over the three colour bytes: linear in the number of colours.
  static void radixSortByValue(std::vector<SymbolEntry>& entries) {
    std::vector<SymbolEntry> buffer(entries.size());
    for (unsigned shift = 0; shift < 24; shift += 8) {
      std::size_t start[257] = {};
      for (const SymbolEntry& e : entries) ++start[((e.value >> shift) & 0xFF) + 1];
      for (unsigned b = 0; b < 256; ++b) start[b + 1] += start[b];
      for (const SymbolEntry& e : entries) buffer[start[(e.value >> shift) & 0xFF]++] = e;
      entries.swap(buffer);
    }
  }

  struct Slot {
    std::uint32_t key = kVacant;
    std::uint32_t value = 0;
  };

  [[nodiscard]] std::size_t slotOf(std::uint32_t colour) const noexcept {
    return static_cast<std::size_t>((colour * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
  }

  void grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    ++bits_;
    for (const Slot& slot : old) {
      if (slot.key == kVacant) continue;
      std::size_t at = slotOf(slot.key);
      while (slots_[at].key != kVacant) at = (at + 1) & (slots_.size() - 1);
      slots_[at] = slot;
    }
  }

  unsigned bits_ = 10;  // log2 of the slot count
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace tq1
