// The batch list as an item model for the list dialog's view: one row per entry showing its
// full path, with the entry's codec values in the tool tip. Every edit of the list goes
// through here so that the view hears of it; a list of a hundred thousand entries stays quick
// because the view asks only for the rows it shows.
#pragma once

#include <QAbstractListModel>

#include <span>
#include <vector>

#include "ui/lists/BatchList.h"

namespace tq1::ui {

class EntryListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  [[nodiscard]] const BatchList& list() const noexcept { return list_; }
  [[nodiscard]] const std::vector<ListEntry>& entries() const noexcept { return list_.entries(); }

  [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

  void append(std::vector<ListEntry> entries);
  void replace(std::vector<ListEntry> entries);
  void giveDefaultsWhereNotOwn(const EntrySettings& defaults);
  void giveDefaultsFrom(std::size_t first, const EntrySettings& defaults);
  void assign(std::span<const std::size_t> positions, const EntrySettings& values);
  // `positions` sorted ascending without repeats.
  void remove(std::span<const std::size_t> positions);
  void clear();

 private:
  void allRowsChanged();

  BatchList list_;
};

}  // namespace tq1::ui
