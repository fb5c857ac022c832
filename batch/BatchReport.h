// What a batch run tells its caller: one result per entry and the reporter interface through
// which the run shows progress and asks before replacing a file.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tq1 {

enum class Conversion {
  None,    // the entry is neither a bitmap nor a .tq1 image: nothing is read or written
  Encode,  // bitmap to .tq1 with the entry's own settings
  Decode,  // .tq1 to a 24-bit bitmap
};

enum class EntryOutcome { Converted, Skipped, Failed };

enum class SkipReason {
  None,
  NotAnImage,  // neither ".bmp" nor ".tq1"
  TargetKept,  // the target exists and was not to be replaced
};

// Where a failed entry stopped, so that the desktop app can word the failure in its own
// language; `error` carries the details in English.
enum class FailureStage { None, Read, Encode, Decode, Write, OutOfMemory };

struct EntryResult {
  std::size_t index = 0;  // position in the list
  QString source;
  QString target;  // empty when the entry is not an image
  Conversion conversion = Conversion::None;
  EntryOutcome outcome = EntryOutcome::Skipped;
  SkipReason skipReason = SkipReason::None;
  FailureStage failureStage = FailureStage::None;
  std::string error;           // for a failure: the cause, naming the file
  std::uint64_t bytesIn = 0;   // size of the source, once it has been read
  std::uint64_t bytesOut = 0;  // size of the written target

  // Image entries count towards the "done" figure whatever their outcome; other entries
  // never do, so the figure ends below the total when the list holds such entries.
  [[nodiscard]] bool countsAsDone() const noexcept { return conversion != Conversion::None; }
};

// Receives the reports of a run. The run calls it on the thread that called BatchRun::run,
// one call at a time, in exactly the order a serial run makes them, whatever the number of
// workers: entryStarted, then any fileProgress and confirmOverwrite calls of that entry,
// then entryFinished, entry after entry in list order.
class BatchReporter {
 public:
  virtual ~BatchReporter() = default;

  // Entry `index` begins; `done` image entries of the `total` entries are finished.
  virtual void entryStarted(std::size_t index, const QString& path, std::size_t done,
                            std::size_t total) {
    (void)index, (void)path, (void)done, (void)total;
  }
  // The current file's percentage: it only grows, and reaches 100 when the codec is done.
  virtual void fileProgress(std::size_t index, unsigned percent) { (void)index, (void)percent; }
  // The target of entry `index` exists and the run may not replace it unasked: true replaces.
  virtual bool confirmOverwrite(std::size_t index, const QString& target) = 0;
  // Entry `result.index` is finished; `done` already includes it when it counts.
  virtual void entryFinished(const EntryResult& result, std::size_t done, std::size_t total) = 0;
};

}  // namespace tq1
