// The folder in which the last file dialog was left, kept in "tq1.ini" in a section of its own
// ("Folders", key "last") as the path's bytes in plain text. The binary records of the file
// are not touched by it, and it is not one of them.
#pragma once

#include <QString>

#include "settings/SettingsStore.h"

namespace tq1 {

// The remembered folder; empty when none was kept or the file cannot be read.
[[nodiscard]] QString readLastFolder(const SettingsStore& store);

// Remembers `folder` (an absolute path). A path that the file cannot hold as one line of text
// (line breaks or other control characters, blanks at either end, which reading would trim)
// is not written; false then, and when the file cannot be written.
bool writeLastFolder(const SettingsStore& store, const QString& folder);

}  // namespace tq1
