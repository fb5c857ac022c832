// Entry hand-out for parallel runs: list order, with entries that share a file serialised.
#include "batch/EntryScheduler.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>

#include "batch/EntryConversion.h"

namespace tq1 {

QString fileKey(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
  if (folder.isEmpty()) return QDir::cleanPath(info.absoluteFilePath());
  return folder + u'/' + info.fileName();
}

std::vector<std::vector<std::size_t>> sharedFileDependencies(std::span<const ListEntry> entries) {
  std::vector<std::vector<std::size_t>> dependencies(entries.size());
  QHash<QString, std::size_t> lastUser;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const QString target = conversionTarget(entries[k].path);
    if (target.isEmpty()) continue;
    const QString files[] = {fileKey(entries[k].path), fileKey(target)};
    for (const QString& file : files) {
      const auto found = lastUser.constFind(file);
      if (found != lastUser.constEnd()) dependencies[k].push_back(*found);
    }
    for (const QString& file : files) lastUser.insert(file, k);
  }
  return dependencies;
}

EntryScheduler::EntryScheduler(std::vector<std::vector<std::size_t>> dependencies,
                               const std::atomic<bool>& cancelled)
    : dependencies_(std::move(dependencies)),
      cancelled_(cancelled),
      complete_(dependencies_.size(), 0) {}

std::optional<std::size_t> EntryScheduler::next() {
  std::unique_lock lock(mutex_);
  if (next_ == dependencies_.size() || cancelled_.load()) return std::nullopt;
  const std::size_t index = next_++;
  // An entry once handed out is always converted, even if the run is cancelled meanwhile:
  // the entries run are then always a prefix of the list.
  const auto& waitFor = dependencies_[index];
  completed_.wait(lock, [&] {
    return std::all_of(waitFor.begin(), waitFor.end(), [&](std::size_t j) { return complete_[j] != 0; });
  });
  return index;
}

void EntryScheduler::complete(std::size_t index) {
  {
    const std::lock_guard lock(mutex_);
    complete_[index] = 1;
  }
  completed_.notify_all();
}

}  // namespace tq1
