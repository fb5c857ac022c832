// The desktop program's services.
#include "ui/AppServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QSystemTrayIcon>

namespace tq1::ui {

DesktopServices::DesktopServices() {
  chooser_.setFolderSources([this] { return services_.imageFolder; }, &services_.settings);
  services_.files = &chooser_;
  services_.messages = &messages_;
  services_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  services_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  services_.startDirectory = QDir::currentPath();
  services_.programDirectory = QCoreApplication::applicationDirPath();
}

}  // namespace tq1::ui
