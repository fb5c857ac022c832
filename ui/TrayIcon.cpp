// The notification-area icon and its menu.
#include "ui/TrayIcon.h"

#include <QMenu>

#include "ui/AppTitle.h"
#include "ui/UiResources.h"

namespace tq1::ui {

TrayIcon::TrayIcon(QObject* parent) : QSystemTrayIcon(mainIcon(), parent), menu_(new QMenu) {
  setObjectName(QStringLiteral("trayIcon"));
  setToolTip(kAppTitle);
  menu_->setObjectName(QStringLiteral("trayMenu"));
  QAction* restore = menu_->addAction(QStringLiteral("Восстановить"));
  restore->setObjectName(QStringLiteral("trayRestoreAction"));
  QAction* exit = menu_->addAction(QStringLiteral("Выход"));
  exit->setObjectName(QStringLiteral("trayExitAction"));
  connect(restore, &QAction::triggered, this, &TrayIcon::restoreRequested);
  connect(exit, &QAction::triggered, this, &TrayIcon::exitRequested);
  setContextMenu(menu_);
  // A left click brings the window back (the notification area reports it as a trigger).
  connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
    if (reason == Trigger) emit restoreRequested();
  });
}

// The menu has no parent widget (a tray icon is no widget), so it is deleted here.
TrayIcon::~TrayIcon() { delete menu_; }

}  // namespace tq1::ui
