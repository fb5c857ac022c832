// The batch list's message boxes through QMessageBox, and their texts.
#include "ui/lists/ListMessageBoxes.h"

#include <QMessageBox>

#include "ui/AppTitle.h"

namespace tq1::ui {

void QtListMessageBoxes::warning(const QString& text) {
  QMessageBox::warning(nullptr, kAppTitle, text);
}

bool QtListMessageBoxes::question(const QString& text) {
  return QMessageBox::question(nullptr, kAppTitle, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

QString listWriteFailedText() { return QStringLiteral("Ошибка при создании файла списка"); }

QString listReadFailedText() { return QStringLiteral("Ошибка при чтении файла списка"); }

QString overwriteQuestionText(const QString& target) {
  return QStringLiteral("Файл ") + target + QStringLiteral(" существует, перезаписать его?");
}

}  // namespace tq1::ui
