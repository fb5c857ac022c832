// Geometry of the image view: scroll limits and steps, zoom steps, and the mapping between
// viewport points and image pixels at a zoom.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace tq1::ui {

// One screen pixel per line step, ten per page step, along either axis.
inline constexpr int kLineStep = 1;
inline constexpr int kPageStep = 10;

// Zoom is screen pixels per image pixel: 1 shows the image at its natural size.
inline constexpr double kMinZoom = 1.0 / 32;
inline constexpr double kMaxZoom = 32.0;

// The largest scroll offset along one axis: how far the image reaches past the viewport,
// or 0 when it fits.
[[nodiscard]] int scrollLimit(int imageExtent, int viewportExtent) noexcept;

// The offset brought into 0..limit; a viewport grown past the image's end pulls it back.
[[nodiscard]] int clampOffset(int offset, int limit) noexcept;

// The image pixel under a viewport point while the view is scrolled by `offset`, at the
// natural size.
[[nodiscard]] QPoint imagePointAt(QPoint viewportPoint, QPoint offset) noexcept;

// The zoom brought into kMinZoom..kMaxZoom.
[[nodiscard]] double clampZoom(double zoom) noexcept;

// The next step of the zoom ladder above (below) `zoom`; the ladder's end stays where it is.
// A zoom between two steps (one that fits the window) moves to the neighbouring step.
[[nodiscard]] double zoomInStep(double zoom) noexcept;
[[nodiscard]] double zoomOutStep(double zoom) noexcept;

// The zoom at which the whole image fits into the viewport, kept within the zoom limits;
// 1 when either size is empty.
[[nodiscard]] double fitZoom(QSize image, QSize viewport) noexcept;

// The size of one side of the image on the screen at `zoom`: rounded, at least 1 pixel for
// a side that is not empty.
[[nodiscard]] int zoomedExtent(int imageExtent, double zoom) noexcept;
[[nodiscard]] QSize zoomedSize(QSize image, double zoom) noexcept;

// The image pixel under a viewport point while the zoomed picture is scrolled by `scroll`
// screen pixels (pixels are counted from the top-left corner, rounding down).
[[nodiscard]] QPoint imagePointAt(QPoint viewportPoint, QPoint scroll, double zoom) noexcept;

// The viewport point of the top-left corner of an image pixel; inverse of imagePointAt.
[[nodiscard]] QPoint viewportPointOf(QPoint imagePoint, QPoint scroll, double zoom) noexcept;

// The scroll that keeps the image position `imagePosition` (in image pixels, fractions
// allowed) under the viewport point `anchor` after zooming to `zoom`.
[[nodiscard]] QPoint anchoredScroll(QPointF imagePosition, QPointF anchor, double zoom) noexcept;

}  // namespace tq1::ui
