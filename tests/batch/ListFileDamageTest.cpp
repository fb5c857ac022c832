// Damaged and awkward list files: every truncation and every bit flip reads soundly, names of
// every kind survive a save and a load, a failed save keeps the old list, and reading a list
// takes memory in proportion to the file.
#include "batch/ListFile.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ResourceLimits.h"
#include "QtFileContents.h"

namespace tq1 {
namespace {

using testing::readAll;
using testing::writeAll;

const EntrySettings kMissing{111, 222, 33, 44, 55, 66};

// Names a user can give files: spaces, Cyrillic, both quotes, a leading dash, control bytes
// a file system allows, a path of 4000 bytes and a component of 255 bytes.
std::vector<ListEntry> awkwardList() {
  return {
      {"/home/user/с пробелом и «кавычками».bmp", EntrySettings{10, 2, 8, 8, 8, 0}},
      {"/tmp/it's a \"test\".tq1", EntrySettings{-128, 255, 0, 1, 2, 127}},
      {"-dash.bmp", EntrySettings{0, 0, 8, 8, 8, -1}},
      {"/data/line\r\nbreak\ttab.bmp", EntrySettings{50, 150, 5, 6, 5, 3}},
      {"/" + QString(255, QChar(u'ж')) + "/" + QString(3700, QChar('p')) + ".bmp",
       EntrySettings{1, 2, 3, 4, 5, 6}},
      {QString(255, QChar('x')), EntrySettings{7, 7, 7, 7, 7, 7}},
  };
}

// Where each record's name ends (its 0xFF) in `data`.
std::vector<qsizetype> nameEnds(const QByteArray& data) {
  std::vector<qsizetype> ends;
  for (qsizetype at = data.indexOf('\xFF'); at >= 0; at = data.indexOf('\xFF', at + 10)) {
    ends.push_back(at);
  }
  return ends;
}

// What the first `length` bytes of a list must read as: every record whose 0xFF they hold,
// with the settings bytes they hold and the defaults for the rest.
std::vector<ListEntry> expectedPrefix(const std::vector<ListEntry>& list,
                                      const std::vector<qsizetype>& ends, qsizetype length) {
  std::vector<ListEntry> expected;
  for (std::size_t i = 0; i < list.size() && ends[i] < length; ++i) {
    ListEntry entry = list[i];
    std::int32_t* fields[] = {&entry.settings.quality, &entry.settings.smoothing,
                              &entry.settings.redBits, &entry.settings.greenBits,
                              &entry.settings.blueBits, &entry.settings.marker};
    const std::int32_t defaults[] = {kMissing.quality, kMissing.smoothing, kMissing.redBits,
                                     kMissing.greenBits, kMissing.blueBits, kMissing.marker};
    for (qsizetype k = 0; k < 6; ++k) {
      if (ends[i] + 1 + k >= length) *fields[k] = defaults[k];
    }
    expected.push_back(entry);
  }
  return expected;
}

class ListFileDamage : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QTemporaryDir dir_;
};

TEST_F(ListFileDamage, AwkwardNamesSurviveASaveAndALoad) {
  const std::vector<ListEntry> list = awkwardList();
  const QString path = dir_.filePath("список «1».lst");
  ASSERT_TRUE(writeListFile(path, list).ok());
  const ListReadResult read = readListFile(path, kMissing);
  ASSERT_TRUE(read.status.ok()) << read.status.message().toStdString();
  EXPECT_EQ(read.entries, list);
}

TEST_F(ListFileDamage, EveryTruncationReadsTheRecordsItHolds) {
  const std::vector<ListEntry> list = awkwardList();
  const QByteArray data = serialiseList(list);
  const std::vector<qsizetype> ends = nameEnds(data);
  ASSERT_EQ(ends.size(), list.size());
  const QString path = dir_.filePath("cut.lst");
  for (qsizetype length = 0; length <= data.size(); ++length) {
    const QByteArray cut = data.first(length);
    const std::vector<ListEntry> expected = expectedPrefix(list, ends, length);
    EXPECT_EQ(parseList(cut, kMissing), expected) << "cut to " << length << " bytes";
    // The file reader, on every tenth length and wherever a record ends.
    if (length % 10 == 0 || std::find(ends.begin(), ends.end(), length - 1) != ends.end()) {
      ASSERT_TRUE(writeAll(path, cut));
      const ListReadResult read = readListFile(path, kMissing);
      EXPECT_TRUE(read.status.ok());
      EXPECT_EQ(read.entries, expected) << "file cut to " << length << " bytes";
    }
  }
}

TEST_F(ListFileDamage, EveryBitFlipLeavesTheRecordsBeforeItAlone) {
  std::vector<ListEntry> list = awkwardList();
  list.resize(4);  // the long names would make the sweep slow without adding cases
  const QByteArray data = serialiseList(list);
  const std::vector<qsizetype> ends = nameEnds(data);
  for (qsizetype bit = 0; bit < data.size() * 8; ++bit) {
    QByteArray damaged = data;
    damaged[bit / 8] = static_cast<char>(damaged[bit / 8] ^ (0x80 >> (bit % 8)));
    const std::vector<ListEntry> entries = parseList(damaged, kMissing);
    EXPECT_LE(static_cast<qsizetype>(entries.size()), damaged.count('\xFF')) << "bit " << bit;
    // Records that end (settings and end bytes included) before the damaged byte are intact.
    std::size_t intact = 0;
    while (intact < list.size() && ends[intact] + 9 < bit / 8) ++intact;
    ASSERT_GE(entries.size(), intact) << "bit " << bit;
    for (std::size_t i = 0; i < intact; ++i) EXPECT_EQ(entries[i], list[i]) << "bit " << bit;
  }
}

TEST_F(ListFileDamage, AFullDiskKeepsTheOldListAndReportsIt) {
  const QString path = dir_.filePath("keep.lst");
  const std::vector<ListEntry> old = awkwardList();
  ASSERT_TRUE(writeListFile(path, old).ok());
  const QByteArray oldBytes = readAll(path);
  // A list that still sits in the writer's buffer when the disk fills up, and one written
  // straight through.
  for (const int entries : {300, 2000}) {
    std::vector<ListEntry> bigger;
    for (int i = 0; i < entries; ++i) bigger.push_back({QStringLiteral("/many/file %1.bmp").arg(i), {}});
    ASSERT_GT(serialiseList(bigger).size(), oldBytes.size() + 1000);
    ListFileStatus status;
    {
      testing::FileSizeLimit limit(static_cast<rlim_t>(oldBytes.size() + 1000));
      if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
      status = writeListFile(path, bigger);
    }
    EXPECT_EQ(status.error(), ListFileError::WriteFailed) << entries;
    EXPECT_FALSE(status.message().isEmpty());
    EXPECT_EQ(readAll(path), oldBytes) << entries;
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.lst"});
    EXPECT_EQ(readListFile(path, kMissing).entries, old);
  }
}

TEST_F(ListFileDamage, ANameOfTheLongestLengthCanBeSaved) {
  const QString path = dir_.filePath(QString(251, QChar('l')) + ".lst");
  const std::vector<ListEntry> list = awkwardList();
  const ListFileStatus status = writeListFile(path, list);
  ASSERT_TRUE(status.ok()) << status.message().toStdString();
  EXPECT_EQ(readListFile(path, kMissing).entries, list);
}

TEST_F(ListFileDamage, ReadingASmallListTakesLittleMemory) {
  if (!testing::addressSpaceCapUsable()) GTEST_SKIP() << "sanitizers cannot run under a cap";
  const QString path = dir_.filePath("small.lst");
  ASSERT_TRUE(writeListFile(path, awkwardList()).ok());
  // A child process with 64 MiB of room reads the list; the list file limit is far larger.
  EXPECT_EXIT(
      {
        if (!testing::capAddressSpace(std::uint64_t{64} << 20)) std::_Exit(3);
        const ListReadResult read = readListFile(path, kMissing);
        std::_Exit(read.status.ok() && read.entries.size() == 6 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tq1
