// Ordered delivery of worker reports: each entry has a slot; only the slot at the front is
// reported live, later ones wait (with their progress folded into the latest percentage).
#include "batch/OrderedReports.h"

#include <utility>

namespace tq1 {

OrderedReports::OrderedReports(std::span<const ListEntry> entries, BatchReporter& reporter,
                               std::size_t workers)
    : entries_(entries), reporter_(reporter), slots_(entries.size()), workersLeft_(workers) {}

void OrderedReports::started(std::size_t index) {
  {
    const std::lock_guard lock(mutex_);
    slots_[index].started = true;
  }
  posted_.notify_one();
}

void OrderedReports::progress(std::size_t index, unsigned percent) {
  {
    const std::lock_guard lock(mutex_);
    slots_[index].percent = percent;
  }
  posted_.notify_one();
}

bool OrderedReports::confirmOverwrite(std::size_t index, const QString& target) {
  std::unique_lock lock(mutex_);
  Slot& slot = slots_[index];
  slot.question = target;
  slot.answer.reset();
  posted_.notify_one();
  answered_.wait(lock, [&] { return slot.answer.has_value() || abandoned_; });
  const bool yes = slot.answer.value_or(false);
  slot.question.reset();
  slot.answer.reset();
  return yes;
}

void OrderedReports::finished(EntryResult result) {
  {
    const std::lock_guard lock(mutex_);
    slots_[result.index].result = std::move(result);
  }
  posted_.notify_one();
}

void OrderedReports::workerDone() {
  {
    const std::lock_guard lock(mutex_);
    --workersLeft_;
  }
  posted_.notify_one();
}

void OrderedReports::abandon() {
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  answered_.notify_all();
}

bool OrderedReports::deliverStep(std::unique_lock<std::mutex>& lock,
                                 std::vector<EntryResult>& results) {
  const std::size_t index = front_;
  Slot& slot = slots_[index];
  if (!slot.started) return false;
  if (!slot.startReported) {
    slot.startReported = true;
    lock.unlock();
    reporter_.entryStarted(index, entries_[index].path, done_, entries_.size());
  } else if (slot.percent) {
    // Percentages reach the slot in rising order, before any question or result that follows
    // them, so reporting them first keeps the serial order.
    const unsigned percent = *std::exchange(slot.percent, std::nullopt);
    lock.unlock();
    reporter_.fileProgress(index, percent);
  } else if (slot.question && !slot.answer) {
    const QString target = *slot.question;
    lock.unlock();
    const bool yes = reporter_.confirmOverwrite(index, target);
    lock.lock();
    slot.answer = yes;
    answered_.notify_all();
    return true;
  } else if (slot.result) {
    results.push_back(*std::exchange(slot.result, std::nullopt));
    if (results.back().countsAsDone()) ++done_;
    ++front_;
    lock.unlock();
    reporter_.entryFinished(results.back(), done_, entries_.size());
  } else {
    return false;
  }
  lock.lock();
  return true;
}

std::vector<EntryResult> OrderedReports::deliverAll() {
  std::vector<EntryResult> results;
  results.reserve(entries_.size());
  std::unique_lock lock(mutex_);
  try {
    while (front_ < slots_.size()) {
      if (deliverStep(lock, results)) continue;
      // Nothing to report for the front entry: either it will come from a worker, or, when no
      // worker is left, the run was cancelled before reaching it.
      if (workersLeft_ == 0 && !slots_[front_].started) break;
      posted_.wait(lock);
    }
  } catch (...) {
    if (lock.owns_lock()) lock.unlock();
    abandon();
    throw;
  }
  return results;
}

}  // namespace tq1
