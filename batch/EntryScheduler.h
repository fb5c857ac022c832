// Hands list entries to worker threads in list order, holding an entry back while an earlier
// entry that uses one of its files is still being converted, so that a parallel run reads and
// writes every file in the same order as a serial run.
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "batch/ListEntry.h"

namespace tq1 {

// One name per file, whatever way a path spells it: the folder with its links resolved
// (when it exists) and the file's own name, so "/a/./x.bmp" and "/link-to-a/x.bmp" agree.
[[nodiscard]] QString fileKey(const QString& path);

// For each entry, the earlier entries it must wait for: for its source and its target, the
// latest earlier entry whose source or target is the same file. Waiting for the latest is
// enough because that one waited for those before it. Entries that are not images use no
// files and wait for nothing.
[[nodiscard]] std::vector<std::vector<std::size_t>> sharedFileDependencies(
    std::span<const ListEntry> entries);

class EntryScheduler {
 public:
  // Stops handing out entries once `cancelled` is set; entries already handed out finish.
  EntryScheduler(std::vector<std::vector<std::size_t>> dependencies,
                 const std::atomic<bool>& cancelled);

  // The next entry in list order, returned once the entries it depends on are complete;
  // nothing when every entry has been handed out or the run is cancelled.
  [[nodiscard]] std::optional<std::size_t> next();

  // Entry `index` has written its files.
  void complete(std::size_t index);

 private:
  std::vector<std::vector<std::size_t>> dependencies_;
  const std::atomic<bool>& cancelled_;
  std::mutex mutex_;
  std::condition_variable completed_;
  std::vector<char> complete_;
  std::size_t next_ = 0;
};

}  // namespace tq1
