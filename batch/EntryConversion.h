// Converting one list entry: a bitmap to a .tq1 file with the entry's own settings, or a .tq1
// file to a bitmap, next to the source, with the overwrite rule applied.
#pragma once

#include <QString>

#include <functional>

#include "batch/BatchIo.h"
#include "batch/BatchReport.h"
#include "batch/ListEntry.h"

namespace tq1 {

enum class OverwritePolicy {
  Ask,      // an existing target is replaced only when the confirm hook says yes
  Replace,  // existing targets are replaced without asking
  Keep,     // existing targets are kept; the source is then not even read
};

// The file an entry converts to: the path cut at its last "." followed by ".tq1" for a bitmap
// and ".bmp" for a .tq1 image ("a.b.BMP" gives "a.b.tq1", "x.tq1.bmp" gives "x.tq1.tq1");
// empty for any other kind of entry.
[[nodiscard]] QString conversionTarget(const QString& path);

struct ConversionHooks {
  // The current file's percentage, called each time it grows.
  std::function<void(unsigned percent)> progress;
  // Asked under the Ask policy when the target exists, after the source has been read (and a
  // .tq1 source decoded), so that a damaged source never raises the question.
  std::function<bool(const QString& target)> confirmOverwrite;
};

// Converts one entry. Every failure (unreadable or damaged source, refused parameters, a
// target that cannot be written, running out of memory) comes back as a Failed result with
// its cause; only what the hooks or the io functions throw passes through. An existing
// target is replaced only when the whole new file is written. The result's index is left
// at 0 for the caller to set.
[[nodiscard]] EntryResult convertEntry(const ListEntry& entry, const BatchIo& io,
                                       OverwritePolicy policy, const ConversionHooks& hooks);

}  // namespace tq1
