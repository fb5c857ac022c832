// The notification-area icon that stands for the hidden main window: its tip, a left click
// that brings the window back, and the small menu "Восстановить" / "Выход".
#pragma once

#include <QSystemTrayIcon>

class QMenu;

namespace tq1::ui {

class TrayIcon : public QSystemTrayIcon {
  Q_OBJECT

 public:
  explicit TrayIcon(QObject* parent);
  ~TrayIcon() override;

  [[nodiscard]] QMenu* menu() const noexcept { return menu_; }

 signals:
  void restoreRequested();
  void exitRequested();

 private:
  QMenu* menu_;
};

}  // namespace tq1::ui
