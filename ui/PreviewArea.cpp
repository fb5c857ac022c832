// Preview area ranges and clamping.
#include "ui/PreviewArea.h"

#include <algorithm>

namespace tq1::ui {

int SideRange::clamp(int value) const noexcept { return std::clamp(value, minimum, maximum); }

SideRange previewSideRange(int imageExtent) noexcept {
  if (imageExtent <= 0) return {};
  const int maximum = std::min(imageExtent, kPreviewMaxSide);
  return {std::min(kPreviewMinSide, maximum), maximum};
}

QRect previewRect(const PreviewArea& area, QSize imageSize) noexcept {
  if (imageSize.isEmpty()) return {};
  const int width = std::clamp(area.size.width(), 1, imageSize.width());
  const int height = std::clamp(area.size.height(), 1, imageSize.height());
  const int x = std::clamp(area.origin.x(), 0, imageSize.width() - width);
  const int y = std::clamp(area.origin.y(), 0, imageSize.height() - height);
  return {x, y, width, height};
}

}  // namespace tq1::ui
