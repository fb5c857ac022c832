// The main window's view of the image on show: from the top left at one image pixel per screen
// pixel until zoomed, scroll bars when the picture is larger than the window, and the choice
// of the preview area with a rectangle that follows the mouse.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <optional>

namespace tq1::ui {

class ImageView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit ImageView(QWidget* parent = nullptr);

  // Shows a new image from its top-left corner at its natural size.
  void setImage(const QImage& image);
  // Shows another image of the same size in place of the current one, keeping the scroll
  // position and the zoom (the image rebuilt by the encoder after a save).
  void replaceImage(const QImage& image);
  [[nodiscard]] const QImage& image() const noexcept { return image_; }
  [[nodiscard]] bool hasImage() const noexcept { return !image_.isNull(); }

  // The image pixel shown at the viewport's top-left corner.
  [[nodiscard]] QPoint offset() const;
  // The scroll position in screen pixels of the zoomed picture.
  [[nodiscard]] QPoint scrollPosition() const;

  // Screen pixels per image pixel. Zoomed in, pixels are drawn as squares; zoomed out, the
  // picture is filtered smoothly.
  [[nodiscard]] double zoom() const noexcept { return zoom_; }
  // Zooms keeping the image point under `anchor` (a viewport point) where it is.
  void setZoom(double zoom, QPointF anchor);
  // The same around the middle of the viewport.
  void setZoom(double zoom);
  void zoomIn();
  void zoomOut();
  void zoomToFit();
  void zoomToNaturalSize();

  // Until the next left click, a rectangle of `areaSize` follows the mouse; the click fixes
  // its corner (areaChosen). Escape gives up (areaSelectionCancelled).
  void startAreaSelection(QSize areaSize);
  void cancelAreaSelection();
  [[nodiscard]] bool isSelectingArea() const noexcept { return selecting_; }

 signals:
  void areaChosen(QPoint imagePoint);
  void areaSelectionCancelled();
  void zoomChanged(double zoom);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void updateScrollBars();
  void finishSelection();
  void shrinkToZoom();
  void drawPicture(QPainter& painter);
  void drawSelectionOutline(QPainter& painter) const;
  void zoomByWheel(QWheelEvent* event);

  QImage image_;
  QImage shrunk_;  // the image filtered down to the zoom, while zoomed out
  double zoom_ = 1.0;
  int wheelZoomDelta_ = 0;  // Ctrl+wheel turns not yet amounting to a whole notch
  bool selecting_ = false;
  QSize areaSize_;
  std::optional<QPoint> cursor_;  // viewport position of the rectangle's corner
};

}  // namespace tq1::ui
