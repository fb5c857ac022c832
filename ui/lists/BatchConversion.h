// One batch run of the list dialog: the entries converted on a worker thread while the
// progress window shows how far it got, the overwrite question asked on the user-interface
// thread, the windows hidden while converting when the user wants that and shown again at the
// end (the main window maximised if it was), and the failed entries listed once the run is
// over.
#pragma once

#include <QObject>
#include <QThread>

#include <memory>
#include <vector>

#include "batch/BatchIo.h"
#include "batch/BatchRun.h"
#include "settings/SettingsStore.h"
#include "ui/MessageBoxes.h"
#include "ui/lists/AnswerSlot.h"
#include "ui/lists/ListMessageBoxes.h"
#include "ui/lists/ProgressWindow.h"

namespace tq1::ui {

struct ConversionServices {
  const SettingsStore* settings = nullptr;  // read anew for every file
  ListMessageBoxes* questions = nullptr;     // the overwrite question
  MessageBoxes* messages = nullptr;          // the summary of failed entries
  BatchIo io;
};

// The windows a run hides while converting and shows again at its end; either may be null.
struct ConversionWindows {
  QWidget* listDialog = nullptr;
  QWidget* mainWindow = nullptr;
};

class BatchConversion final : public QObject {
  Q_OBJECT

 public:
  BatchConversion(std::vector<ListEntry> entries, ConversionServices services,
                  ConversionWindows windows, QObject* parent = nullptr);
  // A run still going is cancelled: the file in hand is finished, a pending question is
  // answered No, and the worker is waited for.
  ~BatchConversion() override;

  // Starts the run. An empty list shows no progress window and ends at once.
  void start();
  [[nodiscard]] bool isRunning() const noexcept { return running_; }
  [[nodiscard]] ProgressWindow* progressWindow() const noexcept { return progress_.get(); }
  // The outcome, once finished() was emitted.
  [[nodiscard]] const BatchSummary& summary() const noexcept { return summary_; }

 signals:
  // The run is over and its windows are back; summary() holds the results.
  void finished();

 private:
  class WorkerReporter;

  void entryStarted(const QString& path, std::size_t done);
  void fileProgress(unsigned percent);
  void answerOverwrite(const QString& target);
  void entryFinished(std::size_t done);
  void runEnded(BatchSummary summary, bool crashed);
  void hideWindowsForConverting();
  void showWindowsNormally();

  ConversionServices services_;
  ConversionWindows windows_;
  std::size_t total_;
  std::unique_ptr<BatchRun> run_;
  std::unique_ptr<WorkerReporter> reporter_;
  std::unique_ptr<QThread> worker_;
  std::unique_ptr<ProgressWindow> progress_;
  AnswerSlot overwriteAnswer_;
  BatchSummary summary_;
  bool running_ = false;
  bool currentIsBitmap_ = false;
  bool percentInTitle_ = false;
  bool mainWasMaximised_ = false;  // the main window was maximised when the run hid it
};

}  // namespace tq1::ui
