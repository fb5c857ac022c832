// The file dialogs as an interface: the desktop program answers it with QFileDialog, tests
// with prepared answers, so that the logic that asks for files runs without a display.
#pragma once

#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "batch/FileFilters.h"

namespace tq1 {

struct FileDialogRequest {
  QObject* owner = nullptr;  // the window the dialog belongs to (a QWidget), or none
  QString title;
  FilterList filters;        // the first one is selected
  QString initialName;       // proposed file name, may be empty
  // Appended to a typed name that has no extension; empty appends nothing.
  QString defaultSuffix;
  bool askBeforeReplace = false;  // save only: confirm replacing an existing file
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // One existing file, or nothing when the user cancels.
  [[nodiscard]] virtual std::optional<QString> chooseOpenFile(const FileDialogRequest& request) = 0;
  // One or more existing files as full paths, in the dialog's order; empty when cancelled.
  [[nodiscard]] virtual QStringList chooseOpenFiles(const FileDialogRequest& request) = 0;
  // The path to write, or nothing when the user cancels.
  [[nodiscard]] virtual std::optional<QString> chooseSaveFile(const FileDialogRequest& request) = 0;
};

}  // namespace tq1
