// Scroll and zoom arithmetic of the image view.
#include "ui/ViewGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tq1::ui {
namespace {

// Steps people can read off at a glance: whole multiples when zoomed in, simple fractions
// when zoomed out.
constexpr std::array<double, 21> kZoomLadder{
    1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3,
    1.0,      1.5,      2.0,      3.0,      4.0,     6.0,     8.0,     12.0,    16.0,    24.0,
    32.0};

// Two zooms this close count as the same step (fit zooms are computed, not looked up).
constexpr double kSameStep = 1e-6;

int floorDivide(int value, double zoom) noexcept {
  return static_cast<int>(std::floor(value / zoom + kSameStep));
}

}  // namespace

int scrollLimit(int imageExtent, int viewportExtent) noexcept {
  return std::max(0, imageExtent - viewportExtent);
}

int clampOffset(int offset, int limit) noexcept {
  return std::clamp(offset, 0, std::max(0, limit));
}

QPoint imagePointAt(QPoint viewportPoint, QPoint offset) noexcept { return viewportPoint + offset; }

double clampZoom(double zoom) noexcept {
  if (!(zoom > 0)) return 1.0;  // also NaN
  return std::clamp(zoom, kMinZoom, kMaxZoom);
}

double zoomInStep(double zoom) noexcept {
  for (const double step : kZoomLadder) {
    if (step > zoom * (1 + kSameStep)) return step;
  }
  return kZoomLadder.back();
}

double zoomOutStep(double zoom) noexcept {
  for (auto step = kZoomLadder.rbegin(); step != kZoomLadder.rend(); ++step) {
    if (*step < zoom * (1 - kSameStep)) return *step;
  }
  return kZoomLadder.front();
}

double fitZoom(QSize image, QSize viewport) noexcept {
  if (image.isEmpty() || viewport.isEmpty()) return 1.0;
  const double across = static_cast<double>(viewport.width()) / image.width();
  const double down = static_cast<double>(viewport.height()) / image.height();
  return clampZoom(std::min(across, down));
}

int zoomedExtent(int imageExtent, double zoom) noexcept {
  if (imageExtent <= 0) return 0;
  return std::max(1, static_cast<int>(std::lround(imageExtent * zoom)));
}

QSize zoomedSize(QSize image, double zoom) noexcept {
  return {zoomedExtent(image.width(), zoom), zoomedExtent(image.height(), zoom)};
}

QPoint imagePointAt(QPoint viewportPoint, QPoint scroll, double zoom) noexcept {
  const QPoint onPicture = viewportPoint + scroll;
  return {floorDivide(onPicture.x(), zoom), floorDivide(onPicture.y(), zoom)};
}

QPoint viewportPointOf(QPoint imagePoint, QPoint scroll, double zoom) noexcept {
  return QPoint(static_cast<int>(std::lround(imagePoint.x() * zoom)),
                static_cast<int>(std::lround(imagePoint.y() * zoom))) -
         scroll;
}

QPoint anchoredScroll(QPointF imagePosition, QPointF anchor, double zoom) noexcept {
  const QPointF scroll = imagePosition * zoom - anchor;
  return {static_cast<int>(std::lround(scroll.x())), static_cast<int>(std::lround(scroll.y()))};
}

}  // namespace tq1::ui
