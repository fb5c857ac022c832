// The filters of the file dialogs: pairs of description and patterns, and their Qt form.
#pragma once

#include <vector>

#include <QString>
#include <QStringList>

namespace tq1 {

struct FileFilter {
  QString description;  // "Файлы в формате TQ1 (*.tq1)"
  QString patterns;     // "*.tq1", several separated by ";": "*.tq1;*.bmp"

  friend bool operator==(const FileFilter&, const FileFilter&) = default;
};

// The filters of one file dialog, in order; the first is selected when the dialog opens.
class FilterList {
 public:
  void reset() { filters_.clear(); }
  void add(QString description, QString patterns);

  [[nodiscard]] bool isEmpty() const noexcept { return filters_.empty(); }
  [[nodiscard]] const std::vector<FileFilter>& filters() const noexcept { return filters_; }
  // The filters in the form QFileDialog::setNameFilters takes.
  [[nodiscard]] QStringList nameFilters() const;

 private:
  std::vector<FileFilter> filters_;
};

// "Label (*.a *.b)": the description's label with the patterns in Qt's syntax, which
// separates patterns by blanks. "*.*" becomes "*" because Qt's "*.*" would hide every file
// without a dot, while "all files" is meant.
[[nodiscard]] QString qtNameFilter(const FileFilter& filter);

// The filters of the main window's open and save dialogs.
[[nodiscard]] FilterList imageFileFilters();
// The filters of the list dialog's add-file dialog.
[[nodiscard]] FilterList addToListFilters();
// The single filter of the dialogs that save or load a list.
[[nodiscard]] FilterList listFileFilters();

}  // namespace tq1
