// The file dialogs of the desktop program: FileChooser answered with QFileDialog.
#pragma once

#include "batch/FileChooser.h"

namespace tq1::ui {

class QtFileChooser final : public FileChooser {
 public:
  [[nodiscard]] std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override;
  [[nodiscard]] QStringList chooseOpenFiles(const FileDialogRequest& request) override;
  [[nodiscard]] std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override;
};

}  // namespace tq1::ui
