// The area of the image on show that the codec options dialog previews: its size limits and
// its placement within the image.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tq1::ui {

// Sides of the preview area: at least 10 pixels (less only for a smaller image), at most 250,
// which bounds the work of one rendering.
inline constexpr int kPreviewMinSide = 10;
inline constexpr int kPreviewMaxSide = 250;

struct SideRange {
  int minimum = kPreviewMinSide;
  int maximum = kPreviewMaxSide;

  [[nodiscard]] int clamp(int value) const noexcept;
  friend bool operator==(const SideRange&, const SideRange&) = default;
};

// The range of a size slider for an image side of `imageExtent` pixels: 10 to the smaller of
// the side and 250. A side under 10 pixels gives a range that holds only the side itself;
// no image (0) gives the full 10 to 250.
[[nodiscard]] SideRange previewSideRange(int imageExtent) noexcept;

// The chosen corner and the live size of the area.
struct PreviewArea {
  QPoint origin;  // top-left corner in image pixels, as clicked in the view
  QSize size{100, 100};
};

// The pixels that are actually previewed: the area's size cut to the image, moved left and up
// as far as needed to lie wholly within the image (a corner clicked near the right or bottom
// edge, or past it, still previews real pixels). Empty when there is no image.
[[nodiscard]] QRect previewRect(const PreviewArea& area, QSize imageSize) noexcept;

}  // namespace tq1::ui
