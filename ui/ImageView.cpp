// Painting, scrolling and area selection of the image view.
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
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  updateScrollBars();
  viewport()->update();
}

void ImageView::replaceImage(const QImage& image) {
  image_ = image;
  updateScrollBars();
  viewport()->update();
}

QPoint ImageView::offset() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

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
  horizontalScrollBar()->setRange(0, scrollLimit(image_.width(), shown.width()));
  verticalScrollBar()->setRange(0, scrollLimit(image_.height(), shown.height()));
}

void ImageView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  if (!image_.isNull()) {
    const QRect source(offset(), viewport()->size());
    painter.drawImage(QPoint(0, 0), image_, source.intersected(image_.rect()));
  }
  if (selecting_ && cursor_) drawSelectionOutline(painter);
}

void ImageView::drawSelectionOutline(QPainter& painter) const {
  // A black line with white dashes over it stays visible on dark and light images alike.
  const QRect outline(*cursor_, areaSize_);
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
  const QPoint imagePoint = imagePointAt(event->position().toPoint(), offset());
  finishSelection();
  emit areaChosen(imagePoint);
}

void ImageView::keyPressEvent(QKeyEvent* event) {
  if (selecting_ && event->key() == Qt::Key_Escape) return cancelAreaSelection();
  QAbstractScrollArea::keyPressEvent(event);
}

void ImageView::wheelEvent(QWheelEvent* event) {
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

bool ImageView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Leave && selecting_) {
    cursor_.reset();  // the rectangle goes with the mouse when it leaves the view
    viewport()->update();
  }
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace tq1::ui
