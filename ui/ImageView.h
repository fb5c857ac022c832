// The main window's view of the image on show: one image pixel per screen pixel from the top
// left, scroll bars when the image is larger than the window, and the choice of the preview
// area with a rectangle that follows the mouse.
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

  // Shows a new image from its top-left corner.
  void setImage(const QImage& image);
  // Shows another image of the same size in place of the current one, keeping the scroll
  // position (the image rebuilt by the encoder after a save).
  void replaceImage(const QImage& image);
  [[nodiscard]] const QImage& image() const noexcept { return image_; }
  [[nodiscard]] bool hasImage() const noexcept { return !image_.isNull(); }

  // The image pixel shown at the viewport's top-left corner.
  [[nodiscard]] QPoint offset() const;

  // Until the next left click, a rectangle of `areaSize` follows the mouse; the click fixes
  // its corner (areaChosen). Escape gives up (areaSelectionCancelled).
  void startAreaSelection(QSize areaSize);
  void cancelAreaSelection();
  [[nodiscard]] bool isSelectingArea() const noexcept { return selecting_; }

 signals:
  void areaChosen(QPoint imagePoint);
  void areaSelectionCancelled();

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
  void drawSelectionOutline(QPainter& painter) const;

  QImage image_;
  bool selecting_ = false;
  QSize areaSize_;
  std::optional<QPoint> cursor_;  // viewport position of the rectangle's corner
};

}  // namespace tq1::ui
