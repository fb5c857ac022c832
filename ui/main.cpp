// The desktop program: the main window at its stored place, and the file named on the command
// line opened as if it had been chosen with "Открыть".
#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <csignal>

#include "ui/AppServices.h"
#include "ui/MainWindow.h"
#include "ui/RussianTranslations.h"
#include "ui/UiResources.h"
#include "ui/lists/ListDialogLauncher.h"
#include "ui/lists/ListServices.h"

int main(int argc, char** argv) {
  // A save beyond the file size limit (ulimit -f) then fails with an error that the savers
  // report, instead of killing the program halfway through it.
  std::signal(SIGXFSZ, SIG_IGN);
  QCoreApplication::setApplicationName(QStringLiteral("tq1"));
  QApplication app(argc, argv);
  tq1::ui::initUiResources();
  tq1::ui::installRussianTranslations(app);
  // The program ends through "Выход" or the main window's close box only: while it sits in
  // the notification area, or a run has hidden its windows, no window may be visible at all.
  QApplication::setQuitOnLastWindowClosed(false);

  tq1::ui::DesktopServices desktop;
  tq1::ui::DesktopListServices lists(desktop.services());
  tq1::ui::MainWindow window(desktop.services());
  QObject::connect(&window, &tq1::ui::MainWindow::quitRequested, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  new tq1::ui::ListDialogLauncher(window, lists.services());  // owned by the window
  window.showAtStoredPlace();

  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, path] { window.loadFile(path); });
  }
  return app.exec();
}
