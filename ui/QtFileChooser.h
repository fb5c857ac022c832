// The file dialogs of the desktop program: FileChooser answered with QFileDialog.
#pragma once

#include "batch/FileChooser.h"

namespace tq1::ui {

// Each dialog opens in the folder where the previous one was left, as people expect of a
// program they use every day.
class QtFileChooser final : public FileChooser {
 public:
  [[nodiscard]] std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override;
  [[nodiscard]] QStringList chooseOpenFiles(const FileDialogRequest& request) override;
  [[nodiscard]] std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override;

 private:
  enum class Mode { OpenOne, OpenMany, Save };
  [[nodiscard]] QStringList run(const FileDialogRequest& request, Mode mode);

  QString lastDirectory_;
};

}  // namespace tq1::ui
