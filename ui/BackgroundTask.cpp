// The worker thread, the progress dialog and the input blocker of long jobs.
#include "ui/BackgroundTask.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

#include "ui/AppTitle.h"
#include "ui/WaitCursor.h"

namespace tq1::ui {
namespace {

// Work shorter than this shows no progress dialog at all.
constexpr int kProgressDelayMs = 400;
constexpr int kPollIntervalMs = 50;
constexpr int kProgressSteps = 1000;
constexpr int kNeverMs = 24 * 60 * 60 * 1000;

// The worker writes, the user-interface thread reads; a torn pair only shows a step late.
struct ProgressShare {
  std::atomic<std::uint64_t> done{0};
  std::atomic<std::uint64_t> total{0};
};

// Swallows input meant for any window but the progress dialog while a job runs; a close
// request is refused rather than left to close a window whose image the job still uses.
class InputBlocker final : public QObject {
 public:
  explicit InputBlocker(const QWidget* allowed) : allowed_(allowed) {
    qApp->installEventFilter(this);
  }
  ~InputBlocker() override { qApp->removeEventFilter(this); }

 protected:
  // Only what comes from the user through the window system is held back; the program's own
  // requests (a tool tip closing itself) go through.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!event->spontaneous() || isWithinAllowed(watched)) return false;
    switch (event->type()) {
      case QEvent::Close:
        event->ignore();
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::ContextMenu:
        return true;
      default:
        return false;
    }
  }

 private:
  bool isWithinAllowed(QObject* watched) const {
    for (QObject* object = watched; object != nullptr; object = object->parent()) {
      if (object == allowed_) return true;
    }
    return false;
  }

  const QWidget* allowed_;
};

void showProgress(QProgressDialog& dialog, const ProgressShare& share) {
  const std::uint64_t total = share.total.load(std::memory_order_relaxed);
  const std::uint64_t done = share.done.load(std::memory_order_relaxed);
  if (total == 0) {
    dialog.setRange(0, 0);  // no reports (a bitmap being read): a busy bar
    return;
  }
  dialog.setRange(0, kProgressSteps);
  dialog.setValue(static_cast<int>(std::min(done, total) * kProgressSteps / total));
}

}  // namespace

void runTask(QWidget* owner, const QString& label,
             const std::function<void(const ProgressCallback&)>& work) {
  WaitCursor waitCursor;
  ProgressShare share;
  const ProgressCallback callback = [&share](std::uint64_t done, std::uint64_t total) {
    share.total.store(total, std::memory_order_relaxed);
    share.done.store(done, std::memory_order_relaxed);
  };

  QProgressDialog dialog(label, QString(), 0, kProgressSteps, owner);
  dialog.setObjectName(QStringLiteral("PROGRESS"));
  dialog.setWindowTitle(kAppTitle);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  // The dialog's own delayed showing restarts whenever a busy bar is set; this function
  // shows it instead, once the work has taken longer than kProgressDelayMs.
  dialog.setMinimumDuration(kNeverMs);
  InputBlocker blocker(&dialog);
  QElapsedTimer clock;
  clock.start();

  std::unique_ptr<QThread> worker(QThread::create([&] { work(callback); }));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  QTimer poll;
  poll.setInterval(kPollIntervalMs);
  QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
    showProgress(dialog, share);
    if (!dialog.isVisible() && clock.elapsed() >= kProgressDelayMs) dialog.show();
  });

  worker->start();
  poll.start();
  if (!worker->isFinished()) loop.exec();
  worker->wait();
}

}  // namespace tq1::ui
