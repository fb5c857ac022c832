// Where windows stand: storing a window's place under its key and putting it back there.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "settings/PositionRecord.h"
#include "settings/SettingsStore.h"

class QWidget;

namespace tq1::ui {

// The first start has no stored size: the main window opens this large (or as large as the
// screen allows).
inline constexpr QSize kDefaultMainWindowSize{800, 600};

// The top-left corner for a window of `size` placed at `topLeft`, kept as it is while the top
// strip of the window (where its title bar is) lies on one of `screens`; otherwise moved to
// the first screen, so that a place stored on a screen that is gone cannot hide the window.
[[nodiscard]] QPoint keptOnScreens(QPoint topLeft, QSize size, const QList<QRect>& screens);

enum class StartState { Normal, Maximised, Minimised };

struct MainWindowPlace {
  StartState state = StartState::Normal;
  QRect outer;  // the outer rectangle of the normal state; used only for StartState::Normal
};

// How the main window starts from its stored record: maximised (10) or minimised (11) without
// the stored rectangle, else at the stored rectangle, or at the stored corner with the default
// size cut to `available` when no size was stored.
[[nodiscard]] MainWindowPlace mainWindowPlace(const PositionRecord& record, QRect available);

// CapturePosition of a window: outer rectangle and show state.
[[nodiscard]] PositionRecord captureWindowPlace(const QWidget& window);

// Stores the window's place under `key`.
void storeWindowPlace(const SettingsStore& store, WindowKey key, const QWidget& window);

// Moves a dialog to its stored left and top, keeping its size.
void restoreDialogPlace(const SettingsStore& store, WindowKey key, QWidget& dialog);

// Gives the main window its stored place, size and show state and shows it.
void showMainWindowAtStoredPlace(const SettingsStore& store, QWidget& window);

}  // namespace tq1::ui
