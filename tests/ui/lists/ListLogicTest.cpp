// The batch list without widgets: which entries keep their settings through adds, removals and
// list files (beyond the first 128 entries too), the summary of failed entries, and the item
// model at a hundred thousand entries.
#include <QElapsedTimer>
#include <QTest>

#include "ListTestSupport.h"
#include "ui/lists/BatchList.h"
#include "ui/lists/BatchSummaryText.h"
#include "ui/lists/EntryListModel.h"
#include "ui/lists/ListSources.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

const EntrySettings kDefaults{7, 21, 5, 6, 4, kNoMarker};

EntrySettings own(int quality, int position) { return {quality, 3, 8, 7, 6, position}; }

// `count` entries named /p/<i>.bmp, each with settings of its own (quality i % 50).
std::vector<ListEntry> ownEntries(int count) {
  std::vector<ListEntry> entries;
  for (int i = 0; i < count; ++i) {
    entries.push_back({QStringLiteral("/p/%1.bmp").arg(i), own(i % 50, i)});
  }
  return entries;
}

QStringList pathsOf(const std::vector<ListEntry>& entries) {
  QStringList paths;
  for (const ListEntry& entry : entries) paths.append(entry.path);
  return paths;
}

}  // namespace

class ListLogicTest : public QObject {
  Q_OBJECT

 private slots:
  // Entries without settings of their own take the defaults and keep them; a removal moves
  // entries without changing which ones have settings of their own.
  void settingsSurviveAddsAndRemovals() {
    BatchList list;
    list.append({{QStringLiteral("/a.bmp"), own(1, 0)},
                 {QStringLiteral("/b.bmp"), own(2, 5)},  // stored at another position
                 {QStringLiteral("/c.bmp"), {0, 0, 8, 8, 8, kNoMarker}}});
    list.giveDefaultsWhereNotOwn(kDefaults);
    QCOMPARE(list.at(0).settings, own(1, 0));
    QCOMPARE(list.at(1).settings, (EntrySettings{7, 21, 5, 6, 4, 1}));
    QCOMPARE(list.at(2).settings, (EntrySettings{7, 21, 5, 6, 4, 2}));

    const std::size_t second[] = {1, 99};
    list.assign(second, EntrySettings{30, 90, 1, 2, 3, kNoMarker});
    QCOMPARE(list.at(1).settings, (EntrySettings{30, 90, 1, 2, 3, 1}));

    const std::size_t first[] = {0, 0};
    list.remove(first);
    QCOMPARE(pathsOf(list.entries()), (QStringList{"/b.bmp", "/c.bmp"}));
    QCOMPARE(list.at(0).settings, (EntrySettings{30, 90, 1, 2, 3, 0}));
    QVERIFY(list.hasOwnSettings(0) && list.hasOwnSettings(1));

    // An entry without settings of its own does not gain them by landing on its marker.
    list.append({{QStringLiteral("/d.bmp"), own(4, 5)}, {QStringLiteral("/e.bmp"), own(9, 2)}});
    list.remove(first);  // /e.bmp moves from 3 to 2, the position its marker names
    QCOMPARE(pathsOf(list.entries()), (QStringList{"/c.bmp", "/d.bmp", "/e.bmp"}));
    QVERIFY(list.hasOwnSettings(0));
    QVERIFY(!list.hasOwnSettings(1) && !list.hasOwnSettings(2));
    list.giveDefaultsWhereNotOwn(kDefaults);
    QCOMPARE(list.at(2).settings, (EntrySettings{7, 21, 5, 6, 4, 2}));
  }

  // A list file keeps one byte per marker. Entries saved with settings of their own come back
  // with them at every position, not only the first 128; entries that land elsewhere, or that
  // were saved without settings of their own, take the defaults.
  void listFileEntriesKeepTheirSettingsBeyondPosition127() {
    testing::TestServices env;
    const QString file = env.path(QStringLiteral("saved.lst"));
    std::vector<ListEntry> saved = ownEntries(300);
    saved[200].settings.marker = kNoMarker;  // an entry that never had settings of its own
    QVERIFY(writeListFile(file, saved).ok());

    const ListReadResult read = readStoredList(file, kDefaults);
    QVERIFY(read.status.ok());
    QCOMPARE(read.entries.size(), std::size_t{300});
    QCOMPARE(read.entries[255].settings.marker, 255);
    QCOMPARE(read.entries[299].settings, own(299 % 50, 299));
    QCOMPARE(read.entries[200].settings.marker, kNoMarker);

    BatchList list;  // added to an empty list: every entry is where it was saved
    list.append(entriesFromFiles({file}, kDefaults));
    list.giveDefaultsWhereNotOwn(kDefaults);
    for (std::size_t i : {0, 127, 128, 255, 256, 299}) {
      QCOMPARE(list.at(i).settings, own(static_cast<int>(i) % 50, static_cast<int>(i)));
    }
    QCOMPARE(list.at(200).settings, (EntrySettings{7, 21, 5, 6, 4, 200}));

    // Added again, behind the first copy: the second copy's entries are not where they were.
    list.append(entriesFromFiles({file}, kDefaults));
    list.giveDefaultsWhereNotOwn(kDefaults);
    QCOMPARE(list.at(299).settings, own(299 % 50, 299));
    QCOMPARE(list.at(300).settings, (EntrySettings{7, 21, 5, 6, 4, 300}));
    QCOMPARE(list.at(599).settings, (EntrySettings{7, 21, 5, 6, 4, 599}));
  }

