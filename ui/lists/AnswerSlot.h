// One answer handed from the user-interface thread to a worker thread that waits for it: the
// worker asks, blocks in wait(), and goes on when the answer is given or the asker has gone.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>

namespace tq1::ui {

class AnswerSlot {
 public:
  // Worker side: forgets an earlier answer before the next question is posted.
  void reset() {
    const std::lock_guard lock(mutex_);
    answer_.reset();
  }
  // Worker side: the answer, or `whenAbandoned` once abandon() was called.
  [[nodiscard]] bool wait(bool whenAbandoned) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return answer_.has_value() || abandoned_; });
    return answer_.value_or(whenAbandoned);
  }
  // User-interface side.
  void give(bool answer) {
    {
      const std::lock_guard lock(mutex_);
      answer_ = answer;
    }
    changed_.notify_all();
  }
  // User-interface side: no answer will come; every wait, present and future, returns.
  void abandon() {
    {
      const std::lock_guard lock(mutex_);
      abandoned_ = true;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<bool> answer_;
  bool abandoned_ = false;
};

}  // namespace tq1::ui
