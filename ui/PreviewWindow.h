// The caption-less window in which the codec options dialog shows its preview: exactly the
// size of the preview area, at the top-left corner of the screen.
#pragma once

#include <QImage>
#include <QWidget>

namespace tq1::ui {

class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewWindow(QWidget* owner);

  // The window takes the area's size; the old rendering is dropped until the next one.
  void setAreaSize(QSize size);
  void showRendering(const QImage& rendering);
  // Nothing is painted until the next rendering.
  void clearRendering();
  [[nodiscard]] const QImage& rendering() const noexcept { return rendering_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage rendering_;
};

}  // namespace tq1::ui
