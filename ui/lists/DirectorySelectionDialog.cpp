// The folder tree dialog: a lazily filled QFileSystemModel showing folders only.
#include "ui/lists/DirectorySelectionDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/WindowPlaces.h"

namespace tq1::ui {
namespace {

constexpr QSize kTreeSize{340, 360};

QFileSystemModel* folderModel(QObject* parent) {
  auto* model = new QFileSystemModel(parent);
  // Folders only: no files, no "." and "..", no hidden folders (no QDir::Hidden), and no
  // symbolic links, which could lead round in circles or out of the tree.
  model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
  model->setReadOnly(true);
  model->setRootPath(QDir::rootPath());
  return model;
}

}  // namespace

QString directoryWithSlash(const QString& path) {
  if (path.isEmpty()) return {};
  QString cleaned = QDir::cleanPath(path);
  if (!cleaned.endsWith(u'/')) cleaned.append(u'/');
  return cleaned;
}

DirectorySelectionDialog::DirectorySelectionDialog(const SettingsStore& store,
                                                   const QString& startFolder, QWidget* owner)
    : QDialog(owner), store_(store), folders_(folderModel(this)), tree_(new QTreeView(this)) {
  setObjectName(QStringLiteral("DIRSELECT"));
  setWindowTitle(QStringLiteral("Выбор директории"));

  tree_->setObjectName(QStringLiteral("folderTree"));
  tree_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setSortingEnabled(true);
  tree_->sortByColumn(0, Qt::AscendingOrder);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setMinimumSize(kTreeSize);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("okButton"));
  ok_->setDefault(true);
  cancel_ = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_);
  layout->addWidget(buttons);

  // The folders are read in the background: the start folder comes into view once the
  // folders above it have been read and its row has its final place.
  const QString start = QDir::cleanPath(startFolder);
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this, start](const QString& path) {
    if (start == path || start.startsWith(directoryWithSlash(path))) {
      tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
  });
  selectFolder(start);
  adjustSize();
  restoreDialogPlace(store_, WindowKey::Dirlist, *this);
}

void DirectorySelectionDialog::selectFolder(const QString& path) {
  const QModelIndex target = folders_->index(QDir::cleanPath(path));
  if (!target.isValid()) return;
  for (QModelIndex above = target.parent(); above.isValid(); above = above.parent()) {
    tree_->expand(above);
  }
  tree_->expand(target);
  tree_->setCurrentIndex(target);
  tree_->scrollTo(target, QAbstractItemView::PositionAtCenter);
}

QString DirectorySelectionDialog::selectedPath() const {
  const QModelIndexList selected = tree_->selectionModel()->selectedRows();
  if (selected.isEmpty()) return {};
  return directoryWithSlash(folders_->filePath(selected.first()));
}

// OK takes the selected folder; "Отмена", the close box and Esc take nothing. Every way out
// stores the dialog's place.
void DirectorySelectionDialog::done(int result) {
  chosen_ = result == QDialog::Accepted ? selectedPath() : QString();
  storeWindowPlace(store_, WindowKey::Dirlist, *this);
  QDialog::done(result);
}

std::optional<QString> DialogDirectoryChooser::chooseDirectory() {
  DirectorySelectionDialog dialog(store_, QDir::homePath());
  dialog.exec();
  if (dialog.chosenDirectory().isEmpty()) return std::nullopt;
  return dialog.chosenDirectory();
}

}  // namespace tq1::ui
