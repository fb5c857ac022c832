// The list dialog's controls and commands.
#include "ui/lists/ListDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "batch/FileFilters.h"
#include "batch/ListFile.h"
#include "ui/UiResources.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlaces.h"
#include "ui/lists/ListSources.h"

namespace tq1::ui {
namespace {

constexpr QSize kListSize{380, 170};
constexpr QSize kImageButtonSize{30, 26};

QStringList localPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  return paths;
}

// A folder as the folder chooser gives it: ending in "/".
QString asChosenFolder(const QString& path) {
  const QString folder = QFileInfo(path).absoluteFilePath();
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace

ListDialog::ListDialog(ListServices services, QWidget* mainWindow)
    : QDialog(mainWindow), services_(std::move(services)), model_(this) {
  setObjectName(QStringLiteral("LIST"));
  setWindowTitle(QStringLiteral("Создание списка"));
  setModal(false);
  setAcceptDrops(true);
  buildControls();
  adjustSize();
  restoreDialogPlace(services_.app->settings, WindowKey::List, *this);

  // The list as the dialog left it last time; a missing or unreadable file is an empty list.
  ListReadResult stored = readStoredList(services_.temporaryList, currentDefaults());
  model_.replace(std::move(stored.entries));

  // Ending the program with the dialog open keeps the list as closing the dialog does.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
    conversion_.reset();
    keepList();
  });
}

ListDialog::~ListDialog() = default;

QPushButton* ListDialog::imageButton(const char* name, ButtonImage image, const QString& tip) {
  auto* button = new QPushButton(this);
  button->setObjectName(QLatin1String(name));
  const QPixmap picture = buttonImage(image);
  button->setIcon(picture);
  button->setIconSize(picture.size());
  button->setFixedSize(kImageButtonSize);
  button->setToolTip(tip);
  button->setAutoDefault(false);
  return button;
}

QMenu* ListDialog::popupMenu(QPushButton* button, const char* name) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QLatin1String(name));
  // Opens below the button, its top-left corner at the button's bottom-left corner.
  connect(button, &QPushButton::clicked, menu,
          [button, menu] { menu->popup(button->mapToGlobal(button->rect().bottomLeft())); });
  return menu;
}

void ListDialog::addCommand(QMenu* menu, const char* name, const QString& text,
                            void (ListDialog::*command)()) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QLatin1String(name));
  connect(action, &QAction::triggered, this, command);
}

void ListDialog::buildControls() {
  view_ = new QListView(this);
  view_->setObjectName(QStringLiteral("entryList"));
  view_->setModel(&model_);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every row is one line of text: the view then need not measure a hundred thousand rows.
  view_->setUniformItemSizes(true);
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view_->setMinimumSize(kListSize);

  buttons_.add = imageButton("addButton", ButtonImage::Plus,
                             QStringLiteral("Добавить"));
  buttons_.remove = imageButton("removeButton", ButtonImage::Minus,
                                QStringLiteral("Удалить"));
  buttons_.settings = imageButton("settingsButton", ButtonImage::PropGray,
                                  QStringLiteral("Настройки кодирования выделенных файлов"));
  buttons_.listFile = imageButton("listFileButton", ButtonImage::ListGray,
                                  QStringLiteral("Сохранить или загрузить список"));
  buttons_.convert = imageButton("convertButton", ButtonImage::Mark,
                                 QStringLiteral("Перекодировать список"));
  buttons_.ok = new QPushButton(QStringLiteral("OK"), this);
  buttons_.ok->setObjectName(QStringLiteral("okButton"));
  buttons_.ok->setDefault(true);

  QMenu* addMenu = popupMenu(buttons_.add, "addMenu");
  addCommand(addMenu, "addFileAction", QStringLiteral("Добавить файл"), &ListDialog::addFiles);
  addCommand(addMenu, "addDirectoryAction", QStringLiteral("Добавить директорию"),
             &ListDialog::addDirectory);
  QMenu* removeMenu = popupMenu(buttons_.remove, "removeMenu");
  addCommand(removeMenu, "removeSelectedAction", QStringLiteral("Удалить выделенные"),
             &ListDialog::removeSelected);
  addCommand(removeMenu, "removeAllAction", QStringLiteral("Удалить все"), &ListDialog::removeAll);
  QMenu* listMenu = popupMenu(buttons_.listFile, "listFileMenu");
  addCommand(listMenu, "saveListAction", QStringLiteral("Сохранить список"), &ListDialog::saveList);
  addCommand(listMenu, "loadListAction", QStringLiteral("Загрузить список"), &ListDialog::loadList);
  connect(buttons_.settings, &QPushButton::clicked, this, &ListDialog::editSelectedSettings);
  connect(buttons_.convert, &QPushButton::clicked, this, &ListDialog::convert);
  connect(buttons_.ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  for (QPushButton* button : {buttons_.add, buttons_.remove, buttons_.settings,
                              buttons_.listFile, buttons_.convert}) {
    row->addWidget(button);
  }
  row->addStretch(1);
  row->addWidget(buttons_.ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(row);
}

QWidget* ListDialog::mainWindow() const { return parentWidget(); }

EntrySettings ListDialog::currentDefaults() const {
  return entrySettingsFrom(services_.app->settings.ReadSettings());
}

bool ListDialog::isConverting() const { return conversion_ && conversion_->isRunning(); }

std::vector<std::size_t> ListDialog::selectedPositions() const {
  std::vector<std::size_t> positions;
  for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
    positions.push_back(static_cast<std::size_t>(index.row()));
  }
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

// Image files become entries with the default values; list files bring their entries with
// their stored values, which stay only where an entry lands on the position it was saved at.
void ListDialog::addFiles() {
  FileDialogRequest request;
  request.owner = this;
  request.title = QStringLiteral("Выберите файл");
  request.filters = addToListFilters();
  const QStringList paths = services_.app->files->chooseOpenFiles(request);
  if (paths.isEmpty()) return;
  const WaitCursor wait;
  appendFiles(paths, currentDefaults());
}

void ListDialog::appendFiles(const QStringList& paths, const EntrySettings& defaults) {
  model_.append(entriesFromFiles(paths, defaults));
  model_.giveDefaultsWhereNotOwn(defaults);
}

void ListDialog::addDirectory() {
  const std::optional<QString> directory = services_.directories->chooseDirectory();
  if (!directory) return;
  const WaitCursor wait;
  appendDirectory(*directory, currentDefaults());
}

// Everything a folder adds, its list files' entries included, takes the default values.
void ListDialog::appendDirectory(const QString& directory, const EntrySettings& defaults) {
  const std::size_t first = model_.list().size();
  model_.append(entriesFromDirectory(directory, defaults));
  model_.giveDefaultsFrom(first, defaults);
}

void ListDialog::addDropped(const QStringList& paths) {
  if (isConverting() || paths.isEmpty()) return;
  const WaitCursor wait;
  const EntrySettings defaults = currentDefaults();
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      appendDirectory(asChosenFolder(path), defaults);
    } else if (info.isFile()) {
      appendFiles({info.absoluteFilePath()}, defaults);
    }
  }
}

void ListDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (!isConverting() && !localPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

// Added once the drop is over: the drag source waits for the drop's answer meanwhile, and a
// large folder takes a moment.
void ListDialog::dropEvent(QDropEvent* event) {
  const QStringList paths = localPaths(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  QTimer::singleShot(0, this, [this, paths] { addDropped(paths); });
}

void ListDialog::removeSelected() {
  const std::vector<std::size_t> positions = selectedPositions();
  view_->clearSelection();
  model_.remove(positions);
}

void ListDialog::removeAll() { model_.clear(); }

void ListDialog::saveList() {
  FileDialogRequest request;
  request.owner = mainWindow();
  request.title = QStringLiteral("Выберите файл списка");
  request.filters = listFileFilters();
  request.initialName = QStringLiteral("lst");
  request.askBeforeReplace = true;
  const std::optional<QString> path = services_.app->files->chooseSaveFile(request);
  if (!path) return;
  if (!writeListFile(*path, model_.entries()).ok()) services_.boxes->warning(listWriteFailedText());
}

// The chosen file's entries replace the list, with their stored values. The list is changed
// only once a readable file has been chosen: giving up the file dialog, or choosing a file
// that cannot be read, leaves the list as it was.
void ListDialog::loadList() {
  FileDialogRequest request;
  request.owner = mainWindow();
  request.title = QStringLiteral("Выберите файл списка");
  request.filters = listFileFilters();
  const std::optional<QString> path = services_.app->files->chooseOpenFile(request);
  if (!path) return;
  const WaitCursor wait;
  ListReadResult stored = readStoredList(*path, currentDefaults());
  if (!stored.status.ok()) {
    services_.boxes->warning(listReadFailedText());
    return;
  }
  model_.replace(std::move(stored.entries));
}

// The codec options dialog shows the first selected entry's values; after OK every selected
// entry takes the edited values as its own.
void ListDialog::editSelectedSettings() {
  const std::vector<std::size_t> positions = selectedPositions();
  if (positions.empty()) return;
  const ListCodecValues shown = listCodecValuesFrom(model_.list().at(positions.front()).settings);
  const std::optional<ListCodecValues> edited = services_.editCodecValues(shown, mainWindow());
  if (!edited) return;
  EntrySettings values;
  applyListCodecValues(*edited, values);
  model_.assign(positions, values);
}

// One run at a time; the list cannot be changed or the dialog closed while it goes on.
void ListDialog::convert() {
  if (isConverting()) return;
  ConversionServices services{&services_.app->settings, services_.boxes,
                              services_.app->messages, services_.io};
  conversion_ = std::make_unique<BatchConversion>(model_.entries(), std::move(services),
                                                  ConversionWindows{this, mainWindow()});
  connect(conversion_.get(), &BatchConversion::finished, this, &ListDialog::conversionEnded,
          Qt::QueuedConnection);
  setEditingEnabled(false);
  conversion_->start();
}

void ListDialog::conversionEnded() {
  if (isConverting()) return;
  setEditingEnabled(true);
  emit conversionFinished();
}

void ListDialog::setEditingEnabled(bool enabled) {
  view_->setEnabled(enabled);
  for (QPushButton* button : {buttons_.add, buttons_.remove, buttons_.settings,
                              buttons_.listFile, buttons_.convert, buttons_.ok}) {
    button->setEnabled(enabled);
  }
}

// Closing stores the dialog's place and keeps the list in the temporary list file.
void ListDialog::keepList() {
  if (listKept_) return;
  listKept_ = true;
  storeWindowPlace(services_.app->settings, WindowKey::List, *this);
  if (!writeListFile(services_.temporaryList, model_.entries()).ok()) {
    services_.boxes->warning(listWriteFailedText());
  }
}

void ListDialog::done(int result) {
  if (isConverting()) return;
  keepList();
  QDialog::done(result);
}

void ListDialog::closeEvent(QCloseEvent* event) {
  if (isConverting()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

// A dialog shown again keeps its list again when it closes.
void ListDialog::showEvent(QShowEvent* event) {
  listKept_ = false;
  QDialog::showEvent(event);
}

// The dialog has no cancel button, so Esc does not close it.
void ListDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace tq1::ui
