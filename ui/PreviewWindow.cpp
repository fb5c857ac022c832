// The preview window: a frameless tool window that paints the last rendering.
#include "ui/PreviewWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tq1::ui {

PreviewWindow::PreviewWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("PREVIEW"));
  // Never shown (the window has no caption), but named for the task list and window tools.
  setWindowTitle(QStringLiteral("Предварительный просмотр"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The whole rendering stays visible: the window has no frame that would cover its edges.
  const QScreen* screen = owner != nullptr && owner->screen() != nullptr
                              ? owner->screen()
                              : QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->availableGeometry().topLeft());
}

void PreviewWindow::setAreaSize(QSize size) {
  if (size != rendering_.size()) rendering_ = QImage();
  setFixedSize(size);
  update();
}

void PreviewWindow::showRendering(const QImage& rendering) {
  rendering_ = rendering;
  update();
}

void PreviewWindow::clearRendering() {
  rendering_ = QImage();
  update();
}

void PreviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (rendering_.isNull()) {
    painter.fillRect(rect(), palette().window());
    return;
  }
  painter.drawImage(QPoint(0, 0), rendering_);
}

}  // namespace tq1::ui
