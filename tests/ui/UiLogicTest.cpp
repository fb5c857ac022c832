// The display-free logic of the desktop program that the widget tests do not reach: the
// preview area's limits, damaged settings values, window places, the help page lookup, zoom
// steps, the status line's texts and the folder where file dialogs start.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/CodecOptionsModel.h"
#include "ui/HelpPage.h"
#include "ui/ImageJobs.h"
#include "ui/ListCodecValues.h"
#include "ui/PreviewArea.h"
#include "ui/QtFileChooser.h"
#include "ui/StatusLineText.h"
#include "ui/ViewGeometry.h"
#include "ui/WindowPlaces.h"

using namespace tq1;
using namespace tq1::ui;

class UiLogicTest : public QObject {
  Q_OBJECT

 private slots:
  void previewSizeRangesFollowTheImage_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::newRow("no image") << 0 << 10 << 250;
    QTest::newRow("small image") << 4 << 4 << 4;
    QTest::newRow("ten") << 10 << 10 << 10;
    QTest::newRow("middle") << 40 << 10 << 40;
    QTest::newRow("large") << 3000 << 10 << 250;
  }
  void previewSizeRangesFollowTheImage() {
    QFETCH(int, side);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QCOMPARE(previewSideRange(side), (SideRange{minimum, maximum}));
  }

  // The previewed rectangle never reaches past the image, wherever the corner was clicked.
  void previewRectStaysWithinTheImage_data() {
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("inside") << QPoint(45, 32) << QSize(50, 40) << QSize(300, 200)
                            << QRect(45, 32, 50, 40);
    QTest::newRow("past right and bottom") << QPoint(280, 190) << QSize(50, 40) << QSize(300, 200)
                                           << QRect(250, 160, 50, 40);
    QTest::newRow("clicked beyond the image") << QPoint(900, 900) << QSize(50, 40)
                                              << QSize(300, 200) << QRect(250, 160, 50, 40);
    QTest::newRow("larger than the image") << QPoint(3, 3) << QSize(250, 250) << QSize(100, 40)
                                           << QRect(0, 0, 100, 40);
    QTest::newRow("tiny image") << QPoint(0, 0) << QSize(10, 10) << QSize(4, 3)
                                << QRect(0, 0, 4, 3);
  }
  void previewRectStaysWithinTheImage() {
    QFETCH(QPoint, origin);
    QFETCH(QSize, size);
    QFETCH(QSize, image);
    QFETCH(QRect, expected);
    QCOMPARE(previewRect({origin, size}, image), expected);
  }

  // A hand-edited ini file may hold anything; the dialog shows values its sliders can take.
  void damagedRecordValuesAreBroughtIntoRange() {
    SettingsRecord record;
    record.quality = 77;
    record.smoothing = -3;
    record.bitsRed = 12;
    record.previewWidth = 0;
    record.previewHeight = 100000;
    CodecOptionsModel model;
    model.loadRecord(record);
    QCOMPARE(model.values().quality, 50);
    QCOMPARE(model.values().smoothing, 0);
    QCOMPARE(model.values().bitsRed, 8);
    QCOMPARE(model.values().areaSize, QSize(10, 250));
    const CodecParams params = codecParamsFromSettings(record);
    QCOMPARE(int(params.tolerance), 50);
    QCOMPARE(int(params.smoothThreshold), 0);
    QCOMPARE(int(params.bits[0]), 8);
  }

  void listValuesShowCommonBitsEight() {
    EntrySettings entry{12, 40, 5, 6, 7, 3};
    CodecOptionsModel model;
    model.loadListValues(listCodecValuesFrom(entry));
    QCOMPARE(model.listValues(), (ListCodecValues{12, 8, 5, 6, 7, 40}));
    applyListCodecValues({1, 4, 2, 3, 4, 9}, entry);
    QCOMPARE(entry, (EntrySettings{1, 9, 2, 3, 4, 3}));
  }

  void placesOnAScreenThatIsGoneComeBack() {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080)};
    QCOMPARE(keptOnScreens(QPoint(100, 100), QSize(300, 200), screens), QPoint(100, 100));
    QCOMPARE(keptOnScreens(QPoint(-250, 10), QSize(300, 200), screens), QPoint(-250, 10));
    QCOMPARE(keptOnScreens(QPoint(2500, 300), QSize(300, 200), screens), QPoint(10, 10));
    QCOMPARE(keptOnScreens(QPoint(100, -400), QSize(300, 200), screens), QPoint(10, 10));
  }

  void helpPageIsLookedUpInTheStartDirectoryFirst() {
    testing::TestServices env;
    const QString start = env.path(QStringLiteral("start"));
    const QString program = env.path(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(start) && QDir().mkpath(program));
    QCOMPARE(helpPagePath(start, program), QString());
    QFile beside(QDir(program).filePath(kHelpPageName));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();
    QCOMPARE(helpPagePath(start, program), beside.fileName());
    QFile local(QDir(start).filePath(kHelpPageName));
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.close();
    QCOMPARE(helpPagePath(start, program), local.fileName());
  }

  // An installed program finds the page in the data folder of its prefix, wherever that is.
  void helpPageIsFoundInTheInstalledDataFolder() {
    testing::TestServices env;
    const QString prefix = env.path(QStringLiteral("prefix"));
    const QString bin = QDir(prefix).filePath(QStringLiteral("bin"));
    const QString data = installedDataDirectory(bin);
    QVERIFY(data.startsWith(prefix + QLatin1Char('/')));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(data));
    QCOMPARE(helpPagePath(QString(), bin), QString());
    QFile installed(QDir(data).filePath(kHelpPageName));
    QVERIFY(installed.open(QIODevice::WriteOnly));
    installed.close();
    QCOMPARE(helpPagePath(env.path(QStringLiteral("start")), bin),
             QFileInfo(installed).absoluteFilePath());
  }

  // With no page anywhere, the page compiled into the program is written out and opened.
  void compiledInHelpPageServesWhenNoneIsInstalled() {
    testing::TestServices env;
    const QString path =
        resolveHelpPage(env.path(QStringLiteral("a")), env.path(QStringLiteral("b")));
    QVERIFY(!path.isEmpty());
    const QByteArray page = testing::fileBytes(path);
    QVERIFY(page.contains("tqmenu") || page.contains("<html"));
    QVERIFY(QString::fromUtf8(page).contains(QStringLiteral("Качество")));
  }

  // The ladder runs from 1/32 to 32 through 100%; a zoom between steps (a fitted one) goes
  // to its neighbours, and the ends stay put.
  void zoomStepsClimbTheLadder() {
    QList<double> upwards{kMinZoom};
    while (upwards.back() < kMaxZoom) upwards.append(zoomInStep(upwards.back()));
    QCOMPARE(upwards.size(), 21);
    QVERIFY(upwards.contains(1.0) && upwards.contains(2.0) && upwards.contains(0.5));
    QList<double> downwards{kMaxZoom};
    while (downwards.back() > kMinZoom) downwards.append(zoomOutStep(downwards.back()));
    std::reverse(downwards.begin(), downwards.end());
    QCOMPARE(downwards, upwards);
    QCOMPARE(zoomInStep(kMaxZoom), kMaxZoom);
    QCOMPARE(zoomOutStep(kMinZoom), kMinZoom);
    QCOMPARE(zoomInStep(0.27), 1.0 / 3);
    QCOMPARE(zoomOutStep(0.27), 0.25);
    QCOMPARE(zoomInStep(1.0 / 3), 0.5);  // a step computed as a fraction is the step itself
  }

  void fitZoomAndZoomedPointsAgree() {
    QCOMPARE(fitZoom(QSize(6000, 4000), QSize(800, 560)), 800.0 / 6000);
    QCOMPARE(fitZoom(QSize(100, 400), QSize(800, 200)), 0.5);
    QCOMPARE(fitZoom(QSize(10, 10), QSize(800, 600)), kMaxZoom);    // never beyond the ladder
    QCOMPARE(fitZoom(QSize(1, 65536), QSize(100, 100)), kMinZoom);
    QCOMPARE(fitZoom(QSize(), QSize(100, 100)), 1.0);
    QCOMPARE(zoomedSize(QSize(6000, 4000), 1.0 / 32), QSize(188, 125));
    QCOMPARE(zoomedSize(QSize(1, 1), 1.0 / 32), QSize(1, 1));  // a pixel never vanishes
    // Zoomed in, every image pixel has a corner of its own that leads back to it.
    for (const double zoom : {1.0, 1.5, 3.0, 32.0}) {
      for (const QPoint pixel : {QPoint(0, 0), QPoint(7, 11), QPoint(1234, 999)}) {
        const QPoint scroll(17, 5);
        const QPoint corner = viewportPointOf(pixel, scroll, zoom);
        QCOMPARE(imagePointAt(corner, scroll, zoom), pixel);
        if (zoom >= 2) QCOMPARE(imagePointAt(corner + QPoint(1, 1), scroll, zoom), pixel);
      }
    }
    // Zoomed out, screen pixels step over image pixels by the inverse of the zoom.
    QCOMPARE(imagePointAt(QPoint(21, 30), QPoint(10, 0), 0.5), QPoint(62, 60));
    QCOMPARE(imagePointAt(QPoint(1, 0), QPoint(0, 0), 1.0 / 3), QPoint(3, 0));
    QCOMPARE(anchoredScroll(QPointF(110, 60), QPointF(80, 60), 2.0), QPoint(140, 60));
  }

  void statusLineTexts() {
    QCOMPARE(imageSizeText(QSize(6000, 4000)), QStringLiteral("6000 × 4000 пикс."));
    QCOMPARE(imageSizeText(QSize()), QString());
    QCOMPARE(fileSizeText(0), QStringLiteral("0 байт"));
    QCOMPARE(fileSizeText(1023), QStringLiteral("1023 байт"));
    QCOMPARE(fileSizeText(1024), QStringLiteral("1 КБ"));
    QCOMPARE(fileSizeText(1536), QStringLiteral("1,5 КБ"));
    QCOMPARE(fileSizeText(1024 * 1024 - 1), QStringLiteral("1 МБ"));  // not "1024 КБ"
    QCOMPARE(fileSizeText(qint64{72} * 1024 * 1024 + 300 * 1024), QStringLiteral("72,3 МБ"));
    QCOMPARE(fileSizeText(qint64{5} << 40), QStringLiteral("5120 ГБ"));
    QCOMPARE(fileSizeText(-1), QString());
    QCOMPARE(zoomText(1.0), QStringLiteral("100%"));
    QCOMPARE(zoomText(0.125), QStringLiteral("12,5%"));
    QCOMPARE(zoomText(1.0 / 3), QStringLiteral("33,3%"));
    QCOMPARE(zoomText(32.0), QStringLiteral("3200%"));
  }

  void fileDialogsStartInTheImagesFolderElseTheLastOne() {
    testing::TestServices env;
    const QString image = env.path(QStringLiteral("images"));
    const QString last = env.path(QStringLiteral("last"));
    QVERIFY(QDir().mkpath(image) && QDir().mkpath(last));
    QCOMPARE(dialogStartFolder(image, last), image);
    QCOMPARE(dialogStartFolder(QString(), last), last);
    QCOMPARE(dialogStartFolder(env.path(QStringLiteral("gone")), last), last);
    QCOMPARE(dialogStartFolder(QString(), env.path(QStringLiteral("gone"))), QString());
  }
};

TQ1_UI_TEST_MAIN(UiLogicTest)
#include "UiLogicTest.moc"
