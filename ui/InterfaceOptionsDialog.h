// The "Настройки интерфейса" dialog: minimising into the notification area, minimising while
// a list is converted, and replacing same-named files without a question.
#pragma once

#include <QDialog>

#include "settings/SettingsStore.h"

class QCheckBox;

namespace tq1::ui {

class InterfaceOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  InterfaceOptionsDialog(const SettingsStore& store, QWidget* owner);

  [[nodiscard]] QCheckBox* minimiseToTrayBox() const noexcept { return minimiseToTray_; }
  [[nodiscard]] QCheckBox* minimiseWhileConvertingBox() const noexcept {
    return minimiseWhileConverting_;
  }
  [[nodiscard]] QCheckBox* overwriteWithoutAskingBox() const noexcept {
    return overwriteWithoutAsking_;
  }

 public slots:
  void done(int result) override;

 private:
  void acceptValues();

  const SettingsStore& store_;
  QCheckBox* minimiseToTray_;
  QCheckBox* minimiseWhileConverting_;
  QCheckBox* overwriteWithoutAsking_;
};

}  // namespace tq1::ui
