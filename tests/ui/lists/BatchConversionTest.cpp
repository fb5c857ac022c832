// Batch runs from the list dialog: outputs byte-equal to the codec and the bitmap writer with
// each entry's own values, the overwrite question answered both ways or skipped by the
// option, failures listed at the end, the windows hidden while converting and shown again,
// an empty list, one run at a time, and a list of a few hundred files.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTest>

#include "ListTestSupport.h"
#include "ui/lists/ListDialog.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

EntrySettings values(int quality, int smoothing, int red, int green, int blue) {
  return {quality, smoothing, red, green, blue, kNoMarker};
}

// Runs the dialog's list and waits for the run to end.
bool convertAndWait(ListDialog& dialog) {
  QSignalSpy finished(&dialog, &ListDialog::conversionFinished);
  dialog.convert();
  return finished.count() == 1 || finished.wait(60000);
}

}  // namespace

class BatchConversionTest : public QObject {
  Q_OBJECT

 private slots:
  // Bitmaps are encoded with their own values, .tq1 files decoded; other entries are left
  // alone and do not count as done.
  void mixedListMatchesTheCodec() {
    testing::ListTestServices env;
    const QImage photo = testing::patternImage(61, 47);
    const QImage line = testing::patternImage(23, 1);
    QVERIFY(testing::writeBitmap(env.path("photo.bmp"), photo));
    QVERIFY(testing::writeBitmap(env.path("LINE.BMP"), line));
    const QByteArray coded = testing::encodedDirectly(photo, values(5, 15, 6, 7, 5));
    QVERIFY(testing::writeBytes(env.path("coded.tq1"), coded));
    QVERIFY(testing::writeBytes(env.path("notes.txt"), "text"));

    env.setDefaults(12, 36, 5, 5, 4);
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    env.chooser.answers.push_back({env.path("photo.bmp"), env.path("LINE.BMP"),
                                   env.path("coded.tq1"), env.path("notes.txt")});
    dialog.addFiles();  // notes.txt is ignored here: add it as a list entry by hand
    dialog.model().append({{env.path("notes.txt"), values(0, 0, 8, 8, 8)}});
    const std::size_t second[] = {1};
    dialog.model().assign(second, values(0, 0, 8, 3, 0));

    QVERIFY(convertAndWait(dialog));
    const BatchSummary& summary = dialog.conversion()->summary();
    QCOMPARE(summary.total, std::size_t{4});
    QCOMPARE(summary.done, std::size_t{3});
    QCOMPARE(summary.converted, std::size_t{3});
    QCOMPARE(testing::fileBytes(env.path("photo.tq1")),
             testing::encodedDirectly(photo, values(12, 36, 5, 5, 4)));
    QCOMPARE(testing::fileBytes(env.path("LINE.tq1")),
             testing::encodedDirectly(line, values(0, 0, 8, 3, 0)));
    QCOMPARE(testing::fileBytes(env.path("coded.bmp")),
             testing::decodedDirectly(coded, env.path("reference.bmp")));
    QVERIFY(!QFile::exists(env.path("notes.bmp")) && !QFile::exists(env.path("notes.tq1")));
    QVERIFY(env.messages.errors.isEmpty());
    QVERIFY(env.boxes.questions.isEmpty());
    QVERIFY(dialog.isVisible() && dialog.buttons().convert->isEnabled());
    // The run leaves the list as it was.
    QCOMPARE(dialog.model().list().at(1).settings, (EntrySettings{0, 0, 8, 3, 0, 1}));
  }

