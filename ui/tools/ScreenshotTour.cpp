// Opens the main window with an image, the codec options dialog with its preview, the
// interface options and the About box, and writes a picture of each into a folder, so that
// the layout can be reviewed without clicking through the program.
// Usage: tq1-screenshots <output folder> <image file>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "settings/SettingsStore.h"
#include "ui/AboutDialog.h"
#include "ui/AppServices.h"
#include "ui/tools/ScreenshotSupport.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/ImageView.h"
#include "ui/InterfaceOptionsDialog.h"
#include "ui/MainWindow.h"
#include "ui/PreviewWindow.h"

namespace {

using namespace tq1;
using namespace tq1::ui;
using tq1::ui::tools::save;
using tq1::ui::tools::screen;
using tq1::ui::tools::settle;

// Places chosen so that the windows overlap little on a 1280 x 1024 screen.
void prepareSettings(const SettingsStore& store) {
  SettingsRecord record = factorySettings();
  record.quality = 8;
  record.smoothing = 24;
  record.bitsCommon = 6;
  record.bitsRed = record.bitsGreen = record.bitsBlue = 6;
  record.previewOn = 1;
  record.previewWidth = 200;
  record.previewHeight = 150;
  store.WriteSettings(record);
  store.WritePosition(WindowKey::Main, {220, 0, 700, 760, ShowState::Normal});
  store.WritePosition(WindowKey::SetupCodec, {760, 20, 0, 0, ShowState::Normal});
  store.WritePosition(WindowKey::About, {300, 200, 0, 0, ShowState::Normal});
  store.WritePosition(WindowKey::SetupInterface, {300, 520, 0, 0, ShowState::Normal});
}

// A 24-megapixel photograph's worth of pixels: saving and opening it shows the progress
// dialog, which is captured while the work runs; the times are printed.
bool largeImageTour(MainWindow& window, const QDir& folder) {
  QTemporaryDir scratch;
  const QString big = scratch.filePath(QStringLiteral("large.bmp"));
  const QString coded = scratch.filePath(QStringLiteral("large.tq1"));
  const QImage large =
      window.image().scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (!large.save(big, "BMP")) return false;

  bool captured = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    auto* dialog = window.findChild<QWidget*>(QStringLiteral("PROGRESS"));
    if (captured || dialog == nullptr || !dialog->isVisible()) return;
    QTest::qWait(300);
    captured = save(screen(), folder, QStringLiteral("progress-screen.png"));
  });
  probe.start(100);
  QElapsedTimer clock;
  clock.start();
  bool ok = window.loadFile(big);
  std::printf("open 24 MP bitmap: %lld ms\n", static_cast<long long>(clock.restart()));
  ok = ok && window.saveFile(coded);
  std::printf("save 24 MP as .tq1: %lld ms\n", static_cast<long long>(clock.restart()));
  ok = ok && window.loadFile(coded);
  std::printf("open 24 MP .tq1: %lld ms\n", static_cast<long long>(clock.restart()));
  probe.stop();
  return ok && captured;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("tq1"));
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: tq1-screenshots <output folder> <image file>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const QString imagePath = QString::fromLocal8Bit(argv[2]);

  DesktopServices desktop;
  AppServices& services = desktop.services();
  prepareSettings(services.settings);

  MainWindow window(services);
  window.showAtStoredPlace();
  if (!window.loadFile(imagePath)) return 1;
  settle();
  bool ok = save(window.grab(), folder, QStringLiteral("main-window.png"));

  window.showCodecOptions();
  settle();
  CodecOptionsDialog* codec = window.codecOptionsDialog();
  ok &= save(codec->grab(), folder, QStringLiteral("codec-options.png"));
  if (codec->previewWindow() != nullptr) {
    ok &= save(codec->previewWindow()->grab(), folder, QStringLiteral("codec-preview.png"));
  }
  ok &= save(screen(), folder, QStringLiteral("codec-options-screen.png"));

  codec->findChild<QWidget*>(QStringLiteral("chooseAreaButton"))->setFocus();
  QTest::mouseClick(codec->findChild<QWidget*>(QStringLiteral("chooseAreaButton")),
                    Qt::LeftButton);
  settle();
  QWidget* viewport = window.view()->viewport();
  QTest::mouseMove(viewport, QPoint(120, 90));
  settle();
  ok &= save(window.grab(), folder, QStringLiteral("area-selection.png"));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(120, 90));
  settle();
  codec->reject();
  settle();

  AboutDialog about(services.settings, &window);
  about.show();
  settle();
  ok &= save(about.grab(), folder, QStringLiteral("about.png"));
  about.accept();

  InterfaceOptionsDialog options(services.settings, &window);
  options.show();
  settle();
  ok &= save(options.grab(), folder, QStringLiteral("interface-options.png"));
  options.reject();

  ok &= largeImageTour(window, folder);
  return ok ? 0 : 1;
}
