// The wait cursor for as long as an object of this class lives, restored on every way out.
#pragma once

namespace tq1::ui {

class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tq1::ui
