// The main window: its menu, opening and saving each kind of file, what a cancel or a failure
// leaves, its stored place, the notification area, help and the list command.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "ui/ImageJobs.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

const QString kTitle = QStringLiteral("RI1 Vuzud Uvizo");

void trigger(MainWindow& window, const char* action) {
  QAction* found = window.findChild<QAction*>(QLatin1String(action));
  QVERIFY2(found != nullptr, action);
  found->trigger();
}

QString writeBitmap(testing::TestServices& env, const QString& name, const QImage& image) {
  const QString path = env.path(name);
  if (!writeBitmapFile(path, image).ok()) return {};
  return path;
}

SettingsRecord settingsWith(int quality, int bits, int overwrite) {
  SettingsRecord record;
  record.quality = quality;
  record.smoothing = 3 * quality;
  record.bitsRed = record.bitsGreen = record.bitsBlue = record.bitsCommon = bits;
  record.overwriteWithoutAsking = overwrite;
  return record;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void menuHoldsEveryCommandWithItsAccessKey() {
    testing::TestServices env;
    MainWindow window(env.services);
    QCOMPARE(window.windowTitle(), kTitle);
    QCOMPARE(window.menuBar()->objectName(), QStringLiteral("MAINMENU"));
    QStringList texts;
    for (QAction* menu : window.menuBar()->actions()) {
      texts.append(menu->text());
      for (QAction* item : menu->menu()->actions()) {
        texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
      }
    }
    QCOMPARE(texts, (QStringList{"&Файл", "&Открыть", "&Сохранить", "-", "С&писок...", "-",
                                 "&Выход", "&Настройки", "&Кодирование", "&Интерфейс", "&?",
                                 "&Помощь", "-", "&О программе"}));
  }

  void opensBothKindsAndTitlesTheWholePath() {
    testing::TestServices env;
    MainWindow window(env.services);
    const QImage image = testing::patternImage(70, 50);
    const QString bitmap = writeBitmap(env, QStringLiteral("photo.bmp"), image);
    const QString coded = env.path(QStringLiteral("photo.TQ1"));
    CodecParams params;
    params.tolerance = 6;
    const ImageJobResult rebuilt = saveTq1File(image, params, coded, {});
    QVERIFY(rebuilt.ok());

    env.files.answers = {bitmap, coded};
    trigger(window, "openAction");
    QCOMPARE(env.files.requests.back().title, QStringLiteral("Открытие файла"));
    QCOMPARE(env.files.requests.back().filters.nameFilters().size(), 4);
    QCOMPARE(window.windowTitle(), kTitle + " - " + bitmap);
    QCOMPARE(window.image(), image);
    trigger(window, "openAction");
    QCOMPARE(window.windowTitle(), kTitle + " - " + coded);  // replaced, not appended
    QCOMPARE(window.image(), rebuilt.image);
    QVERIFY(env.messages.errors.isEmpty());
  }

  void otherExtensionsAreUnsupportedInBothDialogs() {
    testing::TestServices env;
    MainWindow window(env.services);
    const QString bitmap = writeBitmap(env, QStringLiteral("a.bmp"), testing::patternImage(20, 20));
    const QString png = env.path(QStringLiteral("a.png"));
    QVERIFY(testing::patternImage(20, 20).save(png));
    env.files.answers = {png, bitmap, env.path(QStringLiteral("b.jpg"))};
    trigger(window, "openAction");
    QCOMPARE(env.messages.informations, QStringList{"Неподдерживаемый формат"});
    QCOMPARE(window.windowTitle(), kTitle);
    QVERIFY(!window.view()->hasImage());
    trigger(window, "openAction");
    trigger(window, "saveAction");
    QCOMPARE(env.messages.informations.size(), 2);
    QCOMPARE(window.windowTitle(), kTitle + " - " + bitmap);
    QVERIFY(!QFile::exists(env.path(QStringLiteral("b.jpg"))));
  }

  // A file that cannot be read says why, and the image and title on show stay.
  void failedOpenLeavesTheWindowAsItWas() {
    testing::TestServices env;
    MainWindow window(env.services);
    const QImage image = testing::patternImage(20, 20);
    const QString bitmap = writeBitmap(env, QStringLiteral("good.bmp"), image);
    QFile fake(env.path(QStringLiteral("fake.bmp")));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("BM this is no bitmap at all");
    fake.close();
    QFile broken(env.path(QStringLiteral("broken.tq1")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(40, '\x5a'));
    broken.close();

    env.files.answers = {bitmap, fake.fileName(), broken.fileName(),
                         env.path(QStringLiteral("missing.tq1"))};
    for (int i = 0; i < 4; ++i) trigger(window, "openAction");
    QCOMPARE(env.messages.errors.size(), 3);
    QVERIFY(env.messages.errors.at(0).contains(fake.fileName()));
    QVERIFY(env.messages.errors.at(2).contains(QStringLiteral("файл не найден")));
    QCOMPARE(window.windowTitle(), kTitle + " - " + bitmap);
    QCOMPARE(window.image(), image);
  }

  void cancellingChangesNothing() {
    testing::TestServices env;
    MainWindow window(env.services);
    window.resize(120, 100);
    window.show();
    const QString bitmap =
        writeBitmap(env, QStringLiteral("big.bmp"), testing::patternImage(400, 300));
    env.files.answers = {bitmap};
    trigger(window, "openAction");
    window.view()->verticalScrollBar()->setValue(17);
    const QString title = window.windowTitle();
    const QImage shown = window.image();
    trigger(window, "openAction");  // no answer left: cancelled
    trigger(window, "saveAction");
    QCOMPARE(env.files.requests.size(), size_t(3));
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(window.image(), shown);
    QCOMPARE(window.view()->offset().y(), 17);
    QVERIFY(QDir(env.folder.path()).entryList({"*.tq1"}).isEmpty());
  }

  void savingBeforeAnyOpenDoesNothing() {
    testing::TestServices env;
    MainWindow window(env.services);
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("saveAction"))->isEnabled());
    window.save();
    QVERIFY(env.files.requests.empty());
  }

  // The dialog proposes the base name and asks before replacing exactly when the settings
  // say so; a bitmap save keeps the view, a .tq1 save shows the encoder's rebuild.
  void savesEachKindWithTheSettingsOfTheFile() {
    testing::TestServices env;
    env.settings().WriteSettings(settingsWith(9, 5, 0));
    MainWindow window(env.services);
    const QImage image = testing::patternImage(64, 48);
    const QString source = writeBitmap(env, QStringLiteral("holiday.photo.bmp"), image);
    const QString asBitmap = env.path(QStringLiteral("copy.BMP"));
    const QString asTq1 = env.path(QStringLiteral("copy.tq1"));
    env.files.answers = {source, asBitmap, asTq1};
    trigger(window, "openAction");

    trigger(window, "saveAction");
    const FileDialogRequest& request = env.files.requests.back();
    QCOMPARE(request.title, QStringLiteral("Сохранение файла"));
    QCOMPARE(request.initialName, QStringLiteral("holiday.photo"));
    QVERIFY(request.askBeforeReplace);
    QCOMPARE(request.defaultSuffix, QString());
    QCOMPARE(testing::fileBytes(asBitmap), testing::fileBytes(source));
    QCOMPARE(window.image(), image);
    QCOMPARE(window.windowTitle(), kTitle + " - " + asBitmap);

    env.settings().WriteSettings(settingsWith(9, 5, 1));
    trigger(window, "saveAction");
    QVERIFY(!env.files.requests.back().askBeforeReplace);
    QCOMPARE(env.files.requests.back().initialName, QStringLiteral("copy"));
    CodecContext expected;
    ImageFileResult<Grid> grid = gridFromImage(image);
    QVERIFY(prepareForEncoding(expected, grid.value, codecParamsFromSettings(settingsWith(9, 5, 1)))
                .ok());
    QVERIFY(encodeToBytes(expected).ok());
    QCOMPARE(testing::fileBytes(asTq1),
             QByteArray(reinterpret_cast<const char*>(expected.stream.data()),
                        qsizetype(expected.stream.size())));
    QCOMPARE(window.image(), imageFromGrid(expected.pixels).value);
    QVERIFY(window.image() != image);
    QCOMPARE(window.windowTitle(), kTitle + " - " + asTq1);
    // Opening the file shows exactly what the save showed.
    const QImage rebuilt = window.image();
    QVERIFY(window.loadFile(asTq1));
    QCOMPARE(window.image(), rebuilt);
  }

  void failedSaveSaysSoAndKeepsTheTitle() {
    testing::TestServices env;
    MainWindow window(env.services);
    const QString source = writeBitmap(env, QStringLiteral("a.bmp"), testing::patternImage(16, 16));
    env.files.answers = {source, env.path(QStringLiteral("gone/b.tq1")),
                         env.path(QStringLiteral("gone/b.bmp"))};
    trigger(window, "openAction");
    trigger(window, "saveAction");
    trigger(window, "saveAction");
    QCOMPARE(env.messages.errors.size(), 2);
    QVERIFY(env.messages.errors.at(0).startsWith(QStringLiteral("Не удалось сохранить файл")));
    QCOMPARE(window.windowTitle(), kTitle + " - " + source);
  }

  void startsAtTheStoredPlace() {
    testing::TestServices env;
    env.settings().WritePosition(WindowKey::Main, {100, 120, 300, 400, ShowState::Normal});
    MainWindow window(env.services);
    window.showAtStoredPlace();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.frameGeometry(), QRect(100, 120, 400, 300));
    QVERIFY(!window.isMaximized() && !window.isMinimized());
  }

  void startsMaximisedOrMinimisedWhenStoredSo() {
    testing::TestServices env;
    env.settings().WritePosition(WindowKey::Main, {100, 120, 300, 400, ShowState::Maximised});
    {
      MainWindow window(env.services);
      window.showAtStoredPlace();
      QVERIFY(window.isMaximized());
      window.close();
      QCOMPARE(env.settings().ReadPosition(WindowKey::Main).showState, ShowState::Maximised);
    }
    env.settings().WritePosition(WindowKey::Main, {100, 120, 300, 400, ShowState::Minimised});
    MainWindow window(env.services);
    window.showAtStoredPlace();
    QVERIFY(window.isMinimized());
  }

  void exitAndCloseStoreThePlace() {
    testing::TestServices env;
    MainWindow window(env.services);
    QSignalSpy quit(&window, &MainWindow::quitRequested);
    window.setGeometry(40, 50, 320, 240);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    trigger(window, "exitAction");
    QCOMPARE(quit.count(), 1);
    const QRect outer = window.frameGeometry();
    QCOMPARE(env.settings().ReadPosition(WindowKey::Main),
             (PositionRecord{outer.left(), outer.top(), outer.height(), outer.width(),
                             ShowState::Normal}));

    MainWindow other(env.services);
    other.setGeometry(60, 70, 300, 200);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.close();  // the close box
    QCOMPARE(env.settings().ReadPosition(WindowKey::Main).left, other.frameGeometry().left());
    QCOMPARE(env.settings().ReadPosition(WindowKey::Main).width, other.frameGeometry().width());
  }

  void minimisingGoesToTheTrayOnlyWhenAskedAndPossible() {
    testing::TestServices env;
    env.trayAvailable = true;
    MainWindow window(env.services);
    window.showAtStoredPlace();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.frameGeometry();

    window.setWindowState(Qt::WindowMinimized);  // minimiseToTray is 0
    QTest::qWait(20);
    QVERIFY(!window.isInTray());
    QVERIFY(!window.trayIcon()->isVisible());
    window.setWindowState(Qt::WindowNoState);
    window.show();

    SettingsRecord record = env.settings().ReadSettings();
    record.minimiseToTray = 1;
    env.settings().WriteSettings(record);
    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window.isInTray());
    QVERIFY(!window.isVisible());
    QVERIFY(window.trayIcon()->isVisible());
    QCOMPARE(window.trayIcon()->toolTip(), kTitle);

    emit window.trayIcon()->activated(QSystemTrayIcon::Trigger);  // a left click
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QVERIFY(!window.trayIcon()->isVisible());
    QCOMPARE(window.frameGeometry().size(), before.size());

    env.trayAvailable = false;  // no notification area: minimise as usual, never hide
    window.setWindowState(Qt::WindowMinimized);
    QTest::qWait(20);
    QVERIFY(!window.isInTray());
    QVERIFY(window.isVisible());
  }

  void trayMenuRestoresOrEndsTheProgram() {
    testing::TestServices env;
    env.trayAvailable = true;
    SettingsRecord record;
    record.minimiseToTray = 1;
    env.settings().WriteSettings(record);
    MainWindow window(env.services);
    QSignalSpy quit(&window, &MainWindow::quitRequested);
    window.showAtStoredPlace();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.frameGeometry();
    QStringList items;
    for (QAction* action : window.trayIcon()->menu()->actions()) items.append(action->text());
    QCOMPARE(items, (QStringList{"Восстановить", "Выход"}));

    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window.isInTray());
    window.trayIcon()->menu()->actions().at(0)->trigger();
    QVERIFY(window.isVisible() && !window.isInTray());

    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window.isInTray());
    window.trayIcon()->menu()->actions().at(1)->trigger();
    QCOMPARE(quit.count(), 1);
    QVERIFY(!window.trayIcon()->isVisible());
    // The place stored is the one the window had before it was hidden, shown normally.
    QCOMPARE(env.settings().ReadPosition(WindowKey::Main),
             (PositionRecord{before.left(), before.top(), before.height(), before.width(),
                             ShowState::Normal}));
  }

  void helpOpensThePageOfTheStartDirectory() {
    testing::TestServices env;
    MainWindow window(env.services);
    QFile page(env.path(QStringLiteral("tqmenu.htm")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    trigger(window, "helpAction");
    QCOMPARE(env.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page.fileName())});
    env.openUrlSucceeds = false;
    trigger(window, "helpAction");
    QCOMPARE(env.messages.errors.size(), 1);
  }

  void listCommandIsLeftToTheListDialog() {
    testing::TestServices env;
    MainWindow window(env.services);
    QSignalSpy requested(&window, &MainWindow::listDialogRequested);
    trigger(window, "listAction");
    QCOMPARE(requested.count(), 1);
  }
};

TQ1_UI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
