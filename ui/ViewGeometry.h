// Geometry of the image view: scroll limits and steps, and viewport points in image pixels.
#pragma once

#include <QPoint>

namespace tq1::ui {

// One image pixel per line step, ten per page step, along either axis.
inline constexpr int kLineStep = 1;
inline constexpr int kPageStep = 10;

// The largest scroll offset along one axis: how far the image reaches past the viewport,
// or 0 when it fits.
[[nodiscard]] int scrollLimit(int imageExtent, int viewportExtent) noexcept;

// The offset brought into 0..limit; a viewport grown past the image's end pulls it back.
[[nodiscard]] int clampOffset(int offset, int limit) noexcept;

// The image pixel under a viewport point while the view is scrolled by `offset`.
[[nodiscard]] QPoint imagePointAt(QPoint viewportPoint, QPoint offset) noexcept;

}  // namespace tq1::ui
