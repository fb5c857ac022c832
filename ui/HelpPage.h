// Where the help page "tqmenu.htm" is found.
#pragma once

#include <QString>

namespace tq1::ui {

inline const QString kHelpPageName = QStringLiteral("tqmenu.htm");

// "tqmenu.htm" in the directory the program was started from when one is there, else the
// page installed beside the program; empty when neither exists.
[[nodiscard]] QString helpPagePath(const QString& startDirectory, const QString& programDirectory);

// helpPagePath, or when neither place has the page, a copy of the page compiled into the
// program written to the user's data folder; empty only when that copy cannot be written.
[[nodiscard]] QString resolveHelpPage(const QString& startDirectory,
                                      const QString& programDirectory);

}  // namespace tq1::ui
