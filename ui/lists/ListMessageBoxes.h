// The message boxes of the batch list that the program's general boxes do not cover: the
// warning about a list file that cannot be written and the overwrite question of a batch run.
// Both have no owner window and the caption "RI1 Vuzud Uvizo". Tests answer them from a
// script.
#pragma once

#include <QString>

namespace tq1::ui {

class ListMessageBoxes {
 public:
  virtual ~ListMessageBoxes() = default;

  // A warning box with an OK button.
  virtual void warning(const QString& text) = 0;
  // A question box with the buttons Yes and No; true for Yes.
  [[nodiscard]] virtual bool question(const QString& text) = 0;
};

// Shows real QMessageBoxes.
class QtListMessageBoxes final : public ListMessageBoxes {
 public:
  void warning(const QString& text) override;
  [[nodiscard]] bool question(const QString& text) override;
};

// "Ошибка при создании файла списка": a list file could not be created or written.
[[nodiscard]] QString listWriteFailedText();
// "Ошибка при чтении файла списка": a chosen list file could not be read.
[[nodiscard]] QString listReadFailedText();
// "Файл <target> существует, перезаписать его?"
[[nodiscard]] QString overwriteQuestionText(const QString& target);

}  // namespace tq1::ui
