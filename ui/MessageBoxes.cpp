// Message boxes through QMessageBox.
#include "ui/MessageBoxes.h"

#include <QMessageBox>

#include "ui/AppTitle.h"

namespace tq1::ui {

void QtMessageBoxes::information(QWidget* owner, const QString& text) {
  QMessageBox::information(owner, kAppTitle, text);
}

void QtMessageBoxes::error(QWidget* owner, const QString& text) {
  QMessageBox::critical(owner, kAppTitle, text);
}

}  // namespace tq1::ui
