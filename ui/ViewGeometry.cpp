// Scroll arithmetic of the image view.
#include "ui/ViewGeometry.h"

#include <algorithm>

namespace tq1::ui {

int scrollLimit(int imageExtent, int viewportExtent) noexcept {
  return std::max(0, imageExtent - viewportExtent);
}

int clampOffset(int offset, int limit) noexcept {
  return std::clamp(offset, 0, std::max(0, limit));
}

QPoint imagePointAt(QPoint viewportPoint, QPoint offset) noexcept { return viewportPoint + offset; }

}  // namespace tq1::ui
