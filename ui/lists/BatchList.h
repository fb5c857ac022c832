// The batch list: its entries in order, each with its codec values, and the edits the list
// dialog makes to them. No widgets; the dialog's model wraps one of these.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "batch/EntrySettings.h"
#include "batch/ListEntry.h"

namespace tq1::ui {

class BatchList {
 public:
  [[nodiscard]] const std::vector<ListEntry>& entries() const noexcept { return entries_; }
  [[nodiscard]] std::size_t size() const noexcept { return entries_.size(); }
  [[nodiscard]] bool empty() const noexcept { return entries_.empty(); }
  [[nodiscard]] const ListEntry& at(std::size_t position) const { return entries_.at(position); }

  // An entry has settings of its own when its marker is its position.
  [[nodiscard]] bool hasOwnSettings(std::size_t position) const;

  // Appends entries as they are, settings and markers included.
  void append(std::vector<ListEntry> entries);

  // Every entry without settings of its own receives `defaults` and becomes an entry with
  // settings of its own; the others keep theirs.
  void giveDefaultsWhereNotOwn(const EntrySettings& defaults);

  // Every entry from `first` to the end receives `defaults` as settings of its own.
  void giveDefaultsFrom(std::size_t first, const EntrySettings& defaults);

  // Gives the codec values of `values` (not its marker) to the entries at `positions`, as
  // settings of their own. Positions outside the list are ignored.
  void assign(std::span<const std::size_t> positions, const EntrySettings& values);

  // Removes the entries at `positions` (any order, repeats allowed). The others keep their
  // order and settings, and an entry keeps its standing: one with settings of its own still
  // has them at its new position, one without does not gain them by moving.
  void remove(std::span<const std::size_t> positions);

  void clear() noexcept { entries_.clear(); }

 private:
  void makeOwn(std::size_t position, const EntrySettings& values);

  std::vector<ListEntry> entries_;
};

}  // namespace tq1::ui
