// The "Выбор директории" dialog: the folder tree from "/" down, read as the user opens it,
// with the home folder open and selected at the start. OK gives the selected folder's path
// ending in "/"; "Отмена" and the close box give nothing.
#pragma once

#include <QDialog>
#include <QString>

#include "settings/SettingsStore.h"
#include "ui/lists/DirectoryChooser.h"

class QFileSystemModel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace tq1::ui {

class DirectorySelectionDialog final : public QDialog {
  Q_OBJECT

 public:
  // `startFolder` is opened and selected (the home folder in the program).
  DirectorySelectionDialog(const SettingsStore& store, const QString& startFolder,
                           QWidget* owner = nullptr);

  // After the dialog ends: the chosen folder ending in "/", or empty when nothing was chosen.
  [[nodiscard]] const QString& chosenDirectory() const noexcept { return chosen_; }

  [[nodiscard]] QTreeView* tree() const noexcept { return tree_; }
  [[nodiscard]] QFileSystemModel* folders() const noexcept { return folders_; }
  // Selects the folder at `path` and opens the folders above it.
  void selectFolder(const QString& path);

 public slots:
  void done(int result) override;

 private:
  [[nodiscard]] QString selectedPath() const;

  const SettingsStore& store_;
  QFileSystemModel* folders_;
  QTreeView* tree_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QString chosen_;
};

// The path of a folder as the list dialog takes it: ending in exactly one "/".
[[nodiscard]] QString directoryWithSlash(const QString& path);

// Runs the dialog modally, without an owner window, at its stored place.
class DialogDirectoryChooser final : public DirectoryChooser {
 public:
  explicit DialogDirectoryChooser(const SettingsStore& store) : store_(store) {}
  [[nodiscard]] std::optional<QString> chooseDirectory() override;

 private:
  const SettingsStore& store_;
};

}  // namespace tq1::ui
