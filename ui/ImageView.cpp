// Painting, scrolling, zooming and area selection of the image view.
#include "ui/ImageView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "ui/ViewGeometry.h"

namespace tq1::ui {
namespace {

// The class background of the main window: light grey around an image smaller than the view.
const QColor kBackground(0xc0, 0xc0, 0xc0);

// A wheel notch moves the view by three page steps: line steps of one pixel would make the
// wheel useless on a photograph.
constexpr int kWheelPixelsPerNotch = 3 * kPageStep;

}  // namespace

ImageView::ImageView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("imageView"));
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // A scroll area paints its viewport in the Base colour (white); the view uses Window.
  QPalette palette = viewport()->palette();
  palette.setColor(QPalette::Window, kBackground);
  viewport()->setPalette(palette);
  viewport()->setBackgroundRole(QPalette::Window);
  viewport()->setAutoFillBackground(true);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setSingleStep(kLineStep);
    bar->setPageStep(kPageStep);
    bar->setRange(0, 0);
  }
  setFocusPolicy(Qt::StrongFocus);
}

void ImageView::setImage(const QImage& image) {
  image_ = image;
  shrunk_ = QImage();
  const bool zoomed = zoom_ != 1.0;
  zoom_ = 1.0;
  wheelZoomDelta_ = 0;
  if (zoomed) emit zoomChanged(zoom_);
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  updateScrollBars();
  viewport()->update();
}

void ImageView::replaceImage(const QImage& image) {
  image_ = image;
  shrinkToZoom();
  updateScrollBars();
  viewport()->update();
}

QPoint ImageView::offset() const { return imagePointAt(QPoint(0, 0), scrollPosition(), zoom_); }

QPoint ImageView::scrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void ImageView::setZoom(double zoom, QPointF anchor) {
  zoom = clampZoom(zoom);
  if (zoom == zoom_) return;
  const QPointF imagePosition = (anchor + QPointF(scrollPosition())) / zoom_;
  zoom_ = zoom;
  shrinkToZoom();
  updateScrollBars();
  const QPoint scroll = anchoredScroll(imagePosition, anchor, zoom_);
  horizontalScrollBar()->setValue(scroll.x());
  verticalScrollBar()->setValue(scroll.y());
  viewport()->update();
  emit zoomChanged(zoom_);
}

// Filtering the whole image once per zoom keeps painting a plain copy while scrolling.
void ImageView::shrinkToZoom() {
  shrunk_ = zoom_ < 1.0 && hasImage() ? image_.scaled(zoomedSize(image_.size(), zoom_),
                                                      Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation)
                                      : QImage();
}

void ImageView::setZoom(double zoom) { setZoom(zoom, QRectF(viewport()->rect()).center()); }

void ImageView::zoomIn() { setZoom(zoomInStep(zoom_)); }

void ImageView::zoomOut() { setZoom(zoomOutStep(zoom_)); }

// The whole image in the window as it is without scroll bars.
void ImageView::zoomToFit() {
  if (!hasImage()) return;
  setZoom(fitZoom(image_.size(), maximumViewportSize()), QPointF(0, 0));
}

void ImageView::zoomToNaturalSize() { setZoom(1.0); }

void ImageView::startAreaSelection(QSize areaSize) {
  selecting_ = true;
  areaSize_ = areaSize;
  cursor_.reset();
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::CrossCursor);
  setFocus();
  viewport()->update();
}

void ImageView::cancelAreaSelection() {
  if (!selecting_) return;
  finishSelection();
  emit areaSelectionCancelled();
}

void ImageView::finishSelection() {
  selecting_ = false;
  cursor_.reset();
  viewport()->setMouseTracking(false);
  viewport()->unsetCursor();
  viewport()->update();
}

void ImageView::updateScrollBars() {
  const QSize shown = viewport()->size();
  const QSize picture = zoomedSize(image_.size(), zoom_);
  horizontalScrollBar()->setRange(0, scrollLimit(picture.width(), shown.width()));
  verticalScrollBar()->setRange(0, scrollLimit(picture.height(), shown.height()));
}

void ImageView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  if (!image_.isNull()) drawPicture(painter);
  if (selecting_ && cursor_) drawSelectionOutline(painter);
}

