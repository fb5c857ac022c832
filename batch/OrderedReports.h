// Carries the reports of entries converted on worker threads to the one thread that owns the
// reporter, and hands them over in list order, so that the reporter sees exactly the sequence
// of a serial run.
#pragma once

#include <QString>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "batch/BatchReport.h"
#include "batch/ListEntry.h"

namespace tq1 {

class OrderedReports {
 public:
  // `workers`: how many threads will post; delivery ends when all of them are done.
  OrderedReports(std::span<const ListEntry> entries, BatchReporter& reporter, std::size_t workers);

  // Worker side, any thread.
  void started(std::size_t index);
  void progress(std::size_t index, unsigned percent);
  // Blocks until the reporter has answered, which happens once every earlier entry is
  // finished, so that questions come in list order; false once the run is abandoned.
  [[nodiscard]] bool confirmOverwrite(std::size_t index, const QString& target);
  void finished(EntryResult result);
  void workerDone();

  // Reporter side: delivers every report, one call at a time, on the calling thread, and
  // returns the results in list order once all workers are done. If the reporter throws, the
  // exception passes through after abandon() has been called.
  [[nodiscard]] std::vector<EntryResult> deliverAll();

  // Answers every pending and later question with "no" and stops waiting for the reporter.
  void abandon();

 private:
  struct Slot {
    bool started = false;
    bool startReported = false;
    std::optional<unsigned> percent;  // the latest percentage not yet reported
    std::optional<QString> question;
    std::optional<bool> answer;
    std::optional<EntryResult> result;
  };

  // One step for the entry at the front; false when there is nothing to do yet.
  bool deliverStep(std::unique_lock<std::mutex>& lock, std::vector<EntryResult>& results);

  std::span<const ListEntry> entries_;
  BatchReporter& reporter_;
  std::mutex mutex_;
  std::condition_variable posted_;    // wakes the delivering thread
  std::condition_variable answered_;  // wakes workers waiting for an answer
  std::vector<Slot> slots_;
  std::size_t front_ = 0;  // the first entry whose finish has not been reported
  std::size_t done_ = 0;
  std::size_t workersLeft_;
  bool abandoned_ = false;
};

}  // namespace tq1
