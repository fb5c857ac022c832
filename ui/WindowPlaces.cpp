// Window place storage and restoration.
#include "ui/WindowPlaces.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tq1::ui {
namespace {

// The part of a window that has to be on a screen for it to be reachable: its title strip.
constexpr int kTitleStripHeight = 30;

QList<QRect> availableScreens() {
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.append(screen->availableGeometry());
  return screens;
}

QRect primaryAvailable() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kDefaultMainWindowSize);
}

// Sets the window's outer rectangle. Before the window is first shown its frame is unknown,
// so the client size is set to the outer size and corrected once the frame exists.
void setOuterGeometry(QWidget& window, QRect outer) {
  window.move(outer.topLeft());
  window.resize(outer.size());
  QTimer::singleShot(0, &window, [&window, outer] {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (!frame.isEmpty() && !window.isMaximized() && !window.isMinimized()) {
      window.resize(outer.size() - frame);
      window.move(outer.topLeft());
    }
  });
}

}  // namespace

QPoint keptOnScreens(QPoint topLeft, QSize size, const QList<QRect>& screens) {
  if (screens.isEmpty()) return topLeft;
  const QRect strip(topLeft, QSize(std::max(1, size.width()), kTitleStripHeight));
  for (const QRect& screen : screens) {
    if (screen.intersects(strip)) return topLeft;
  }
  return screens.first().topLeft() + QPoint(10, 10);
}

MainWindowPlace mainWindowPlace(const PositionRecord& record, QRect available) {
  if (record.showState == ShowState::Maximised) return {StartState::Maximised, {}};
  if (record.showState == ShowState::Minimised) return {StartState::Minimised, {}};
  QSize size(record.width, record.height);
  if (size.width() <= 0 || size.height() <= 0) {
    size = kDefaultMainWindowSize.boundedTo(available.isEmpty() ? kDefaultMainWindowSize
                                                                : available.size());
  }
  return {StartState::Normal, QRect(QPoint(record.left, record.top), size)};
}

PositionRecord captureWindowPlace(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  return CapturePosition(outer.left(), outer.top(), outer.width(), outer.height(),
                         window.isMaximized(), window.isMinimized());
}

void storeWindowPlace(const SettingsStore& store, WindowKey key, const QWidget& window) {
  store.WritePosition(key, captureWindowPlace(window));
}

void restoreDialogPlace(const SettingsStore& store, WindowKey key, QWidget& dialog) {
  const PositionRecord record = store.ReadPosition(key);
  const QSize size = dialog.size().expandedTo(dialog.sizeHint());
  dialog.move(keptOnScreens(QPoint(record.left, record.top), size, availableScreens()));
}

void showMainWindowAtStoredPlace(const SettingsStore& store, QWidget& window) {
  const MainWindowPlace place = mainWindowPlace(store.ReadPosition(WindowKey::Main),
                                                primaryAvailable());
  switch (place.state) {
    case StartState::Maximised: window.showMaximized(); return;
    case StartState::Minimised: window.showMinimized(); return;
    case StartState::Normal: break;
  }
  QRect outer = place.outer;
  outer.moveTopLeft(keptOnScreens(outer.topLeft(), outer.size(), availableScreens()));
  setOuterGeometry(window, outer);
  window.show();
}

}  // namespace tq1::ui
