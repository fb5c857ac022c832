// Runs long work (loading, encoding, decoding a large image) on a worker thread while the
// windows keep painting: the wait cursor at once, a progress dialog fed by the codec's
// progress callback when the work takes longer than a moment.
#pragma once

#include <QString>

#include <functional>
#include <utility>

#include "codec/CodecContext.h"

class QWidget;

namespace tq1::ui {

// Runs `work` on a worker thread and returns when it has finished. Meanwhile the user's input
// to the program's windows is held back, so that nothing starts a second job or closes a
// window under the first. `work` must not touch widgets.
void runTask(QWidget* owner, const QString& label,
             const std::function<void(const ProgressCallback&)>& work);

template <typename Work>
[[nodiscard]] auto runInBackground(QWidget* owner, const QString& label, Work&& work) {
  decltype(work(ProgressCallback())) result{};
  runTask(owner, label, [&](const ProgressCallback& progress) { result = work(progress); });
  return result;
}

}  // namespace tq1::ui
