// The batch run's progress window, laid out as a group "Информация" above the progress bar.
#include "ui/lists/ProgressWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace tq1::ui {

// A label that shows a long path shortened in the middle, so that the window keeps its width
// whatever the path; the whole path stays in text() and the tool tip.
class ElidedLabel final : public QWidget {
 public:
  explicit ElidedLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  void setText(const QString& text) {
    text_ = text;
    setToolTip(text);
    update();
  }
  [[nodiscard]] const QString& text() const noexcept { return text_; }
  [[nodiscard]] QSize sizeHint() const override {
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height()};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideMiddle, width());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
  }

 private:
  QString text_;
};

namespace {

constexpr int kMinimumWidth = 420;

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

QString progressWindowTitle() { return QStringLiteral("Сохранение..."); }

ProgressWindow::ProgressWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      file_(new ElidedLabel(this)),
      done_(namedLabel("doneCount", QStringLiteral("0"), this)),
      total_(namedLabel("totalCount", QStringLiteral("0"), this)),
      bar_(new QProgressBar(this)) {
  setObjectName(QStringLiteral("SAVE"));
  setWindowTitle(progressWindowTitle());
  setAttribute(Qt::WA_DeleteOnClose, false);
  file_->setObjectName(QStringLiteral("currentFile"));
  bar_->setObjectName(QStringLiteral("fileProgress"));
  bar_->setRange(0, 100);
  bar_->setValue(0);

  auto* group = new QGroupBox(QStringLiteral("Информация"), this);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Обрабатывается файл:"), group), 0, 0);
  grid->addWidget(file_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Перекодировано:"), group), 1, 0);
  auto* counts = new QHBoxLayout;
  counts->addWidget(done_);
  counts->addWidget(new QLabel(QStringLiteral("из"), group));
  counts->addWidget(total_);
  counts->addStretch(1);
  grid->addLayout(counts, 1, 1);
  grid->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(bar_);
  setMinimumWidth(kMinimumWidth);
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void ProgressWindow::setTotal(std::size_t total) { total_->setText(QString::number(total)); }

void ProgressWindow::setDone(std::size_t done) { done_->setText(QString::number(done)); }

void ProgressWindow::setCurrentFile(const QString& path) { file_->setText(path); }

void ProgressWindow::setPercent(unsigned percent) { bar_->setValue(static_cast<int>(percent)); }

void ProgressWindow::setPercentInTitle(unsigned percent) {
  setWindowTitle(QString::number(percent) + u'%');
}

QString ProgressWindow::currentFile() const { return file_->text(); }
QString ProgressWindow::doneText() const { return done_->text(); }
QString ProgressWindow::totalText() const { return total_->text(); }

void ProgressWindow::closeEvent(QCloseEvent* event) {
  if (closable_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace tq1::ui
