// The program's name, version and window title texts.
#pragma once

#include <QString>

namespace tq1::ui {

// The title of the main window before any file is opened, and the caption of every message.
inline const QString kAppTitle = QStringLiteral("RI1 Vuzud Uvizo");

// The version shown in the About box.
[[nodiscard]] QString appVersion();

// "RI1 Vuzud Uvizo - " followed by the whole path of the file last opened or saved.
[[nodiscard]] QString windowTitleFor(const QString& path);

}  // namespace tq1::ui
