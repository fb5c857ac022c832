// The main window: the menu, the image on show with its view and status line, opening and
// saving files (also dropped ones), the dialogs it opens, and hiding into the notification
// area together with them.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>

#include "ui/AppServices.h"
#include "ui/HiddenWindows.h"

class QAction;
class QLabel;

namespace tq1::ui {

class CodecOptionsDialog;
class ImageView;
class TrayIcon;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(AppServices& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens a .bmp or .tq1 file and shows it; on failure a message says why and the window
  // stays as it was.
  bool loadFile(const QString& path);
  // Writes the image on show in the format that the path's extension names.
  bool saveFile(const QString& path);

  // Shows the window with the place, size and show state stored at the last exit.
  void showAtStoredPlace();

  [[nodiscard]] AppServices& services() noexcept { return services_; }
  [[nodiscard]] ImageView* view() const noexcept { return view_; }
  [[nodiscard]] const QImage& image() const;
  [[nodiscard]] const QString& currentPath() const noexcept { return currentPath_; }
  [[nodiscard]] QPoint previewOrigin() const noexcept { return previewOrigin_; }
  // The open codec options dialog, or none.
  [[nodiscard]] CodecOptionsDialog* codecOptionsDialog() const;
  [[nodiscard]] TrayIcon* trayIcon() const noexcept { return tray_; }
  [[nodiscard]] bool isInTray() const noexcept { return inTray_; }
  // The status line's parts: image size, file size on disk, zoom.
  [[nodiscard]] QStringList statusTexts() const;

 signals:
  // The "С&писок..." command: the batch list dialog connects here and opens itself, owned by
  // this window. Until it does, the command shows nothing.
  void listDialogRequested();
  // The program should end ("Выход" from the menu or the notification area).
  void quitRequested();

 public slots:
  void open();
  void save();
  void exitProgram();
  void showCodecOptions();
  void showInterfaceOptions();
  void showHelp();
  void showAbout();
  void restoreFromTray();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createActions();
  void createViewMenu();
  void createStatusLine();
  void updateStatusLine();
  void updateActions();
  void showImage(const QImage& image, const QString& path, bool keepScrollPosition);
  void setCurrentPath(const QString& path);
  bool saveBitmap(const QString& path);
  bool saveTq1(const QString& path);
  void startAreaSelection(QSize areaSize);
  void minimiseToTray(Qt::WindowStates previousState);

  AppServices& services_;
  ImageView* view_;
  TrayIcon* tray_;
  QString currentPath_;
  QPoint previewOrigin_;
  QPointer<CodecOptionsDialog> codecDialog_;
  HiddenWindows hiddenWithTray_;
  bool inTray_ = false;
  bool started_ = false;  // the first showing is over; minimising may now go to the tray
  QAction* saveAction_ = nullptr;
  QList<QAction*> zoomActions_;
  QLabel* imageSizeLabel_ = nullptr;
  QLabel* fileSizeLabel_ = nullptr;
  QLabel* zoomLabel_ = nullptr;
};

}  // namespace tq1::ui
