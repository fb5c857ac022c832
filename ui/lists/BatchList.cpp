// Edits of the batch list and the bookkeeping of which entries have settings of their own.
#include "ui/lists/BatchList.h"

#include <iterator>

namespace tq1::ui {
namespace {

// Markers are stored as 32-bit values; a position that does not fit can never be matched, so
// such an entry simply never counts as having its own settings.
std::int32_t markerFor(std::size_t position) {
  return position <= static_cast<std::size_t>(INT32_MAX) ? static_cast<std::int32_t>(position)
                                                         : kNoMarker;
}

}  // namespace

bool BatchList::hasOwnSettings(std::size_t position) const {
  return position < entries_.size() && entries_[position].settings.marker != kNoMarker &&
         entries_[position].settings.marker == markerFor(position);
}

void BatchList::append(std::vector<ListEntry> entries) {
  if (entries_.empty()) {
    entries_ = std::move(entries);
    return;
  }
  entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                  std::make_move_iterator(entries.end()));
}

void BatchList::makeOwn(std::size_t position, const EntrySettings& values) {
  EntrySettings& settings = entries_[position].settings;
  settings = values;
  settings.marker = markerFor(position);
}

void BatchList::giveDefaultsWhereNotOwn(const EntrySettings& defaults) {
  for (std::size_t position = 0; position < entries_.size(); ++position) {
    if (!hasOwnSettings(position)) makeOwn(position, defaults);
  }
}

void BatchList::giveDefaultsFrom(std::size_t first, const EntrySettings& defaults) {
  for (std::size_t position = first; position < entries_.size(); ++position) {
    makeOwn(position, defaults);
  }
}

void BatchList::assign(std::span<const std::size_t> positions, const EntrySettings& values) {
  for (std::size_t position : positions) {
    if (position < entries_.size()) makeOwn(position, values);
  }
}

void BatchList::remove(std::span<const std::size_t> positions) {
  std::vector<bool> doomed(entries_.size(), false);
  for (std::size_t position : positions) {
    if (position < doomed.size()) doomed[position] = true;
  }
  std::size_t kept = 0;
  for (std::size_t position = 0; position < entries_.size(); ++position) {
    if (doomed[position]) continue;
    if (kept != position) {
      const bool own = hasOwnSettings(position);
      entries_[kept] = std::move(entries_[position]);
      entries_[kept].settings.marker = own ? markerFor(kept) : kNoMarker;
    }
    ++kept;
  }
  entries_.resize(kept);
}

}  // namespace tq1::ui
