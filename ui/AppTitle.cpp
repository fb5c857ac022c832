// Title texts of the main window.
#include "ui/AppTitle.h"

namespace tq1::ui {

QString appVersion() { return QStringLiteral(TQ1_VERSION); }

QString windowTitleFor(const QString& path) {
  return kAppTitle + QStringLiteral(" - ") + path;
}

}  // namespace tq1::ui
