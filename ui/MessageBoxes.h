// The program's message boxes as an interface: the desktop answers it with QMessageBox, tests
// record what would have been shown. Every box carries the caption "RI1 Vuzud Uvizo".
#pragma once

#include <QString>

class QWidget;

namespace tq1::ui {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // An information box with an OK button ("Неподдерживаемый формат").
  virtual void information(QWidget* owner, const QString& text) = 0;
  // An error box with an OK button (a file that cannot be opened or saved).
  virtual void error(QWidget* owner, const QString& text) = 0;
};

// Shows real QMessageBoxes.
class QtMessageBoxes final : public MessageBoxes {
 public:
  void information(QWidget* owner, const QString& text) override;
  void error(QWidget* owner, const QString& text) override;
};

}  // namespace tq1::ui
