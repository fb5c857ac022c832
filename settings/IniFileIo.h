// Loading and atomically replacing the ini file behind the settings store.
#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "settings/IniDocument.h"

namespace tq1 {

// The document in the file; an absent file is an empty document. Nothing when the file
// exists but cannot be read, or is too large to be a settings file.
[[nodiscard]] std::optional<IniDocument> loadIniFile(const QString& path);

// Loads the file, applies `edit` and replaces the file through a temporary file and a
// rename, under a lock file so that two programs editing different keys at the same
// moment both keep their change. False when anything fails; the old file then stays.
bool editIniFile(const QString& path, const std::function<void(IniDocument&)>& edit);

}  // namespace tq1
