// The windows that go out of sight with the main window while it sits in the notification
// area (its dialogs, the preview window, a progress window), and their return as they were.
#pragma once

#include <QPointer>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include <vector>

namespace tq1::ui {

class HiddenWindows {
 public:
  // Hides every visible top-level window of the program other than `main` (menus and other
  // popups excepted) and remembers each with its place and state.
  void hideAllBut(const QWidget* main);
  // Shows the remembered windows again, at their places and in their states, in the order
  // in which they were hidden; windows closed meanwhile are left out.
  void showAgain();
  [[nodiscard]] std::size_t count() const noexcept { return hidden_.size(); }

 private:
  struct Hidden {
    QPointer<QWidget> window;
    QPoint place;  // top-left corner of the frame
    QSize size;
    Qt::WindowStates state;
  };
  std::vector<Hidden> hidden_;
};

// Brings an existing window back into view: out of the minimised state, shown, raised and
// given the focus. Used for a dialog that its menu command finds already open.
void bringBack(QWidget& window);

}  // namespace tq1::ui
