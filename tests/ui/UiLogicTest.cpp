// The display-free logic of the desktop program that the widget tests do not reach: the
// preview area's limits, damaged settings values, window places and the help page lookup.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/CodecOptionsModel.h"
#include "ui/HelpPage.h"
#include "ui/ImageJobs.h"
#include "ui/ListCodecValues.h"
#include "ui/PreviewArea.h"
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
};

TQ1_UI_TEST_MAIN(UiLogicTest)
#include "UiLogicTest.moc"