void ImageView::drawPicture(QPainter& painter) {
  const QPoint scroll = scrollPosition();
  if (zoom_ <= 1.0) {
    const QImage& picture = zoom_ < 1.0 ? shrunk_ : image_;
    const QRect source(scroll, viewport()->size());
    painter.drawImage(QPoint(0, 0), picture, source.intersected(picture.rect()));
    return;
  }
  // Zoomed in: only the image pixels in sight are scaled, each to a square of screen pixels
  // (no smoothing, so that the codec's blocks keep their edges).
  const QPoint first = imagePointAt(QPoint(0, 0), scroll, zoom_);
  const QPoint last = imagePointAt(QPoint(viewport()->width(), viewport()->height()), scroll,
                                   zoom_);
  const QRect source = QRect(first, last).intersected(image_.rect());
  if (source.isEmpty()) return;
  const QPoint topLeft = viewportPointOf(source.topLeft(), scroll, zoom_);
  const QPoint end = viewportPointOf(source.bottomRight() + QPoint(1, 1), scroll, zoom_);
  painter.drawImage(QRect(topLeft, end - QPoint(1, 1)), image_, source);
}

void ImageView::drawSelectionOutline(QPainter& painter) const {
  // The rectangle stands on the image pixel that a click would choose, as large as the area
  // is at the zoom. A black line with white dashes over it stays visible on dark and light
  // images alike.
  const QPoint scroll = scrollPosition();
  const QPoint corner = viewportPointOf(imagePointAt(*cursor_, scroll, zoom_), scroll, zoom_);
  const QRect outline(corner, zoomedSize(areaSize_, zoom_));
  painter.setPen(QPen(Qt::black, 0));
  painter.drawRect(outline);
  painter.setPen(QPen(Qt::white, 0, Qt::DashLine));
  painter.drawRect(outline);
}

void ImageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void ImageView::scrollContentsBy(int, int) { viewport()->update(); }

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return QAbstractScrollArea::mouseMoveEvent(event);
  cursor_ = event->position().toPoint();
  viewport()->update();
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  if (!selecting_ || event->button() != Qt::LeftButton) {
    return QAbstractScrollArea::mousePressEvent(event);
  }
  const QPoint imagePoint = imagePointAt(event->position().toPoint(), scrollPosition(), zoom_);
  finishSelection();
  emit areaChosen(imagePoint);
}

void ImageView::keyPressEvent(QKeyEvent* event) {
  if (selecting_ && event->key() == Qt::Key_Escape) return cancelAreaSelection();
  QAbstractScrollArea::keyPressEvent(event);
}

void ImageView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) return zoomByWheel(event);
  const QPoint notches = event->angleDelta() / QWheelEvent::DefaultDeltasPerStep;
  const QPoint pixels = event->pixelDelta().isNull() ? notches * kWheelPixelsPerNotch
                                                     : event->pixelDelta();
  // Shift turns the vertical wheel into a horizontal one, as in most viewers.
  const bool sideways = event->modifiers() & Qt::ShiftModifier;
  const int dx = sideways ? pixels.y() : pixels.x();
  const int dy = sideways ? 0 : pixels.y();
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() - dx);
  verticalScrollBar()->setValue(verticalScrollBar()->value() - dy);
  event->accept();
}

// Each notch of the wheel is one zoom step, around the image point under the mouse. Fine
// wheels and touchpads report parts of a notch; they add up until a notch is reached.
void ImageView::zoomByWheel(QWheelEvent* event) {
  event->accept();
  wheelZoomDelta_ += event->angleDelta().y();
  const QPointF anchor = event->position();
  while (wheelZoomDelta_ >= QWheelEvent::DefaultDeltasPerStep) {
    wheelZoomDelta_ -= QWheelEvent::DefaultDeltasPerStep;
    setZoom(zoomInStep(zoom_), anchor);
  }
  while (wheelZoomDelta_ <= -QWheelEvent::DefaultDeltasPerStep) {
    wheelZoomDelta_ += QWheelEvent::DefaultDeltasPerStep;
    setZoom(zoomOutStep(zoom_), anchor);
  }
}

bool ImageView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Leave && selecting_) {
    cursor_.reset();  // the rectangle goes with the mouse when it leaves the view
    viewport()->update();
  }
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace tq1::ui