  // The progress window during a run: the file, the counts, the bar; the question is asked on
  // the interface thread while the worker waits for it, and the answer decides the file.
  void overwriteQuestionAnsweredBothWays() {
    testing::ListTestServices env;
    const QImage photo = testing::patternImage(40, 30);
    QVERIFY(testing::writeBitmap(env.path("a.bmp"), photo));
    QVERIFY(testing::writeBitmap(env.path("b.bmp"), photo));
    QVERIFY(testing::writeBytes(env.path("a.tq1"), "old a"));
    QVERIFY(testing::writeBytes(env.path("b.tq1"), "old b"));
    env.setDefaults(0, 0, 8, 8, 8);

    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    env.chooser.answers.push_back({env.path("a.bmp"), env.path("b.bmp")});
    dialog.addFiles();
    env.boxes.answers = {false, true};
    QStringList seen;
    env.boxes.onQuestion = [&] {
      ProgressWindow* progress = dialog.conversion()->progressWindow();
      seen.append(progress->currentFile() + u' ' + progress->doneText() + u'/' +
                  progress->totalText());
      // A second run cannot start, and the list cannot be closed, while this one goes on.
      BatchConversion* running = dialog.conversion();
      dialog.convert();
      QCOMPARE(dialog.conversion(), running);
      QVERIFY(!dialog.buttons().convert->isEnabled());
      dialog.accept();
      QVERIFY(dialog.isVisible());
    };
    QVERIFY(convertAndWait(dialog));
    QCOMPARE(env.boxes.questions,
             (QStringList{"Файл " + env.path("a.tq1") + " существует, перезаписать его?",
                          "Файл " + env.path("b.tq1") + " существует, перезаписать его?"}));
    QCOMPARE(seen, (QStringList{env.path("a.bmp") + " 0/2", env.path("b.bmp") + " 1/2"}));
    QCOMPARE(testing::fileBytes(env.path("a.tq1")), QByteArray("old a"));
    QCOMPARE(testing::fileBytes(env.path("b.tq1")),
             testing::encodedDirectly(photo, values(0, 0, 8, 8, 8)));
    QCOMPARE(dialog.conversion()->summary().done, std::size_t{2});
    QVERIFY(dialog.conversion()->progressWindow() == nullptr);

    // With the option on, the file is replaced without a question.
    env.setSwitches(true, false);
    QVERIFY(testing::writeBytes(env.path("a.tq1"), "old a"));
    QVERIFY(convertAndWait(dialog));
    QCOMPARE(env.boxes.questions.size(), 2);
    QCOMPARE(testing::fileBytes(env.path("a.tq1")),
             testing::encodedDirectly(photo, values(0, 0, 8, 8, 8)));
  }

  // A .tq1 entry is decoded before the question; No keeps the old bitmap and still counts.
  void decodedEntryAskedAfterDecoding() {
    testing::ListTestServices env;
    const QByteArray coded =
        testing::encodedDirectly(testing::patternImage(20, 20), values(3, 9, 8, 8, 8));
    QVERIFY(testing::writeBytes(env.path("x.tq1"), coded));
    QVERIFY(testing::writeBytes(env.path("x.bmp"), "old bitmap"));
    QVERIFY(testing::writeBytes(env.path("broken.tq1"), coded.left(coded.size() / 2)));
    QVERIFY(testing::writeBytes(env.path("broken.bmp"), "kept"));
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append({{env.path("broken.tq1"), {}}, {env.path("x.tq1"), {}}});
    env.boxes.answers = {false};
    QVERIFY(convertAndWait(dialog));
    // The damaged file raises no question; it fails and is named at the end.
    QCOMPARE(env.boxes.questions,
             QStringList{"Файл " + env.path("x.bmp") + " существует, перезаписать его?"});
    QCOMPARE(testing::fileBytes(env.path("x.bmp")), QByteArray("old bitmap"));
    QCOMPARE(testing::fileBytes(env.path("broken.bmp")), QByteArray("kept"));
    QCOMPARE(dialog.conversion()->summary().done, std::size_t{2});
    QCOMPARE(env.messages.errors,
             QStringList{"Не удалось перекодировать файлов: 1 из 2.\n\n" + env.path("broken.tq1") +
                         ": файл повреждён или не в формате TQ1."});
  }

