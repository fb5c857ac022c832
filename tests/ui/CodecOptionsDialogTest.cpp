// The codec options dialog driven through its controls: couplings and labels, what OK,
// "Отмена", the close box and the default buttons write, list mode, and the live preview.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/PreviewWindow.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

template <typename T>
T* child(QWidget& dialog, const char* name) {
  T* found = dialog.findChild<T*>(QLatin1String(name));
  if (found == nullptr) qFatal("no control %s", name);
  return found;
}

QSlider* slider(QWidget& dialog, const char* name) { return child<QSlider>(dialog, name); }
QString label(QWidget& dialog, const char* name) { return child<QLabel>(dialog, name)->text(); }
void click(QWidget& dialog, const char* name) {
  QTest::mouseClick(child<QPushButton>(dialog, name), Qt::LeftButton);
}

// A slider moved the way a person moves it: one page step at a time towards the target.
void moveTo(QSlider* target, int value) {
  while (target->value() != value) {
    target->triggerAction(target->value() < value ? QAbstractSlider::SliderSingleStepAdd
                                                  : QAbstractSlider::SliderSingleStepSub);
  }
}

SettingsRecord sampleRecord() {
  SettingsRecord record;
  record.quality = 5;
  record.smoothing = 20;
  record.bitsRed = 7;
  record.bitsGreen = 6;
  record.bitsBlue = 5;
  record.bitsCommon = 4;
  record.overwriteWithoutAsking = 1;
  record.minimiseToTray = 1;
  record.minimiseWhileConverting = 0;
  record.previewOn = 0;
  record.previewWidth = 60;
  record.previewHeight = 50;
  return record;
}

QImage roundTripOf(const QImage& image, QRect area, const CodecParams& params) {
  CodecContext context;
  ImageFileResult<Grid> grid =
      gridFromImage(image, area.x(), area.y(), area.width(), area.height());
  if (!grid.ok() || !prepareForEncoding(context, grid.value, params).ok() ||
      !previewRoundTrip(context).ok()) {
    return {};
  }
  return imageFromGrid(context.pixels).value;
}

}  // namespace

class CodecOptionsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithTheStoredValuesAndTheirLabels() {
    testing::TestServices env;
    env.settings().WriteSettings(sampleRecord());
    CodecOptionsDialog dialog(env.settings(), testing::patternImage(300, 200), {}, nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("OPTIONS_CODEC"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Настройки кодирования"));
    QCOMPARE(slider(dialog, "qualitySlider")->value(), 5);
    QCOMPARE(label(dialog, "qualityValue"), QStringLiteral("90"));
    QCOMPARE(slider(dialog, "smoothingSlider")->value(), 20);
    QCOMPARE(label(dialog, "smoothingValue"), QStringLiteral("20"));
    QCOMPARE(label(dialog, "commonBitsValue"), QStringLiteral("4"));
    QCOMPARE(label(dialog, "redBitsValue"), QStringLiteral("7"));
    QCOMPARE(label(dialog, "greenBitsValue"), QStringLiteral("6"));
    QCOMPARE(label(dialog, "blueBitsValue"), QStringLiteral("5"));
    QCOMPARE(label(dialog, "areaWidthValue"), QStringLiteral("60"));
    QCOMPARE(label(dialog, "areaHeightValue"), QStringLiteral("50"));
    QCOMPARE(child<QPushButton>(dialog, "restoreDefaultsButton")->text(),
             QStringLiteral("Восстановить значения \"по умолчанию\""));
    QCOMPARE(child<QPushButton>(dialog, "storeDefaultsButton")->text(),
             QStringLiteral("Задать значения \"по умолчанию\""));
  }

  void slidersMoveEachOtherAsPeopleExpect() {
    testing::TestServices env;
    CodecOptionsDialog dialog(env.settings(), QImage(), {}, nullptr);
    moveTo(slider(dialog, "commonBitsSlider"), 3);
    for (const char* name : {"redBitsSlider", "greenBitsSlider", "blueBitsSlider"}) {
      QCOMPARE(slider(dialog, name)->value(), 3);
    }
    QCOMPARE(label(dialog, "redBitsValue"), QStringLiteral("3"));
    QCOMPARE(label(dialog, "blueBitsValue"), QStringLiteral("3"));
    moveTo(slider(dialog, "redBitsSlider"), 5);
    QCOMPARE(slider(dialog, "commonBitsSlider")->value(), 3);
    QCOMPARE(label(dialog, "redBitsValue"), QStringLiteral("5"));

    moveTo(slider(dialog, "qualitySlider"), 10);
    QCOMPARE(label(dialog, "qualityValue"), QStringLiteral("80"));
    QCOMPARE(slider(dialog, "smoothingSlider")->value(), 30);
    QCOMPARE(label(dialog, "smoothingValue"), QStringLiteral("30"));
    moveTo(slider(dialog, "smoothingSlider"), 44);
    QCOMPARE(slider(dialog, "qualitySlider")->value(), 10);
    QCOMPARE(label(dialog, "smoothingValue"), QStringLiteral("44"));
  }

  void withoutAnImageThePreviewControlsAreOff() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    CodecOptionsDialog dialog(env.settings(), QImage(), {}, nullptr);
    dialog.show();
    for (const char* name :
         {"previewCheck", "chooseAreaButton", "areaWidthSlider", "areaHeightSlider"}) {
      QVERIFY2(!child<QWidget>(dialog, name)->isEnabled(), name);
    }
    QVERIFY(child<QWidget>(dialog, "restoreDefaultsButton")->isEnabled());
    QVERIFY(dialog.previewWindow() == nullptr);
  }

