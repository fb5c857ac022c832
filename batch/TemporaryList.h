// Where the list dialog keeps its list between uses: a per-user file, never in a shared
// folder such as /tmp, where another user could read, replace or link a fixed name.
#pragma once

#include <QString>

namespace tq1 {

// "tmp.lst" in the program's own data folder (QStandardPaths::AppLocalDataLocation, for
// example ~/.local/share/tq1/tmp.lst). The folder is created when missing, so that the
// first save of the list can succeed; with no application name set the folder is "tq1"
// under the generic data folder rather than the generic folder itself.
[[nodiscard]] QString temporaryListPath();

}  // namespace tq1