  // With "minimise while converting", nothing is hidden until the first bitmap; from there
  // the list and the main window are hidden, the progress window is minimised with the
  // percentage in its title, and at the end both windows are back as normal windows.
  void minimiseWhileConverting() {
    testing::ListTestServices env;
    env.setSwitches(false, true);
    const QImage photo = testing::patternImage(30, 30);
    QVERIFY(testing::writeBitmap(env.path("b.bmp"), photo));
    QVERIFY(testing::writeBytes(env.path("b.tq1"), "old"));
    const QByteArray coded = testing::encodedDirectly(photo, values(0, 0, 8, 8, 8));
    QVERIFY(testing::writeBytes(env.path("a.tq1"), coded));
    QVERIFY(testing::writeBytes(env.path("a.bmp"), "old"));

    QWidget owner;
    owner.show();
    owner.showMinimized();
    ListDialog dialog(env.list, &owner);
    dialog.show();
    dialog.model().append({{env.path("a.tq1"), {}}, {env.path("b.bmp"), {}}});
    QStringList states;
    env.boxes.onQuestion = [&] {
      ProgressWindow* progress = dialog.conversion()->progressWindow();
      states.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(owner.isVisible())
                        .arg(dialog.isVisible())
                        .arg(progress->isMinimized())
                        .arg(progress->windowTitle()));
    };
    QVERIFY(convertAndWait(dialog));
    QCOMPARE(states, (QStringList{"1 1 0 Сохранение...", "0 0 1 Сохранение..."}));
    QVERIFY(owner.isVisible() && !owner.isMinimized());
    QVERIFY(dialog.isVisible() && !dialog.isMinimized());
    QCOMPARE(testing::fileBytes(env.path("b.tq1")), coded);
  }

  // A maximised main window comes back maximised, whether the run hid it or not.
  void maximisedMainWindowStaysMaximised() {
    for (const bool minimise : {true, false}) {
      testing::ListTestServices env;
      env.setSwitches(true, minimise);
      QVERIFY(testing::writeBitmap(env.path("b.bmp"), testing::patternImage(20, 20)));
      QWidget owner;
      owner.showMaximized();
      QVERIFY(QTest::qWaitForWindowExposed(&owner));
      ListDialog dialog(env.list, &owner);
      dialog.show();
      dialog.model().append({{env.path("b.bmp"), {}}});
      QVERIFY(convertAndWait(dialog));
      QVERIFY(owner.isVisible());
      QVERIFY2(owner.isMaximized(), minimise ? "hidden by the run" : "left shown");
      QVERIFY(dialog.isVisible() && !dialog.isMinimized());
    }
  }

  // The bar shows the current bitmap's percentage; minimised, the title shows it instead.
  void progressGoesToTheBarOrTheTitle() {
    testing::ListTestServices env;
    QVERIFY(testing::writeBitmap(env.path("a.bmp"), testing::patternImage(64, 64)));
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append({{env.path("a.bmp"), {}}});
    for (const bool minimise : {false, true}) {
      env.setSwitches(true, minimise);
      QStringList last;
      QSignalSpy finished(&dialog, &ListDialog::conversionFinished);
      dialog.convert();
      ProgressWindow* progress = dialog.conversion()->progressWindow();
      QVERIFY(progress && progress->isVisible());
      QCOMPARE(progress->objectName(), QStringLiteral("SAVE"));
      QCOMPARE(progress->windowTitle(), QStringLiteral("Сохранение..."));
      QCOMPARE(progress->totalText(), QStringLiteral("1"));
      connect(progress->bar(), &QProgressBar::valueChanged, this,
              [&](int value) { last.append(QString::number(value)); });
      connect(progress, &QWidget::windowTitleChanged, this,
              [&](const QString& title) { last.append(title); });
      QVERIFY(finished.wait(60000));
      QVERIFY(!last.isEmpty());
      QCOMPARE(last.last(), minimise ? QStringLiteral("100%") : QStringLiteral("100"));
      QVERIFY(dialog.isVisible());
    }
  }

  // An empty list shows no progress window and still brings the windows back as normal.
  void emptyList() {
    testing::ListTestServices env;
    QWidget owner;
    owner.show();
    owner.showMinimized();
    ListDialog dialog(env.list, &owner);
    QVERIFY(convertAndWait(dialog));
    QVERIFY(dialog.conversion()->progressWindow() == nullptr);
    QCOMPARE(dialog.conversion()->summary().total, std::size_t{0});
    QVERIFY(owner.isVisible() && !owner.isMinimized());
    QVERIFY(dialog.isVisible());
    QVERIFY(env.messages.errors.isEmpty());
  }

  // A few hundred small files convert in one run, each to its own target, while the window
  // stays free to handle events.
  void manyFiles() {
    testing::ListTestServices env;
    const QImage tile = testing::patternImage(9, 7);
    QVERIFY(testing::writeBitmap(env.path("tile.bmp"), tile));
    const QByteArray tileBytes = testing::fileBytes(env.path("tile.bmp"));
    std::vector<ListEntry> entries;
    for (int i = 0; i < 200; ++i) {
      const QString path = env.path(QStringLiteral("t%1.bmp").arg(i));
      QVERIFY(testing::writeBytes(path, tileBytes));
      entries.push_back({path, values(i % 51, 0, 8, 8, 8)});
    }
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append(std::move(entries));
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    QVERIFY(convertAndWait(dialog));
    QCOMPARE(dialog.conversion()->summary().converted, std::size_t{200});
    QVERIFY(ticks > 0);
    for (int i : {0, 100, 199}) {
      QCOMPARE(testing::fileBytes(env.path(QStringLiteral("t%1.tq1").arg(i))),
               testing::encodedDirectly(tile, values(i % 51, 0, 8, 8, 8)));
    }
  }
};

TQ1_UI_TEST_MAIN(BatchConversionTest)
#include "BatchConversionTest.moc"
