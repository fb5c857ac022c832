// The batch run: serial on the calling thread, or worker threads with ordered reports.
#include "batch/BatchRun.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "batch/EntryScheduler.h"
#include "batch/FileNames.h"
#include "batch/OrderedReports.h"

namespace tq1 {
namespace {

EntryResult unexpectedFailure(const ListEntry& entry, std::size_t index) {
  EntryResult result;
  result.index = index;
  result.source = entry.path;
  result.target = conversionTarget(entry.path);
  result.conversion =
      classifyFile(entry.path) == FileKind::Bitmap ? Conversion::Encode : Conversion::Decode;
  result.outcome = EntryOutcome::Failed;
  result.error = entry.path.toStdString() + ": unexpected error during conversion";
  return result;
}

}  // namespace

BatchSummary summarise(std::vector<EntryResult> results, std::size_t total) {
  BatchSummary summary;
  summary.total = total;
  for (const EntryResult& result : results) {
    if (result.countsAsDone()) ++summary.done;
    switch (result.outcome) {
      case EntryOutcome::Converted:
        ++summary.converted;
        summary.bytesIn += result.bytesIn;
        summary.bytesOut += result.bytesOut;
        break;
      case EntryOutcome::Skipped: ++summary.skipped; break;
      case EntryOutcome::Failed: ++summary.failed; break;
    }
  }
  summary.cancelled = results.size() < total;
  summary.results = std::move(results);
  return summary;
}

BatchRun::BatchRun(std::vector<ListEntry> entries, BatchIo io, BatchOptions options)
    : entries_(std::move(entries)), io_(std::move(io)), options_(options) {}

BatchSummary BatchRun::run(BatchReporter& reporter) {
  unsigned jobs = options_.jobs != 0 ? options_.jobs : std::max(1u, std::thread::hardware_concurrency());
  jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, entries_.size()));
  std::vector<EntryResult> results = jobs > 1 ? runParallel(reporter, jobs) : runSerial(reporter);
  return summarise(std::move(results), entries_.size());
}

EntryResult BatchRun::convert(std::size_t index, const ConversionHooks& hooks) const {
  EntryResult result = convertEntry(entries_[index], io_, options_.overwrite, hooks);
  result.index = index;
  return result;
}

std::vector<EntryResult> BatchRun::runSerial(BatchReporter& reporter) {
  std::vector<EntryResult> results;
  std::size_t done = 0;
  const std::size_t total = entries_.size();
  for (std::size_t k = 0; k < total && !cancelled_.load(); ++k) {
    reporter.entryStarted(k, entries_[k].path, done, total);
    // The reporter's exceptions pass to the caller; those of the image reader or writer make
    // the entry fail, as they do on worker threads.
    std::exception_ptr reporterFailure;
    auto fromReporter = [&](auto call) {
      try {
        return call();
      } catch (...) {
        reporterFailure = std::current_exception();
        throw;
      }
    };
    const ConversionHooks hooks{
        [&](unsigned percent) { fromReporter([&] { reporter.fileProgress(k, percent); }); },
        [&](const QString& target) {
          return fromReporter([&] { return reporter.confirmOverwrite(k, target); });
        }};
    try {
      results.push_back(convert(k, hooks));
    } catch (...) {
      if (reporterFailure) throw;
      results.push_back(unexpectedFailure(entries_[k], k));
    }
    if (results.back().countsAsDone()) ++done;
    reporter.entryFinished(results.back(), done, total);
  }
  return results;
}

std::vector<EntryResult> BatchRun::runParallel(BatchReporter& reporter, unsigned workers) {
  EntryScheduler scheduler(sharedFileDependencies(entries_), cancelled_);
  OrderedReports reports(entries_, reporter, workers);
  auto work = [&] {
    while (const std::optional<std::size_t> next = scheduler.next()) {
      const std::size_t k = *next;
      reports.started(k);
      const ConversionHooks hooks{
          [&](unsigned percent) { reports.progress(k, percent); },
          [&](const QString& target) { return reports.confirmOverwrite(k, target); }};
      EntryResult result;
      try {
        result = convert(k, hooks);
      } catch (...) {
        // An image reader or writer that throws must not take the process down with it.
        result = unexpectedFailure(entries_[k], k);
      }
      scheduler.complete(k);
      reports.finished(std::move(result));
    }
    reports.workerDone();
  };

  std::vector<std::thread> threads;
  try {
    for (unsigned i = 0; i < workers; ++i) threads.emplace_back(work);
  } catch (const std::system_error&) {
    // The threads that did start convert every entry; the others are simply not there.
    for (std::size_t i = threads.size(); i < workers; ++i) reports.workerDone();
    if (threads.empty()) return runSerial(reporter);
  }
  std::vector<EntryResult> results;
  std::exception_ptr failure;
  try {
    results = reports.deliverAll();
  } catch (...) {
    failure = std::current_exception();
    cancel();
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return results;
}

}  // namespace tq1