  void smallImagesLimitTheAreaSliders() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewWidth = record.previewHeight = 200;
    env.settings().WriteSettings(record);
    CodecOptionsDialog wide(env.settings(), testing::patternImage(100, 40), {}, nullptr);
    QCOMPARE(slider(wide, "areaWidthSlider")->minimum(), 10);
    QCOMPARE(slider(wide, "areaWidthSlider")->maximum(), 100);
    QCOMPARE(slider(wide, "areaHeightSlider")->maximum(), 40);
    QCOMPARE(label(wide, "areaWidthValue"), QStringLiteral("100"));
    QCOMPARE(label(wide, "areaHeightValue"), QStringLiteral("40"));
    CodecOptionsDialog tiny(env.settings(), testing::patternImage(6, 3), {}, nullptr);
    QCOMPARE(slider(tiny, "areaWidthSlider")->minimum(), 6);
    QCOMPARE(slider(tiny, "areaHeightSlider")->maximum(), 3);
    QCOMPARE(tiny.model().values().areaSize, QSize(6, 3));
  }

  void okWritesTheCodecValuesAndKeepsTheInterfaceOptions() {
    testing::TestServices env;
    env.settings().WriteSettings(sampleRecord());
    CodecOptionsDialog dialog(env.settings(), testing::patternImage(300, 200), {}, nullptr);
    dialog.show();
    moveTo(slider(dialog, "qualitySlider"), 12);
    moveTo(slider(dialog, "commonBitsSlider"), 2);
    moveTo(slider(dialog, "areaWidthSlider"), 70);
    child<QCheckBox>(dialog, "previewCheck")->setChecked(true);
    click(dialog, "okButton");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const SettingsRecord stored = env.settings().ReadSettings();
    SettingsRecord expected = sampleRecord();
    expected.quality = 12;
    expected.smoothing = 36;
    expected.bitsCommon = expected.bitsRed = expected.bitsGreen = expected.bitsBlue = 2;
    expected.previewOn = 1;
    expected.previewWidth = 70;
    QCOMPARE(settingsFields(stored), settingsFields(expected));
    QCOMPARE(env.settings().ReadPosition(WindowKey::SetupCodec).left,
             dialog.frameGeometry().left());
  }

  // "Отмена", Escape and the close box leave the record alone but store the dialog's place.
  void cancelAndCloseBoxWriteOnlyThePlace() {
    testing::TestServices env;
    env.settings().WriteSettings(sampleRecord());
    for (int way = 0; way < 3; ++way) {
      env.settings().WritePosition(WindowKey::SetupCodec,
                                   {300 + way, 200, 0, 0, ShowState::Normal});
      CodecOptionsDialog dialog(env.settings(), testing::patternImage(50, 50), {}, nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(300 + way, 200));
      moveTo(slider(dialog, "qualitySlider"), 40);
      dialog.move(150 + way, 90);
      if (way == 0) click(dialog, "cancelButton");
      if (way == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
      if (way == 2) dialog.close();
      QVERIFY(!dialog.isVisible());
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QCOMPARE(env.settings().ReadSettings(), sampleRecord());
      const PositionRecord place = env.settings().ReadPosition(WindowKey::SetupCodec);
      QCOMPARE(QPoint(place.left, place.top), QPoint(150 + way, 90));
    }
  }

  void defaultsAreStoredAndRestored() {
    testing::TestServices env;
    env.settings().WriteSettings(sampleRecord());
    CodecOptionsDialog dialog(env.settings(), testing::patternImage(300, 200), {}, nullptr);
    dialog.show();
    moveTo(slider(dialog, "qualitySlider"), 7);
    moveTo(slider(dialog, "blueBitsSlider"), 3);
    moveTo(slider(dialog, "areaHeightSlider"), 33);
    child<QCheckBox>(dialog, "previewCheck")->setChecked(true);
    const CodecOptionValues chosen = dialog.model().values();
    click(dialog, "storeDefaultsButton");
    QCOMPARE(env.settings().ReadSettings(), sampleRecord());  // only the defaults are written

    moveTo(slider(dialog, "qualitySlider"), 30);
    moveTo(slider(dialog, "commonBitsSlider"), 1);
    moveTo(slider(dialog, "areaHeightSlider"), 120);
    child<QCheckBox>(dialog, "previewCheck")->setChecked(false);
    click(dialog, "restoreDefaultsButton");
    QCOMPARE(dialog.model().values(), chosen);
    QCOMPARE(slider(dialog, "qualitySlider")->value(), 7);
    QCOMPARE(slider(dialog, "blueBitsSlider")->value(), 3);
    QCOMPARE(label(dialog, "areaHeightValue"), QStringLiteral("33"));
    QVERIFY(child<QCheckBox>(dialog, "previewCheck")->isChecked());
    QVERIFY(dialog.previewWindow() != nullptr && dialog.previewWindow()->isVisible());
    QCOMPARE(dialog.previewWindow()->size(), chosen.areaSize);
    QCOMPARE(env.settings().ReadSettings(), sampleRecord());
  }

  // List mode shows the given values, returns them after OK, and writes nothing but its place.
  void listModeLeavesTheSettingsAlone() {
    testing::TestServices env;
    env.settings().WriteSettings(sampleRecord());
    const auto settingsBefore = env.settings().readRecord("Settings", "set", kSettingsRecordSize);
    const auto defaultsBefore = env.settings().readRecord("Default", "set", kSettingsRecordSize);
    QVERIFY(settingsBefore.has_value());
    CodecOptionsDialog dialog(env.settings(), ListCodecValues{20, 3, 1, 2, 3, 50}, nullptr);
    dialog.show();
    QCOMPARE(slider(dialog, "commonBitsSlider")->value(), 8);
    QCOMPARE(label(dialog, "commonBitsValue"), QStringLiteral("8"));
    QCOMPARE(label(dialog, "qualityValue"), QStringLiteral("60"));
    QCOMPARE(slider(dialog, "greenBitsSlider")->value(), 2);
    QCOMPARE(slider(dialog, "smoothingSlider")->value(), 50);
    for (const char* name :
         {"restoreDefaultsButton", "storeDefaultsButton", "previewCheck", "areaFrame",
          "chooseAreaButton", "areaWidthSlider", "areaHeightSlider"}) {
      QVERIFY2(!child<QWidget>(dialog, name)->isEnabled(), name);
    }
    moveTo(slider(dialog, "qualitySlider"), 4);
    moveTo(slider(dialog, "blueBitsSlider"), 7);
    click(dialog, "okButton");
    QCOMPARE(dialog.listValues(), (ListCodecValues{4, 8, 1, 2, 7, 12}));
    QVERIFY(dialog.previewWindow() == nullptr);
    QCOMPARE(env.settings().readRecord("Settings", "set", kSettingsRecordSize), settingsBefore);
    QCOMPARE(env.settings().readRecord("Default", "set", kSettingsRecordSize), defaultsBefore);
    QVERIFY(testing::fileBytes(env.settings().path()).contains("Setup_codec"));
  }

  // "Отмена" and the close box answer "cancelled", however the sliders were moved.
  void listModeCanBeCancelled() {
    testing::TestServices env;
    const ListCodecValues given{20, 8, 1, 2, 3, 50};
    for (bool closeBox : {false, true}) {
      QTimer::singleShot(0, [closeBox] {
        auto* dialog = qobject_cast<CodecOptionsDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        moveTo(slider(*dialog, "redBitsSlider"), 6);
        if (closeBox) dialog->close();
        else click(*dialog, "cancelButton");
      });
      QVERIFY(!editListCodecValues(env.settings(), given, nullptr).has_value());
    }
    // A dialog opened normally afterwards works on the settings file again.
    CodecOptionsDialog normal(env.settings(), QImage(), {}, nullptr);
    QCOMPARE(normal.mode(), CodecOptionsMode::Settings);
    QVERIFY(child<QWidget>(normal, "restoreDefaultsButton")->isEnabled());
  }

  // The preview window has the area's size and shows the codec's round trip of exactly the
  // chosen pixels, again after every slider movement.
  void previewShowsTheRoundTripOfTheArea() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    const QImage image = testing::patternImage(200, 150);
    CodecOptionsDialog dialog(env.settings(), image, QPoint(45, 32), nullptr);
    dialog.show();
    PreviewWindow* preview = dialog.previewWindow();
    QVERIFY(preview != nullptr && preview->isVisible());
    QCOMPARE(preview->frameGeometry(),
             QRect(QGuiApplication::primaryScreen()->availableGeometry().topLeft(), QSize(60, 50)));
    QCOMPARE(preview->rendering(),
             roundTripOf(image, QRect(45, 32, 60, 50), dialog.model().codecParams()));
    QCOMPARE(preview->grab().toImage().convertToFormat(QImage::Format_RGB32), preview->rendering());
    const QString firstStats = label(dialog, "previewStats");
    QVERIFY2(
        firstStats.contains(QStringLiteral("байт")) && firstStats.contains(QStringLiteral("PSNR")),
        qPrintable(firstStats));

    moveTo(slider(dialog, "qualitySlider"), 25);
    QCOMPARE(preview->rendering(),
             roundTripOf(image, QRect(45, 32, 60, 50), dialog.model().codecParams()));
    QVERIFY(label(dialog, "previewStats") != firstStats);
    moveTo(slider(dialog, "areaWidthSlider"), 80);
    QCOMPARE(preview->size(), QSize(80, 50));
    QCOMPARE(preview->rendering(),
             roundTripOf(image, QRect(45, 32, 80, 50), dialog.model().codecParams()));

    child<QCheckBox>(dialog, "previewCheck")->setChecked(false);
    QVERIFY(!preview->isVisible());
    QVERIFY(label(dialog, "previewStats").isEmpty());
  }

  // An area chosen near the edge previews real pixels only: it moves back inside the image.
  void areaNearTheEdgeStaysInsideTheImage() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    const QImage image = testing::patternImage(100, 80);
    CodecOptionsDialog dialog(env.settings(), image, QPoint(90, 75), nullptr);
    dialog.show();
    QCOMPARE(dialog.lastPreview().area, QRect(40, 30, 60, 50));
    QCOMPARE(dialog.previewWindow()->rendering(),
             roundTripOf(image, QRect(40, 30, 60, 50), dialog.model().codecParams()));
  }

  // "Выбрать область просмотра" hides the dialog, the click in the main window fixes the
  // corner, and the dialog comes back with its unconfirmed values, previewing the new area.
  void choosingTheAreaInTheMainWindow() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    const QImage image = testing::patternImage(600, 400);
    QVERIFY(writeBitmapFile(env.path(QStringLiteral("big.bmp")), image).ok());
    MainWindow window(env.services);
    window.resize(300, 250);
    window.show();
    QVERIFY(window.loadFile(env.path(QStringLiteral("big.bmp"))));
    window.view()->horizontalScrollBar()->setValue(40);
    window.view()->verticalScrollBar()->setValue(25);
    window.findChild<QAction*>(QStringLiteral("codecOptionsAction"))->trigger();
    CodecOptionsDialog* dialog = window.codecOptionsDialog();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    moveTo(slider(*dialog, "qualitySlider"), 9);

    click(*dialog, "chooseAreaButton");
    QVERIFY(!dialog->isVisible());
    QVERIFY(!dialog->previewWindow()->isVisible());
    QVERIFY(window.view()->isSelectingArea());
    QTest::mouseMove(window.view()->viewport(), QPoint(5, 7));
    QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {}, QPoint(5, 7));
    QCOMPARE(window.previewOrigin(), QPoint(45, 32));
    QVERIFY(dialog->isVisible());
    QCOMPARE(slider(*dialog, "qualitySlider")->value(), 9);
    QCOMPARE(dialog->lastPreview().area, QRect(45, 32, 60, 50));
    QCOMPARE(dialog->previewWindow()->rendering(),
             roundTripOf(image, QRect(45, 32, 60, 50), dialog->model().codecParams()));

    // The menu command brings back the open dialog instead of opening a second one.
    window.findChild<QAction*>(QStringLiteral("codecOptionsAction"))->trigger();
    QCOMPARE(window.codecOptionsDialog(), dialog);
    QCOMPARE(window.findChildren<CodecOptionsDialog*>().size(), 1);
    click(*dialog, "cancelButton");
    QTRY_VERIFY(window.codecOptionsDialog() == nullptr);  // deleted on close
  }

  // Opening another file while the dialog is open previews the new image.
  void newImageOnShowReachesTheOpenDialog() {
    testing::TestServices env;
    SettingsRecord record = sampleRecord();
    record.previewOn = 1;
    env.settings().WriteSettings(record);
    CodecOptionsDialog dialog(env.settings(), QImage(), {}, nullptr);
    dialog.show();
    QVERIFY(dialog.previewWindow() == nullptr);
    const QImage image = testing::patternImage(30, 20);
    dialog.setImage(image);
    QVERIFY(child<QWidget>(dialog, "previewCheck")->isEnabled());
    QVERIFY(dialog.previewWindow() != nullptr);
    QCOMPARE(dialog.previewWindow()->size(), QSize(30, 20));
    QCOMPARE(dialog.previewWindow()->rendering(),
             roundTripOf(image, image.rect(), dialog.model().codecParams()));
  }
};

TQ1_UI_TEST_MAIN(CodecOptionsDialogTest)
#include "CodecOptionsDialogTest.moc"
