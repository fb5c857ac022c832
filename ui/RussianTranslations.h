// The standard dialogs and buttons that Qt draws itself (file dialogs, message box buttons,
// the overwrite question) speak Russian like the rest of the program, whatever the locale.
#pragma once

#include <QString>

class QCoreApplication;

namespace tq1::ui {

// Loads Qt's own Russian translations into the application and makes Russian the default
// locale. The interface is Russian only, so the system locale is not consulted. Returns the
// file that was loaded, or an empty text when no translation file was found (the standard
// dialogs then stay in English; nothing else changes).
QString installRussianTranslations(QCoreApplication& app);

}  // namespace tq1::ui
