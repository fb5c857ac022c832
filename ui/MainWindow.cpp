// The main window's commands: open, save, the dialogs, zoom, help, exit, dropped files and the
// notification area.
#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWindowStateChangeEvent>

#include "batch/FileFilters.h"
#include "batch/FileNames.h"
#include "ui/AboutDialog.h"
#include "ui/AppTitle.h"
#include "ui/BackgroundTask.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/ErrorText.h"
#include "ui/HelpPage.h"
#include "ui/ImageJobs.h"
#include "ui/ImageView.h"
#include "ui/InterfaceOptionsDialog.h"
#include "ui/StatusLineText.h"
#include "ui/TrayIcon.h"
#include "ui/UiResources.h"
#include "ui/WindowPlaces.h"

namespace tq1::ui {
namespace {

const QString kUnsupportedFormat = QStringLiteral("Неподдерживаемый формат");

QAction* addCommand(QMenu* menu, const char* name, const QString& text,
                    const QList<QKeySequence>& shortcuts = {}) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QLatin1String(name));
  action->setShortcuts(shortcuts);
  return action;
}

// The file a drop brings: the first local file among the dropped URLs, or none.
QString droppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
  }
  return {};
}

}  // namespace

MainWindow::MainWindow(AppServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      view_(new ImageView(this)),
      tray_(new TrayIcon(this)) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(kAppTitle);
  setWindowIcon(mainIcon());
  setCentralWidget(view_);
  setAcceptDrops(true);
  createActions();
  createStatusLine();
  updateActions();
  connect(view_, &ImageView::areaChosen, this, [this](QPoint origin) {
    previewOrigin_ = origin;
    if (codecDialog_) codecDialog_->resumeWithAreaOrigin(origin);
  });
  connect(view_, &ImageView::areaSelectionCancelled, this, [this] {
    if (codecDialog_) codecDialog_->resumeWithoutArea();
  });
  connect(view_, &ImageView::zoomChanged, this, &MainWindow::updateStatusLine);
  connect(tray_, &TrayIcon::restoreRequested, this, &MainWindow::restoreFromTray);
  connect(tray_, &TrayIcon::exitRequested, this, &MainWindow::exitProgram);
}

MainWindow::~MainWindow() = default;

const QImage& MainWindow::image() const { return view_->image(); }

CodecOptionsDialog* MainWindow::codecOptionsDialog() const { return codecDialog_; }

void MainWindow::createActions() {
  menuBar()->setObjectName(QStringLiteral("MAINMENU"));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&Файл"));
  file->setObjectName(QStringLiteral("fileMenu"));
  connect(addCommand(file, "openAction", QStringLiteral("&Открыть"),
                     {QKeySequence(Qt::CTRL | Qt::Key_O)}),
          &QAction::triggered, this, &MainWindow::open);
  saveAction_ = addCommand(file, "saveAction", QStringLiteral("&Сохранить"),
                           {QKeySequence(Qt::CTRL | Qt::Key_S)});
  connect(saveAction_, &QAction::triggered, this, &MainWindow::save);
  file->addSeparator();
  connect(addCommand(file, "listAction", QStringLiteral("С&писок...")), &QAction::triggered, this,
          &MainWindow::listDialogRequested);
  file->addSeparator();
  connect(addCommand(file, "exitAction", QStringLiteral("&Выход"),
                     {QKeySequence(Qt::CTRL | Qt::Key_Q)}),
          &QAction::triggered, this, &MainWindow::exitProgram);

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Настройки"));
  options->setObjectName(QStringLiteral("optionsMenu"));
  connect(addCommand(options, "codecOptionsAction", QStringLiteral("&Кодирование")),
          &QAction::triggered, this, &MainWindow::showCodecOptions);
  connect(addCommand(options, "interfaceOptionsAction", QStringLiteral("&Интерфейс")),
          &QAction::triggered, this, &MainWindow::showInterfaceOptions);

  createViewMenu();

  QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
  help->setObjectName(QStringLiteral("helpMenu"));
  connect(addCommand(help, "helpAction", QStringLiteral("&Помощь"), {QKeySequence(Qt::Key_F1)}),
          &QAction::triggered, this, &MainWindow::showHelp);
  help->addSeparator();
  connect(addCommand(help, "aboutAction", QStringLiteral("&О программе")), &QAction::triggered,
          this, &MainWindow::showAbout);
}

