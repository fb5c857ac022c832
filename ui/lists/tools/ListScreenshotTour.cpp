// Opens the list dialog with a list of files, the folder selection and the progress window of
// a running batch, and writes a picture of each into a folder, so that their layout can be
// reviewed without clicking through the program.
// Usage: tq1-list-screenshots <output folder> [image file]
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "ui/AppServices.h"
#include "ui/tools/ScreenshotSupport.h"
#include "ui/MainWindow.h"
#include "ui/lists/DirectorySelectionDialog.h"
#include "ui/lists/ListDialog.h"
#include "ui/lists/ListServices.h"

namespace {

using namespace tq1;
using namespace tq1::ui;
using tq1::ui::tools::save;
using tq1::ui::tools::screen;
using tq1::ui::tools::settle;

QImage sourceImage(const QString& path) {
  QImage image(path);
  if (!image.isNull()) return image.convertToFormat(QImage::Format_RGB32);
  image = QImage(640, 480, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, 640, 480);
  gradient.setColorAt(0, Qt::darkBlue);
  gradient.setColorAt(1, Qt::yellow);
  painter.fillRect(image.rect(), gradient);
  return image;
}

// Folders and images to list: a few photographs' worth of bitmaps, large enough that the
// progress window stays up long enough to be captured.
QStringList prepareFiles(const QDir& scratch, const QImage& image) {
  for (const char* name : {"Фотографии", "Фотографии/2023", "Фотографии/2024", "Документы",
                           "Рисунки", ".скрытая"}) {
    scratch.mkpath(QString::fromUtf8(name));
  }
  QStringList paths;
  const QImage large = image.scaled(3000, 2000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  for (int i = 1; i <= 4; ++i) {
    const QString path = scratch.filePath(QStringLiteral("Фотографии/2024/снимок_%1.bmp").arg(i));
    if (large.save(path, "BMP")) paths.append(path);
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("tq1"));
  QApplication app(argc, argv);
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tq1-list-screenshots <output folder> [image file]\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir scratchDir;
  const QDir scratch(scratchDir.path());
  const QStringList images = prepareFiles(scratch, sourceImage(argc == 3 ? argv[2] : ""));

  DesktopServices desktop;
  AppServices& services = desktop.services();
  services.settings.WritePosition(WindowKey::Main, {40, 0, 500, 640, ShowState::Normal});
  services.settings.WritePosition(WindowKey::List, {360, 120, 0, 0, ShowState::Normal});
  services.settings.WritePosition(WindowKey::Dirlist, {760, 120, 0, 0, ShowState::Normal});
  DesktopListServices lists(services);
  lists.services().temporaryList = scratch.filePath(QStringLiteral("tmp.lst"));

  MainWindow window(services);
  window.showAtStoredPlace();
  ListDialog dialog(lists.services(), &window);
  std::vector<ListEntry> entries;
  for (const QString& path : images) entries.push_back({path, {}});
  for (const char* name : {"/home/user/Документы/план_квартиры.tq1", "/home/user/Рисунки/эскиз.bmp",
                           "/home/user/Рисунки/очень_длинное_имя_файла_с_пробелами и цифрами "
                           "0123456789.bmp"}) {
    entries.push_back({QString::fromUtf8(name), {}});
  }
  dialog.model().append(std::move(entries));
  dialog.show();
  settle();
  dialog.listView()->setCurrentIndex(dialog.model().index(1));
  settle();
  bool ok = save(dialog.grab(), folder, QStringLiteral("list-dialog.png"));

  DirectorySelectionDialog directories(services.settings,
                                       scratch.filePath(QStringLiteral("Фотографии")));
  directories.show();
  for (int i = 0; i < 5; ++i) settle();
  ok &= save(directories.grab(), folder, QStringLiteral("directory-selection.png"));
  ok &= save(screen(), folder, QStringLiteral("list-screen.png"));
  directories.reject();

  // The run converts the bitmaps only; the other entries do not exist and show as failures.
  dialog.model().replace({});
  std::vector<ListEntry> run;
  for (const QString& path : images) run.push_back({path, {}});
  dialog.model().append(std::move(run));
  bool captured = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    BatchConversion* conversion = dialog.conversion();
    if (captured || conversion == nullptr || conversion->progressWindow() == nullptr) return;
    ProgressWindow* progress = conversion->progressWindow();
    // Midway through the second file.
    if (!progress->isVisible() || progress->doneText() != QStringLiteral("1") ||
        progress->bar()->value() < 30) {
      return;
    }
    captured = save(progress->grab(), folder, QStringLiteral("progress-window.png"));
    save(screen(), folder, QStringLiteral("progress-screen.png"));
  });
  probe.start(50);
  dialog.convert();
  const bool ended = QTest::qWaitFor([&] { return !dialog.isConverting(); }, 120000);
  probe.stop();
  if (!captured) std::fprintf(stderr, "the progress window was not captured\n");
  ok &= captured && ended;
  dialog.accept();
  return ok ? 0 : 1;
}
