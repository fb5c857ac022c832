// The main window: its menu and shortcuts, opening and saving each kind of file (also dropped
// ones), what a cancel or a failure leaves, the status line and zoom, its stored place, the
// notification area with the windows it hides, help and the list command.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/ImageJobs.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/StatusLineText.h"
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

// Drops the file on the window; whether the drag was welcome.
bool dropFile(QWidget& window, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  return drop.isAccepted();
}

QKeySequence shortcutOf(MainWindow& window, const char* action) {
  QAction* found = window.findChild<QAction*>(QLatin1String(action));
  return found != nullptr ? found->shortcut() : QKeySequence();
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
                                 "&Выход", "&Настройки", "&Кодирование", "&Интерфейс", "&Вид",
                                 "&По размеру окна", "&Исходный размер", "&Увеличить",
                                 "У&меньшить", "&?", "&Помощь", "-", "&О программе"}));
  }

  void shortcutsBesideTheAccessKeys() {
    testing::TestServices env;
    MainWindow window(env.services);
    QCOMPARE(shortcutOf(window, "openAction"), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(shortcutOf(window, "saveAction"), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(shortcutOf(window, "exitAction"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(shortcutOf(window, "helpAction"), QKeySequence(Qt::Key_F1));
    QCOMPARE(shortcutOf(window, "zoomNaturalAction"), QKeySequence(Qt::CTRL | Qt::Key_0));
    QCOMPARE(shortcutOf(window, "zoomInAction"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    QCOMPARE(shortcutOf(window, "zoomOutAction"), QKeySequence(Qt::CTRL | Qt::Key_Minus));

    // Pressed in the window, they run their commands.
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QString bitmap = writeBitmap(env, QStringLiteral("a.bmp"), testing::patternImage(30, 20));
    env.files.answers = {bitmap};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(env.files.requests.size(), std::size_t{1});
    QCOMPARE(window.currentPath(), bitmap);
    QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(window.view()->zoom(), 1.5);
    QTest::keyClick(&window, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(window.view()->zoom(), 1.0);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);  // cancelled
    QCOMPARE(env.files.requests.size(), std::size_t{2});
    QCOMPARE(env.files.requests.back().title, QStringLiteral("Сохранение файла"));
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(env.openedUrls.size(), 1);
  }

  // The status line shows the image's size, its file's size and the zoom, and follows
  // opening, saving and zooming; zoom commands wait for an image.
  void statusLineFollowsTheImageOnShow() {
    testing::TestServices env;
    MainWindow window(env.services);
    QAction* zoomIn = window.findChild<QAction*>(QStringLiteral("zoomInAction"));
    QVERIFY(zoomIn != nullptr && !zoomIn->isEnabled());
    QCOMPARE(window.statusTexts(), (QStringList{"", "", ""}));
    const QString bitmap = writeBitmap(env, QStringLiteral("a.bmp"), testing::patternImage(70, 50));
    QVERIFY(window.loadFile(bitmap));
    QCOMPARE(window.statusTexts(),
             (QStringList{"70 × 50 пикс.", fileSizeText(QFileInfo(bitmap).size()), "100%"}));
    QVERIFY(zoomIn->isEnabled());
    zoomIn->trigger();
    trigger(window, "zoomInAction");
    QCOMPARE(window.statusTexts().at(2), QStringLiteral("200%"));
    const QString coded = env.path(QStringLiteral("a.tq1"));
    QVERIFY(window.saveFile(coded));
    QCOMPARE(window.statusTexts().at(1), fileSizeText(QFileInfo(coded).size()));
    QCOMPARE(window.statusTexts().at(2), QStringLiteral("200%"));  // saving keeps the zoom
    trigger(window, "zoomOutAction");
    QCOMPARE(window.statusTexts().at(2), QStringLiteral("150%"));
    QVERIFY(window.loadFile(bitmap));
    QCOMPARE(window.statusTexts().at(2), QStringLiteral("100%"));
  }

  // A dropped file opens as with "Открыть", with the same message for other kinds; folders
  // are not taken.
  void droppedFilesOpenAsIfChosen() {
    testing::TestServices env;
    MainWindow window(env.services);
    const QImage image = testing::patternImage(30, 20);
    const QString bitmap = writeBitmap(env, QStringLiteral("dropped.bmp"), image);
    QVERIFY(dropFile(window, bitmap));
    QTRY_COMPARE(window.currentPath(), bitmap);
    QCOMPARE(window.image(), image);
    const QString text = env.path(QStringLiteral("notes.txt"));
    QVERIFY(testing::patternImage(4, 4).save(text, "BMP"));
    QVERIFY(dropFile(window, text));
    QTRY_COMPARE(env.messages.informations, QStringList{"Неподдерживаемый формат"});
    QCOMPARE(window.currentPath(), bitmap);
    QVERIFY(!dropFile(window, env.path(QString())));  // the folder itself
    QVERIFY(env.files.requests.empty());  // no file dialog was involved
  }

  // The folder of the image on show is where file dialogs start.
  void imageFolderFollowsTheFileOnShow() {
    testing::TestServices env;
    MainWindow window(env.services);
    QVERIFY(env.services.imageFolder.isEmpty());
    QVERIFY(QDir().mkpath(env.path(QStringLiteral("sub"))));
    const QString bitmap =
        writeBitmap(env, QStringLiteral("sub/a.bmp"), testing::patternImage(10, 10));
    QVERIFY(window.loadFile(bitmap));
    QCOMPARE(env.services.imageFolder, env.path(QStringLiteral("sub")));
    QVERIFY(window.saveFile(env.path(QStringLiteral("b.bmp"))));
    QCOMPARE(env.services.imageFolder, env.folder.path());
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
    QSignalSpy otherQuit(&other, &MainWindow::quitRequested);
    other.close();  // the close box
    QCOMPARE(otherQuit.count(), 1);
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

  // In the tray, every window of the program is out of sight; the icon brings back exactly
  // the windows that were open, at their places. The codec options command then shows the
  // dialog it already has, also when it was hidden or minimised meanwhile.
  void trayHidesAndBringsBackEveryWindow() {
    testing::TestServices env;
    env.trayAvailable = true;
    SettingsRecord record;
    record.minimiseToTray = 1;
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    MainWindow window(env.services);
    window.showAtStoredPlace();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage image = testing::patternImage(80, 60);
    QVERIFY(window.loadFile(writeBitmap(env, QStringLiteral("a.bmp"), image)));
    trigger(window, "codecOptionsAction");
    QPointer<CodecOptionsDialog> codec = window.codecOptionsDialog();
    QVERIFY(codec && codec->isVisible());
    QPointer<QWidget> preview = codec->previewWindow();
    QVERIFY(preview && preview->isVisible());
    QDialog list(&window);  // stands for the list dialog: any other window of the program
    list.move(300, 200);
    list.show();
    QDialog closed(&window);  // not open: must stay closed
    const QPoint codecPlace = codec->pos();

    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window.isInTray());
    QVERIFY(!window.isVisible());
    QVERIFY(!codec->isVisible() && !preview->isVisible() && !list.isVisible());

    emit window.trayIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(window.isVisible() && !window.isInTray());
    QVERIFY(codec->isVisible() && preview->isVisible() && list.isVisible());
    QVERIFY(!closed.isVisible());
    QCOMPARE(codec->pos(), codecPlace);
    QCOMPARE(list.pos(), QPoint(300, 200));
    QCOMPARE(window.codecOptionsDialog(), codec.data());

    codec->hide();
    trigger(window, "codecOptionsAction");
    QVERIFY(codec->isVisible());
    codec->showMinimized();
    trigger(window, "codecOptionsAction");
    QVERIFY(codec->isVisible() && !codec->isMinimized());
    QCOMPARE(window.codecOptionsDialog(), codec.data());
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
