// The "О программе RI1 Vuzud Uvizo" box: product line with version, who made which part and
// where to write.
#pragma once

#include <QDialog>

#include "settings/SettingsStore.h"

namespace tq1::ui {

// "RI1 Vuzud Uvizo 1.1.9.2 (сборка …)": name, version and a remark on the build.
[[nodiscard]] QString aboutProductLine();

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(const SettingsStore& store, QWidget* owner);

 public slots:
  void done(int result) override;

 private:
  const SettingsStore& store_;
};

}  // namespace tq1::ui
