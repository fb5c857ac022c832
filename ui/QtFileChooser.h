// The file dialogs of the desktop program: FileChooser answered with QFileDialog.
#pragma once

#include <QString>

#include <functional>

#include "batch/FileChooser.h"
#include "settings/SettingsStore.h"

namespace tq1::ui {

// The folder a file dialog opens in: the folder of the image on show when it exists, else the
// folder the last dialog was left in when that exists, else none (the dialog's own choice).
[[nodiscard]] QString dialogStartFolder(const QString& imageFolder, const QString& lastFolder);

// Qt's own dialog (not the desktop's), so that it speaks the program's language. Each dialog
// opens where dialogStartFolder says, and the folder it is left in is remembered in the
// settings file for the next one, also across runs.
class QtFileChooser final : public FileChooser {
 public:
  // `imageFolder` gives the folder of the image on show (empty for none); the last folder
  // is kept through `store`. Until this is called, dialogs open in the dialog's own choice
  // and nothing is remembered.
  void setFolderSources(std::function<QString()> imageFolder, const SettingsStore* store);

  [[nodiscard]] std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override;
  [[nodiscard]] QStringList chooseOpenFiles(const FileDialogRequest& request) override;
  [[nodiscard]] std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override;

 private:
  enum class Mode { OpenOne, OpenMany, Save };
  [[nodiscard]] QStringList run(const FileDialogRequest& request, Mode mode);
  [[nodiscard]] QString startFolder() const;

  std::function<QString()> imageFolder_;
  const SettingsStore* store_ = nullptr;
};

}  // namespace tq1::ui
