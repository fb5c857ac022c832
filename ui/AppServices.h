// What the windows of the program need from outside themselves, in one object handed to each:
// the settings file, the file dialogs, the message boxes, the document opener and the tray
// test. Tests hand in their own answers.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

#include "batch/FileChooser.h"
#include "settings/SettingsStore.h"
#include "ui/MessageBoxes.h"
#include "ui/QtFileChooser.h"

namespace tq1::ui {

struct AppServices {
  SettingsStore settings{defaultSettingsPath()};
  FileChooser* files = nullptr;
  MessageBoxes* messages = nullptr;
  // Opens a document with the desktop's viewer; false when nothing could open it.
  std::function<bool(const QUrl&)> openUrl;
  // Whether a notification area exists to minimise into.
  std::function<bool()> trayAvailable;
  // The directory the program was started from, and the one that holds the program; the help
  // page is looked up in the first, then in the second.
  QString startDirectory;
  QString programDirectory;
  // The folder of the image on show (the main window keeps it up to date); file dialogs
  // start there. Empty while no image is on show.
  QString imageFolder;
};

// The services of the running desktop program: real dialogs, boxes and desktop services.
class DesktopServices {
 public:
  DesktopServices();
  DesktopServices(const DesktopServices&) = delete;
  DesktopServices& operator=(const DesktopServices&) = delete;

  [[nodiscard]] AppServices& services() noexcept { return services_; }

 private:
  QtFileChooser chooser_;
  QtMessageBoxes messages_;
  AppServices services_;
};

}  // namespace tq1::ui
