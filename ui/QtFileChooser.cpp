// QFileDialog with the request's title, filters (the first selected), proposed name and
// overwrite question; links are shown as they are, not followed.
#include "ui/QtFileChooser.h"

#include <QFileDialog>
#include <QWidget>

namespace tq1::ui {
namespace {

std::optional<QString> firstOf(const QStringList& files) {
  if (files.isEmpty()) return std::nullopt;
  return files.first();
}

}  // namespace

QStringList QtFileChooser::run(const FileDialogRequest& request, Mode mode) {
  QFileDialog dialog(qobject_cast<QWidget*>(request.owner), request.title);
  if (!lastDirectory_.isEmpty()) dialog.setDirectory(lastDirectory_);
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
  lastDirectory_ = dialog.directory().absolutePath();
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
