// Where the help page "tqmenu.htm" is found.
#pragma once

#include <QString>

namespace tq1::ui {

inline const QString kHelpPageName = QStringLiteral("tqmenu.htm");

// The folder of the program's data files in an installed tree ("share/tq1" beside "bin"),
// found from the program's own folder so that any installation prefix works.
[[nodiscard]] QString installedDataDirectory(const QString& programDirectory);

// "tqmenu.htm" in the directory the program was started from when one is there, else the
// page beside the program (a build tree), else the one in the installed data folder; empty
// when none exists.
[[nodiscard]] QString helpPagePath(const QString& startDirectory, const QString& programDirectory);

// helpPagePath, or when neither place has the page, a copy of the page compiled into the
// program written to the user's data folder; empty only when that copy cannot be written.
[[nodiscard]] QString resolveHelpPage(const QString& startDirectory,
                                      const QString& programDirectory);

}  // namespace tq1::ui
