// Help page lookup.
#include "ui/HelpPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/UiResources.h"

namespace tq1::ui {

QString installedDataDirectory(const QString& programDirectory) {
  if (programDirectory.isEmpty()) return {};
  return QDir::cleanPath(QDir(programDirectory).filePath(QStringLiteral(TQ1_DATA_FROM_BIN)));
}

QString helpPagePath(const QString& startDirectory, const QString& programDirectory) {
  const QString installed = installedDataDirectory(programDirectory);
  for (const QString& directory : {startDirectory, programDirectory, installed}) {
    if (directory.isEmpty()) continue;
    const QFileInfo page(QDir(directory).filePath(kHelpPageName));
    if (page.isFile()) return page.absoluteFilePath();
  }
  return {};
}

QString resolveHelpPage(const QString& startDirectory, const QString& programDirectory) {
  const QString found = helpPagePath(startDirectory, programDirectory);
  if (!found.isEmpty()) return found;
  initUiResources();
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (folder.isEmpty() || !QDir().mkpath(folder)) return {};
  const QString copy = QDir(folder).filePath(kHelpPageName);
  QFile::remove(copy);  // an older copy gives way to the page of this program
  if (!QFile::copy(QStringLiteral(":/") + kHelpPageName, copy)) return {};
  QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
  return copy;
}

}  // namespace tq1::ui