// Between "&Настройки" and "&?": the zoom of the view.
void MainWindow::createViewMenu() {
  QMenu* menu = menuBar()->addMenu(QStringLiteral("&Вид"));
  menu->setObjectName(QStringLiteral("viewMenu"));
  QAction* fit = addCommand(menu, "zoomFitAction", QStringLiteral("&По размеру окна"));
  QAction* natural = addCommand(menu, "zoomNaturalAction", QStringLiteral("&Исходный размер"),
                                {QKeySequence(Qt::CTRL | Qt::Key_0)});
  // Ctrl+= as well: on many keyboards "+" is Shift+"=".
  QAction* in = addCommand(menu, "zoomInAction", QStringLiteral("&Увеличить"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Plus),
                            QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  QAction* out = addCommand(menu, "zoomOutAction", QStringLiteral("У&меньшить"),
                            {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
  connect(fit, &QAction::triggered, view_, &ImageView::zoomToFit);
  connect(natural, &QAction::triggered, view_, &ImageView::zoomToNaturalSize);
  connect(in, &QAction::triggered, view_, &ImageView::zoomIn);
  connect(out, &QAction::triggered, view_, &ImageView::zoomOut);
  zoomActions_ = {fit, natural, in, out};
}

void MainWindow::createStatusLine() {
  statusBar()->setObjectName(QStringLiteral("statusLine"));
  statusBar()->setSizeGripEnabled(true);
  imageSizeLabel_ = new QLabel(this);
  imageSizeLabel_->setObjectName(QStringLiteral("imageSizeLabel"));
  fileSizeLabel_ = new QLabel(this);
  fileSizeLabel_->setObjectName(QStringLiteral("fileSizeLabel"));
  zoomLabel_ = new QLabel(this);
  zoomLabel_->setObjectName(QStringLiteral("zoomLabel"));
  statusBar()->addWidget(imageSizeLabel_);
  statusBar()->addWidget(fileSizeLabel_);
  statusBar()->addPermanentWidget(zoomLabel_);
  updateStatusLine();
}

void MainWindow::updateStatusLine() {
  const bool shown = view_->hasImage();
  imageSizeLabel_->setText(shown ? imageSizeText(view_->image().size()) : QString());
  const QFileInfo file(currentPath_);
  fileSizeLabel_->setText(shown && file.isFile() ? fileSizeText(file.size()) : QString());
  zoomLabel_->setText(shown ? zoomText(view_->zoom()) : QString());
}

QStringList MainWindow::statusTexts() const {
  return {imageSizeLabel_->text(), fileSizeLabel_->text(), zoomLabel_->text()};
}

// Saving and zooming need an image on show.
void MainWindow::updateActions() {
  saveAction_->setEnabled(view_->hasImage());
  for (QAction* action : zoomActions_) action->setEnabled(view_->hasImage());
}

void MainWindow::showAtStoredPlace() {
  showMainWindowAtStoredPlace(services_.settings, *this);
  started_ = true;
}

void MainWindow::open() {
  FileDialogRequest request;
  request.owner = this;
  request.title = QStringLiteral("Открытие файла");
  request.filters = imageFileFilters();
  const std::optional<QString> path = services_.files->chooseOpenFile(request);
  if (path) loadFile(*path);
}

bool MainWindow::loadFile(const QString& path) {
  const FileKind kind = classifyFile(path);
  if (kind == FileKind::Other) {
    services_.messages->information(this, kUnsupportedFormat);
    return false;
  }
  const QString fullPath = QFileInfo(path).absoluteFilePath();
  const QString label = kind == FileKind::Bitmap ? QStringLiteral("Чтение изображения...")
                                                 : QStringLiteral("Декодирование...");
  const ImageJobResult result = runInBackground(this, label, [&](const ProgressCallback& progress) {
    return loadViewImage(fullPath, kind, progress);
  });
  if (!result.ok()) {
    services_.messages->error(this, openFailedText(fullPath, result.error));
    return false;
  }
  showImage(result.image, fullPath, false);
  return true;
}

void MainWindow::save() {
  if (!view_->hasImage()) return;
  FileDialogRequest request;
  request.owner = this;
  request.title = QStringLiteral("Сохранение файла");
  request.filters = imageFileFilters();
  request.initialName = baseName(currentPath_);
  request.askBeforeReplace = services_.settings.ReadSettings().overwriteWithoutAsking == 0;
  const std::optional<QString> path = services_.files->chooseSaveFile(request);
  if (path) saveFile(*path);
}

bool MainWindow::saveFile(const QString& path) {
  if (!view_->hasImage()) return false;
  switch (classifyFile(path)) {
    case FileKind::Bitmap: return saveBitmap(QFileInfo(path).absoluteFilePath());
    case FileKind::Tq1Image: return saveTq1(QFileInfo(path).absoluteFilePath());
    case FileKind::Other: break;
  }
  services_.messages->information(this, kUnsupportedFormat);
  return false;
}

// A bitmap is written from the image on show, which stays in the view.
bool MainWindow::saveBitmap(const QString& path) {
  const QImage shown = view_->image();
  const ImageJobResult result =
      runInBackground(this, QStringLiteral("Запись изображения..."),
                      [&](const ProgressCallback&) { return saveBitmapFile(shown, path); });
  if (!result.ok()) {
    services_.messages->error(this, saveFailedText(path, result.error));
    return false;
  }
  setCurrentPath(path);
  return true;
}

// A .tq1 file is coded with the current settings; the view then shows the image as the
// encoder rebuilt it from its own tokens, which is what opening the file will show.
bool MainWindow::saveTq1(const QString& path) {
  const QImage shown = view_->image();
  const CodecParams params = codecParamsFromSettings(services_.settings.ReadSettings());
  const ImageJobResult result = runInBackground(
      this, QStringLiteral("Кодирование..."),
      [&](const ProgressCallback& progress) { return saveTq1File(shown, params, path, progress); });
  if (!result.ok()) {
    services_.messages->error(this, saveFailedText(path, result.error));
    return false;
  }
  showImage(result.image, path, true);
  return true;
}

void MainWindow::showImage(const QImage& image, const QString& path, bool keepScrollPosition) {
  if (keepScrollPosition) {
    view_->replaceImage(image);
  } else {
    view_->setImage(image);
  }
  setCurrentPath(path);
  updateActions();
  if (codecDialog_) codecDialog_->setImage(image);
}

// The title, the status line and the folder where file dialogs start follow the file last
// opened or saved.
void MainWindow::setCurrentPath(const QString& path) {
  currentPath_ = path;
  services_.imageFolder = QFileInfo(path).absolutePath();
  setWindowTitle(windowTitleFor(path));
  updateStatusLine();
}

// One codec options dialog at a time: the command brings back the open one, also when it is
// hidden or minimised.
void MainWindow::showCodecOptions() {
  if (codecDialog_) {
    if (view_->isSelectingArea()) {
      view_->cancelAreaSelection();  // the dialog comes back through areaSelectionCancelled
    } else {
      bringBack(*codecDialog_);
    }
    return;
  }
  auto* dialog = new CodecOptionsDialog(services_.settings, view_->image(), previewOrigin_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &CodecOptionsDialog::areaSelectionRequested, this,
          &MainWindow::startAreaSelection);
  codecDialog_ = dialog;
  dialog->show();
}

void MainWindow::startAreaSelection(QSize areaSize) {
  view_->startAreaSelection(areaSize);
  raise();
  activateWindow();
}

void MainWindow::showInterfaceOptions() {
  InterfaceOptionsDialog dialog(services_.settings, this);
  dialog.exec();
}

void MainWindow::showAbout() {
  AboutDialog dialog(services_.settings, this);
  dialog.exec();
}

void MainWindow::showHelp() {
  const QString path = resolveHelpPage(services_.startDirectory, services_.programDirectory);
  if (path.isEmpty() || !services_.openUrl(QUrl::fromLocalFile(path))) {
    services_.messages->error(this, QStringLiteral("Не удалось открыть справку %1.")
                                        .arg(path.isEmpty() ? kHelpPageName : path));
  }
}

void MainWindow::exitProgram() {
  if (!close()) return;
  tray_->hide();
  inTray_ = false;
}

// The close box and "Выход" both end here, and nothing else ends the program (closing the
// last visible window does not): the window's place is stored for the next start.
void MainWindow::closeEvent(QCloseEvent* event) {
  storeWindowPlace(services_.settings, WindowKey::Main, *this);
  if (codecDialog_) codecDialog_->reject();
  event->accept();
  emit quitRequested();
}

// A dropped file opens as if chosen with "Открыть", with the same checks and messages.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop is over: the drag source waits for the drop's answer meanwhile.
  QTimer::singleShot(0, this, [this, path] { loadFile(path); });
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !started_) return;
  const Qt::WindowStates previous = static_cast<QWindowStateChangeEvent*>(event)->oldState();
  if (isMinimized() && !(previous & Qt::WindowMinimized)) {
    // Hiding a window while its state is changing confuses some window managers: do it next.
    QTimer::singleShot(0, this, [this, previous] { minimiseToTray(previous); });
  }
}

// With the option on and a notification area present, a minimised window hides behind its
// icon instead, and every other window of the program with it; it keeps its former (normal
// or maximised) state for when it comes back.
void MainWindow::minimiseToTray(Qt::WindowStates previousState) {
  if (!isMinimized() || inTray_) return;
  if (services_.settings.ReadSettings().minimiseToTray != 1) return;
  if (!services_.trayAvailable || !services_.trayAvailable()) return;
  hiddenWithTray_.hideAllBut(this);
  // Out of the minimised state before hiding: a window manager then withdraws the window
  // with its frame instead of keeping it as an icon (or an empty frame) on screen.
  setWindowState(previousState & ~Qt::WindowMinimized);
  hide();
  tray_->show();
  inTray_ = true;
}

// The main window comes back first, then the windows that were open with it, at their places.
void MainWindow::restoreFromTray() {
  if (!inTray_) return;
  show();
  raise();
  activateWindow();
  hiddenWithTray_.showAgain();
  tray_->hide();
  inTray_ = false;
}

}  // namespace tq1::ui
