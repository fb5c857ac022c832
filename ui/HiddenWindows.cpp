// Hiding the program's windows behind the notification-area icon and showing them again.
#include "ui/HiddenWindows.h"

#include <QApplication>
#include <QWindow>

namespace tq1::ui {
namespace {

bool isPopup(const QWidget& window) {
  const Qt::WindowType type = window.windowType();
  return type == Qt::Popup || type == Qt::ToolTip;
}

// A window that is shown but not on screen: iconified, or unmapped behind the toolkit's back.
bool isOffScreen(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return window.isVisible() && handle != nullptr && !handle->isExposed();
}

}  // namespace

void HiddenWindows::hideAllBut(const QWidget* main) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == main || !window->isVisible() || isPopup(*window)) continue;
    // A window manager may have minimised the dialogs together with their owner; they come
    // back in the state they had before that.
    hidden_.push_back({window, window->pos(), window->size(),
                       window->windowState() & ~Qt::WindowMinimized});
  }
  for (const Hidden& entry : hidden_) entry.window->hide();
}

void HiddenWindows::showAgain() {
  const std::vector<Hidden> windows = std::move(hidden_);
  hidden_.clear();
  for (const Hidden& entry : windows) {
    QWidget* window = entry.window;
    if (window == nullptr) continue;
    window->setWindowState(entry.state);
    if (!(entry.state & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
      window->move(entry.place);
      window->resize(entry.size);
    }
    window->show();
  }
}

void bringBack(QWidget& window) {
  if (window.isMinimized() || isOffScreen(window)) {
    // A window manager keeps an iconified window unmapped and ignores both show() and a
    // request for activation: the window is withdrawn and mapped afresh in its normal state.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.hide();
  }
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace tq1::ui
