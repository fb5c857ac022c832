// A batch conversion: every entry of a list, in list order, bitmaps encoded to .tq1 with
// their own settings and .tq1 files decoded to bitmaps, on one or several worker threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/BatchIo.h"
#include "batch/BatchReport.h"
#include "batch/EntryConversion.h"
#include "batch/ListEntry.h"

namespace tq1 {

struct BatchOptions {
  OverwritePolicy overwrite = OverwritePolicy::Ask;
  // Files converted at once; 0 takes one per processor core. Each file has its own codec
  // context, so memory grows with the number of jobs.
  unsigned jobs = 1;
};

struct BatchSummary {
  std::vector<EntryResult> results;  // one per entry run, in list order
  std::size_t total = 0;             // entries in the list
  std::size_t done = 0;              // image entries finished, whatever their outcome
  std::size_t converted = 0;
  std::size_t skipped = 0;
  std::size_t failed = 0;
  std::uint64_t bytesIn = 0;   // sources of the converted entries
  std::uint64_t bytesOut = 0;  // targets written
  bool cancelled = false;      // entries at the end of the list were left out

  [[nodiscard]] bool anyFailed() const noexcept { return failed != 0; }
};

// The totals of a sequence of results.
[[nodiscard]] BatchSummary summarise(std::vector<EntryResult> results, std::size_t total);

class BatchRun {
 public:
  // The run works on its own copy of the list, which it never changes. The functions of `io`
  // must be safe to call from several threads at once when jobs is not 1.
  BatchRun(std::vector<ListEntry> entries, BatchIo io, BatchOptions options);
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // Converts the entries and returns their results. Every reporter call is made on the
  // calling thread, one at a time and in serial order (see BatchReporter); with one job the
  // conversion itself runs on the calling thread too. Several jobs give the same files,
  // results and reports as one: entries that share a file wait for one another. If the
  // reporter throws, the workers finish the files they have begun and the exception passes.
  [[nodiscard]] BatchSummary run(BatchReporter& reporter);

  // Safe from any thread, also from a reporter call: no entry is begun after this, the files
  // in progress are finished, and the summary says that the run was cancelled.
  void cancel() noexcept { cancelled_.store(true); }

 private:
  [[nodiscard]] EntryResult convert(std::size_t index, const ConversionHooks& hooks) const;
  [[nodiscard]] std::vector<EntryResult> runSerial(BatchReporter& reporter);
  [[nodiscard]] std::vector<EntryResult> runParallel(BatchReporter& reporter, unsigned workers);

  std::vector<ListEntry> entries_;
  BatchIo io_;
  BatchOptions options_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace tq1