  void summaryNamesEachFailureWithItsReason() {
    BatchSummary clean = summarise({}, 3);
    clean.cancelled = false;
    QVERIFY(failureSummaryText(clean).isEmpty());

    std::vector<EntryResult> results(20);
    for (std::size_t i = 0; i < results.size(); ++i) {
      results[i].index = i;
      results[i].source = QStringLiteral("/f/%1.bmp").arg(i);
      results[i].conversion = Conversion::Encode;
      results[i].outcome = i == 0 ? EntryOutcome::Converted : EntryOutcome::Failed;
      results[i].failureStage = FailureStage::Read;
    }
    results[1].failureStage = FailureStage::Write;
    results[1].target = QStringLiteral("/f/1.tq1");
    results[2].conversion = Conversion::Decode;
    results[2].failureStage = FailureStage::Decode;
    const QString text = failureSummaryText(summarise(results, 20));
    const QStringList lines = text.split(u'\n');
    QCOMPARE(lines.at(0), QStringLiteral("Не удалось перекодировать файлов: 19 из 20."));
    QCOMPARE(lines.at(2), QStringLiteral("/f/1.bmp: не удалось записать файл /f/1.tq1."));
    QCOMPARE(lines.at(3), QStringLiteral("/f/2.bmp: файл повреждён или не в формате TQ1."));
    QVERIFY(lines.at(4).startsWith(QStringLiteral("/f/3.bmp: не удалось прочитать изображение")));
    QCOMPARE(lines.size(), 2 + static_cast<int>(kFailuresListed) + 1);
    QCOMPARE(lines.last(), QStringLiteral("… и ещё 4."));
  }

  // A hundred thousand entries: kept in a list file, read back, shown through the model and
  // thinned by a scattered selection, each within moments.
  void hundredThousandEntries() {
    testing::TestServices env;
    constexpr int kCount = 100000;
    std::vector<ListEntry> entries;
    entries.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
      entries.push_back({QStringLiteral("/photos/archive/%1/image_%2.bmp").arg(i / 1000).arg(i),
                         own(i % 50, i)});
    }
    const QString file = env.path(QStringLiteral("big.lst"));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(writeListFile(file, entries).ok());
    ListReadResult read = readStoredList(file, kDefaults);
    QCOMPARE(read.entries.size(), std::size_t{kCount});
    QCOMPARE(read.entries.back().settings, own((kCount - 1) % 50, kCount - 1));

    EntryListModel model;
    model.replace(std::move(read.entries));
    QCOMPARE(model.rowCount(), kCount);
    QCOMPARE(model.data(model.index(kCount - 1), Qt::DisplayRole).toString(),
             QStringLiteral("/photos/archive/99/image_99999.bmp"));

    std::vector<std::size_t> everyThird;
    for (std::size_t i = 0; i < kCount; i += 3) everyThird.push_back(i);
    model.remove(everyThird);
    QCOMPARE(model.rowCount(), kCount - static_cast<int>(everyThird.size()));
    QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(),
             QStringLiteral("/photos/archive/0/image_1.bmp"));
    QVERIFY(model.list().hasOwnSettings(static_cast<std::size_t>(model.rowCount() - 1)));
    model.giveDefaultsWhereNotOwn(kDefaults);
    QCOMPARE(model.entries().back().path, QStringLiteral("/photos/archive/99/image_99998.bmp"));
    QCOMPARE(model.entries().back().settings.quality, 99998 % 50);
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
  }
};

TQ1_UI_TEST_MAIN(ListLogicTest)
#include "ListLogicTest.moc"
