// The per-user location of the list dialog's temporary list.
#include "batch/TemporaryList.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace tq1 {

QString temporaryListPath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (QCoreApplication::applicationName().isEmpty()) folder += QStringLiteral("/tq1");
  QDir().mkpath(folder);
  return folder + QStringLiteral("/tmp.lst");
}

}  // namespace tq1
