// The list dialog's opener.
#include "ui/lists/ListDialogLauncher.h"

#include "ui/HiddenWindows.h"
#include "ui/MainWindow.h"

namespace tq1::ui {

ListDialogLauncher::ListDialogLauncher(MainWindow& window, ListServices services)
    : QObject(&window), window_(window), services_(std::move(services)) {
  connect(&window, &MainWindow::listDialogRequested, this, &ListDialogLauncher::open);
}

void ListDialogLauncher::open() {
  if (!dialog_) {
    dialog_ = new ListDialog(services_, &window_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
  }
  bringBack(*dialog_);
}

}  // namespace tq1::ui
