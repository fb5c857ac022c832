// The ".lst" list file: exact bytes, signed settings, damaged and truncated data, big lists,
// failures that the caller must hear about, and the per-user temporary list.
#include "batch/ListFile.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/TemporaryList.h"
#include "QtFileContents.h"

namespace tq1 {
namespace {

using testing::readAll;
using testing::writeAll;

const EntrySettings kDefaults{7, 3, 6, 5, 4, kNoMarker};

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

TEST(ListFileFormat, WritesTheDocumentedRecord) {
  const std::vector<ListEntry> list{{"C:\\a.bmp", EntrySettings{10, 2, 8, 8, 8, 0}}};
  const QByteArray expected = bytes({0x43, 0x3A, 0x5C, 0x61, 0x2E, 0x62, 0x6D, 0x70, 0xFF, 0x0A,
                                     0x02, 0x08, 0x08, 0x08, 0x00, 0x0D, 0x0A, 0x00});
  EXPECT_EQ(serialiseList(list), expected);
  EXPECT_EQ(parseList(expected, kDefaults), list);
  EXPECT_TRUE(serialiseList({}).isEmpty());
  EXPECT_TRUE(parseList({}, kDefaults).empty());
}

TEST(ListFileFormat, StoresLowBytesAndReadsThemBackSigned) {
  const std::vector<ListEntry> list{{"/p/x.bmp", EntrySettings{130, 150, -1, 0, 8, 200}}};
  const QByteArray data = serialiseList(list);
  EXPECT_EQ(data.sliced(9, 6), bytes({0x82, 0x96, 0xFF, 0x00, 0x08, 0xC8}));
  const auto back = parseList(data, kDefaults);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].settings.quality, -126);
  EXPECT_EQ(back[0].settings.smoothing, 150);  // its whole range survives
  EXPECT_EQ(back[0].settings.redBits, -1);
  EXPECT_EQ(back[0].settings.marker, -56);
  // Smoothing reads as 0-255: the byte 0xFF is 255, not -1.
  EXPECT_EQ(parseList(bytes({'a', 0xFF, 0, 0xFF, 0, 0, 0, 0}), kDefaults)[0].settings.smoothing, 255);
}

TEST(ListFileFormat, SkipsNineBytesAfterEachNameWhateverTheyHold) {
  // The end bytes of the first record are not 0D 0A 00; the second record still starts
  // right after them.
  const QByteArray data = bytes({'a', 0xFF, 1, 2, 3, 4, 5, 6, 'x', 'y', 'z',
                                 'b', 0xFF, 9, 8, 7, 6, 5, 4, 0x0D, 0x0A, 0x00});
  const auto entries = parseList(data, kDefaults);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (ListEntry{"a", EntrySettings{1, 2, 3, 4, 5, 6}}));
  EXPECT_EQ(entries[1], (ListEntry{"b", EntrySettings{9, 8, 7, 6, 5, 4}}));
}

TEST(ListFileFormat, DropsANameWithoutItsEnd) {
  const std::vector<ListEntry> list{{"/a.bmp", EntrySettings{1, 1, 1, 1, 1, 0}},
                                    {"/b.tq1", EntrySettings{2, 2, 2, 2, 2, 1}}};
  const QByteArray data = serialiseList(list) + "/unfinished.bmp";
  EXPECT_EQ(parseList(data, kDefaults), list);
}

TEST(ListFileFormat, FillsSettingsCutOffByTheEndOfTheDataWithDefaults) {
  // Two of the six settings bytes exist.
  const auto two = parseList(bytes({'a', 0xFF, 20, 30}), kDefaults);
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two[0].settings, (EntrySettings{20, 30, kDefaults.redBits, kDefaults.greenBits,
                                            kDefaults.blueBits, kDefaults.marker}));
  // None of them exists.
  const auto none = parseList(bytes({'a', 0xFF}), kDefaults);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].settings, kDefaults);
  // All six exist but the end bytes are cut: nothing is missing.
  const auto six = parseList(bytes({'a', 0xFF, 1, 2, 3, 4, 5, 6, 0x0D}), kDefaults);
  ASSERT_EQ(six.size(), 1u);
  EXPECT_EQ(six[0].settings, (EntrySettings{1, 2, 3, 4, 5, 6}));
}

class ListFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QTemporaryDir dir_;
};

