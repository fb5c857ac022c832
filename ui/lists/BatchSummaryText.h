// The message that ends a batch run in which files failed: how many, and for each failed
// entry its file and why, in words for the user.
#pragma once

#include <QString>

#include "batch/BatchRun.h"

namespace tq1::ui {

// Failed entries listed by name in the message; the rest are counted.
inline constexpr std::size_t kFailuresListed = 15;

// The reason of one failed entry, starting in lower case: "не удалось прочитать файл".
[[nodiscard]] QString failureReason(const EntryResult& result);

// Empty when the run converted everything it was meant to (nothing failed, nothing was left
// out); otherwise the text of the summary box.
[[nodiscard]] QString failureSummaryText(const BatchSummary& summary);

}  // namespace tq1::ui
