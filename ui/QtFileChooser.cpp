// QFileDialog with the request's title, filters (the first selected), proposed name and
// overwrite question; links are shown as they are, not followed.
#include "ui/QtFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

#include "settings/FolderMemory.h"

namespace tq1::ui {
namespace {

std::optional<QString> firstOf(const QStringList& files) {
  if (files.isEmpty()) return std::nullopt;
  return files.first();
}

bool isFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

}  // namespace

QString dialogStartFolder(const QString& imageFolder, const QString& lastFolder) {
  if (isFolder(imageFolder)) return imageFolder;
  if (isFolder(lastFolder)) return lastFolder;
  return {};
}

void QtFileChooser::setFolderSources(std::function<QString()> imageFolder,
                                     const SettingsStore* store) {
  imageFolder_ = std::move(imageFolder);
  store_ = store;
}

QString QtFileChooser::startFolder() const {
  return dialogStartFolder(imageFolder_ ? imageFolder_() : QString(),
                           store_ != nullptr ? readLastFolder(*store_) : QString());
}

QStringList QtFileChooser::run(const FileDialogRequest& request, Mode mode) {
  QFileDialog dialog(qobject_cast<QWidget*>(request.owner), request.title);
  dialog.setObjectName(QStringLiteral("fileDialog"));
  // The desktop's own dialog would speak the desktop's language, not the program's.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QString folder = startFolder();
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  const QStringList filters = request.filters.nameFilters();
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
  dialog.setOption(QFileDialog::DontResolveSymlinks);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (mode == Mode::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeReplace);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mode == Mode::OpenMany ? QFileDialog::ExistingFiles
                                              : QFileDialog::ExistingFile);
  }
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  if (dialog.exec() != QDialog::Accepted) return {};
  if (store_ != nullptr) writeLastFolder(*store_, dialog.directory().absolutePath());
  return dialog.selectedFiles();
}

std::optional<QString> QtFileChooser::chooseOpenFile(const FileDialogRequest& request) {
  return firstOf(run(request, Mode::OpenOne));
}

QStringList QtFileChooser::chooseOpenFiles(const FileDialogRequest& request) {
  return run(request, Mode::OpenMany);
}

std::optional<QString> QtFileChooser::chooseSaveFile(const FileDialogRequest& request) {
  return firstOf(run(request, Mode::Save));
}

}  // namespace tq1::ui