TEST_F(ListFileTest, AHundredThousandEntriesComeBackWhole) {
  std::vector<ListEntry> list;
  list.reserve(100000);
  for (int i = 0; i < 100000; ++i) {
    const QString path = QStringLiteral("/data/папка %1/image_%2.%3")
                             .arg(i % 97)
                             .arg(i)
                             .arg(i % 2 == 0 ? "bmp" : "tq1");
    list.push_back({path, EntrySettings{i % 51, i % 128, i % 9, (i / 9) % 9, (i / 81) % 9,
                                        static_cast<std::int8_t>(i & 0xFF)}});
  }
  const QString path = dir_.filePath("big.lst");
  ASSERT_TRUE(writeListFile(path, list).ok());
  EXPECT_GT(QFileInfo(path).size(), 10240 * 100);
  const ListReadResult result = readListFile(path, kDefaults);
  ASSERT_TRUE(result.status.ok()) << result.status.message().toStdString();
  ASSERT_EQ(result.entries.size(), list.size());
  EXPECT_TRUE(result.entries == list);
}

TEST_F(ListFileTest, AnEmptyListIsAnEmptyFile) {
  const QString path = dir_.filePath("empty.lst");
  ASSERT_TRUE(writeListFile(path, {}).ok());
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(QFileInfo(path).size(), 0);
  const ListReadResult result = readListFile(path, kDefaults);
  EXPECT_TRUE(result.status.ok());
  EXPECT_TRUE(result.entries.empty());
}

TEST_F(ListFileTest, ReplacingAListLeavesNothingOfTheOldOne) {
  const QString path = dir_.filePath("l.lst");
  const std::vector<ListEntry> longList(50, ListEntry{"/a/long/name.bmp", kDefaults});
  const std::vector<ListEntry> shortList{{"/b.tq1", EntrySettings{1, 2, 3, 4, 5, 0}}};
  ASSERT_TRUE(writeListFile(path, longList).ok());
  ASSERT_TRUE(writeListFile(path, shortList).ok());
  EXPECT_EQ(readAll(path), serialiseList(shortList));
}

TEST_F(ListFileTest, AListThatCannotBeCreatedIsReportedAndChangesNothing) {
  ASSERT_TRUE(writeAll(dir_.filePath("plain"), "a file, not a folder"));
  const std::vector<ListEntry> list{{"/a.bmp", kDefaults}};
  const ListFileStatus status = writeListFile(dir_.filePath("plain/x.lst"), list);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.error(), ListFileError::CreateFailed);
  EXPECT_FALSE(status.message().isEmpty());
  EXPECT_EQ(readAll(dir_.filePath("plain")), QByteArray("a file, not a folder"));

  const ListFileStatus toFolder = writeListFile(dir_.path(), list);
  EXPECT_FALSE(toFolder.ok());
  EXPECT_TRUE(QFileInfo(dir_.path()).isDir());
}

TEST_F(ListFileTest, AMissingOrUnreadableFileReadsAsAnErrorWithNoEntries) {
  const ListReadResult missing = readListFile(dir_.filePath("none.lst"), kDefaults);
  EXPECT_EQ(missing.status.error(), ListFileError::OpenFailed);
  EXPECT_TRUE(missing.entries.empty());
  const ListReadResult folder = readListFile(dir_.path(), kDefaults);
  EXPECT_EQ(folder.status.error(), ListFileError::OpenFailed);
  EXPECT_TRUE(folder.entries.empty());
}

TEST(TemporaryList, LivesInThePerUserDataFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray oldData = qgetenv("XDG_DATA_HOME");
  const QString oldName = QCoreApplication::applicationName();
  qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));

  QCoreApplication::setApplicationName("tq1");
  const QString path = temporaryListPath();
  EXPECT_EQ(path, dir.path() + "/tq1/tmp.lst");
  EXPECT_TRUE(QFileInfo(dir.path() + "/tq1").isDir());
  // The folder exists, so the first save of the list succeeds.
  EXPECT_TRUE(writeListFile(path, std::vector<ListEntry>{{"/a.bmp", kDefaults}}).ok());

  // Without an application name the list still gets a folder of its own.
  QCoreApplication::setApplicationName(QString());
  EXPECT_EQ(temporaryListPath(), dir.path() + "/tq1/tmp.lst");

  QCoreApplication::setApplicationName(oldName);
  if (oldData.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", oldData);
  }
}

}  // namespace
}  // namespace tq1
