// Opens the list dialog for the main window's "С&писок..." command: one dialog at a time,
// brought back to the front when it is already open (also when hidden or minimised), and a
// new one (reading the kept list) after the last was closed.
#pragma once

#include <QObject>
#include <QPointer>

#include "ui/lists/ListDialog.h"
#include "ui/lists/ListServices.h"

namespace tq1::ui {

class MainWindow;

class ListDialogLauncher final : public QObject {
  Q_OBJECT

 public:
  // Connects to the window's listDialogRequested().
  ListDialogLauncher(MainWindow& window, ListServices services);

  // The open dialog, or none.
  [[nodiscard]] ListDialog* dialog() const noexcept { return dialog_; }

 public slots:
  void open();

 private:
  MainWindow& window_;
  ListServices services_;
  QPointer<ListDialog> dialog_;
};

}  // namespace tq1::ui
