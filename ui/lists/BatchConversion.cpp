// The batch run on a worker thread, with every report carried over to the user-interface
// thread, where the windows are changed and the questions asked.
#include "ui/lists/BatchConversion.h"

#include <QMetaObject>

#include "batch/FileNames.h"
#include "ui/MainWindow.h"
#include "ui/lists/BatchSummaryText.h"

namespace tq1::ui {

// Runs on the worker: posts each report to the conversion object, whose thread runs it in
// the order posted, and blocks on the overwrite question until it has been answered there.
class BatchConversion::WorkerReporter final : public BatchReporter {
 public:
  explicit WorkerReporter(BatchConversion& owner) : owner_(owner) {}

  void entryStarted(std::size_t, const QString& path, std::size_t done, std::size_t) override {
    post([path, done](BatchConversion& c) { c.entryStarted(path, done); });
  }
  void fileProgress(std::size_t, unsigned percent) override {
    post([percent](BatchConversion& c) { c.fileProgress(percent); });
  }
  bool confirmOverwrite(std::size_t, const QString& target) override {
    owner_.overwriteAnswer_.reset();
    post([target](BatchConversion& c) { c.answerOverwrite(target); });
    // Should the conversion go away unanswered, the existing file is kept.
    return owner_.overwriteAnswer_.wait(false);
  }
  void entryFinished(const EntryResult&, std::size_t done, std::size_t) override {
    post([done](BatchConversion& c) { c.entryFinished(done); });
  }

 private:
  template <typename Call>
  void post(Call call) {
    BatchConversion* owner = &owner_;
    QMetaObject::invokeMethod(owner, [owner, call] { call(*owner); }, Qt::QueuedConnection);
  }

  BatchConversion& owner_;
};

BatchConversion::BatchConversion(std::vector<ListEntry> entries, ConversionServices services,
                                 ConversionWindows windows, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      windows_(windows),
      total_(entries.size()),
      // The overwrite rule is applied per file on this thread (see answerOverwrite), so that
      // a change of the option during the run counts from the next file on.
      run_(std::make_unique<BatchRun>(std::move(entries), services_.io,
                                      BatchOptions{OverwritePolicy::Ask, 1})),
      reporter_(std::make_unique<WorkerReporter>(*this)) {}

BatchConversion::~BatchConversion() {
  if (!worker_) return;
  run_->cancel();
  overwriteAnswer_.abandon();
  worker_->wait();
}

void BatchConversion::start() {
  if (running_ || worker_) return;
  running_ = true;
  if (total_ == 0) {
    runEnded(summarise({}, 0), false);
    return;
  }
  progress_ = std::make_unique<ProgressWindow>();
  progress_->setTotal(total_);
  progress_->setDone(0);
  progress_->show();

  worker_.reset(QThread::create([this] {
    BatchSummary summary;
    bool crashed = false;
    try {
      summary = run_->run(*reporter_);
    } catch (...) {
      crashed = true;
    }
    QMetaObject::invokeMethod(
        this, [this, summary = std::move(summary), crashed]() mutable {
          runEnded(std::move(summary), crashed);
        },
        Qt::QueuedConnection);
  }));
  worker_->start();
}

// A bitmap entry reads the settings anew: with "minimise while converting" on, the windows go
// out of the way from this entry to the end of the run and the percentage moves to the title
// of the minimised progress window. Other entries (decoded without progress reports, or not
// converted at all) leave the bar and title alone.
void BatchConversion::entryStarted(const QString& path, std::size_t done) {
  progress_->setCurrentFile(path);
  progress_->setDone(done);
  currentIsBitmap_ = classifyFile(path) == FileKind::Bitmap;
  if (!currentIsBitmap_) return;
  percentInTitle_ = services_.settings->ReadSettings().minimiseWhileConverting != 0;
  if (percentInTitle_) hideWindowsForConverting();
  // The bar belongs to the file now in hand: it starts empty rather than showing the end of
  // the previous file while this one is still being read.
  progress_->setPercent(0);
}

void BatchConversion::fileProgress(unsigned percent) {
  if (!currentIsBitmap_) return;
  if (percentInTitle_) {
    progress_->setPercentInTitle(percent);
  } else {
    progress_->setPercent(percent);
  }
}

void BatchConversion::answerOverwrite(const QString& target) {
  const bool replace = services_.settings->ReadSettings().overwriteWithoutAsking != 0 ||
                       services_.questions->question(overwriteQuestionText(target));
  overwriteAnswer_.give(replace);
}

void BatchConversion::entryFinished(std::size_t done) { progress_->setDone(done); }

void BatchConversion::hideWindowsForConverting() {
  if (windows_.listDialog) windows_.listDialog->hide();
  if (windows_.mainWindow) {
    if (windows_.mainWindow->isVisible()) mainWasMaximised_ = windows_.mainWindow->isMaximized();
    windows_.mainWindow->hide();
  }
  if (!progress_->isMinimized()) progress_->showMinimized();
}

// Shown normally, not minimised; a main window that was maximised comes back maximised (a
// hidden window forgets nothing of its state, but showNormal would undo it).
void BatchConversion::showWindowsNormally() {
  if (auto* main = qobject_cast<MainWindow*>(windows_.mainWindow); main && main->isInTray()) {
    main->restoreFromTray();
  }
  if (QWidget* main = windows_.mainWindow) {
    if (mainWasMaximised_ || main->isMaximized()) {
      main->showMaximized();
    } else {
      main->showNormal();
    }
  }
  if (windows_.listDialog) windows_.listDialog->showNormal();
  if (windows_.listDialog) {
    windows_.listDialog->raise();
    windows_.listDialog->activateWindow();
  }
}

void BatchConversion::runEnded(BatchSummary summary, bool crashed) {
  if (worker_) worker_->wait();
  summary_ = std::move(summary);
  if (crashed) {
    summary_.total = total_;
    summary_.cancelled = true;
  }
  if (progress_) {
    progress_->allowClosing();
    progress_->close();
    progress_.reset();
  }
  showWindowsNormally();
  running_ = false;
  const QString failures = failureSummaryText(summary_);
  if (!failures.isEmpty()) services_.messages->error(nullptr, failures);
  emit finished();
}

}  // namespace tq1::ui
