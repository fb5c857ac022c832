// The list dialog's item model over the batch list.
#include "ui/lists/EntryListModel.h"

#include <algorithm>
#include <climits>

namespace tq1::ui {
namespace {

// Removing more separate runs of rows than this rebuilds the view at once instead of run by
// run, which would cost a pass over the view per run.
constexpr std::size_t kMaxRunsRemovedOneByOne = 64;

struct RowRun {
  int first;
  int last;
};

std::vector<RowRun> runsOf(std::span<const std::size_t> positions) {
  std::vector<RowRun> runs;
  for (std::size_t position : positions) {
    const int row = static_cast<int>(position);
    if (!runs.empty() && runs.back().last + 1 == row) {
      runs.back().last = row;
    } else {
      runs.push_back({row, row});
    }
  }
  return runs;
}

QString settingsText(const EntrySettings& s) {
  return QStringLiteral("Качество %1, сглаживание %2, бит на красную/зеленую/синюю %3/%4/%5")
                     .arg(100 - 2 * s.quality)
                     .arg(s.smoothing)
                     .arg(s.redBits)
                     .arg(s.greenBits)
                     .arg(s.blueBits);
}

}  // namespace

int EntryListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<std::size_t>(list_.size(), INT_MAX));
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0) return {};
  if (static_cast<std::size_t>(index.row()) >= list_.size()) return {};
  const ListEntry& entry = list_.at(static_cast<std::size_t>(index.row()));
  switch (role) {
    case Qt::DisplayRole: return entry.path;
    case Qt::ToolTipRole: return settingsText(entry.settings);
    default: return {};
  }
}

void EntryListModel::append(std::vector<ListEntry> entries) {
  if (entries.empty()) return;
  const int first = rowCount();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
  list_.append(std::move(entries));
  endInsertRows();
}

void EntryListModel::replace(std::vector<ListEntry> entries) {
  beginResetModel();
  list_.clear();
  list_.append(std::move(entries));
  endResetModel();
}

void EntryListModel::giveDefaultsWhereNotOwn(const EntrySettings& defaults) {
  list_.giveDefaultsWhereNotOwn(defaults);
  allRowsChanged();
}

void EntryListModel::giveDefaultsFrom(std::size_t first, const EntrySettings& defaults) {
  list_.giveDefaultsFrom(first, defaults);
  allRowsChanged();
}

void EntryListModel::assign(std::span<const std::size_t> positions, const EntrySettings& values) {
  list_.assign(positions, values);
  allRowsChanged();
}

void EntryListModel::remove(std::span<const std::size_t> positions) {
  if (positions.empty()) return;
  const std::vector<RowRun> runs = runsOf(positions);
  if (runs.size() > kMaxRunsRemovedOneByOne) {
    beginResetModel();
    list_.remove(positions);
    endResetModel();
    return;
  }
  // From the last run back, so that the rows of the runs still to go keep their numbers.
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    std::vector<std::size_t> rows;
    for (int row = run->first; row <= run->last; ++row) {
      rows.push_back(static_cast<std::size_t>(row));
    }
    beginRemoveRows(QModelIndex(), run->first, run->last);
    list_.remove(rows);
    endRemoveRows();
  }
}

void EntryListModel::clear() {
  beginResetModel();
  list_.clear();
  endResetModel();
}

void EntryListModel::allRowsChanged() {
  if (list_.empty()) return;
  emit dataChanged(index(0), index(rowCount() - 1), {Qt::ToolTipRole});
}

}  // namespace tq1::ui
