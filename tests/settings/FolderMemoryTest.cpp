// The remembered folder of the file dialogs: kept beside the binary records without touching
// them, and refused when the ini file could not give it back unchanged.
#include "settings/FolderMemory.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "QtFileContents.h"

namespace tq1 {
namespace {

using testing::readAll;
using testing::writeAll;

class FolderMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  SettingsStore store() const { return SettingsStore(dir_.filePath("tq1.ini")); }

  QTemporaryDir dir_;
};

TEST_F(FolderMemoryTest, NothingRememberedReadsEmpty) {
  EXPECT_TRUE(readLastFolder(store()).isEmpty());
  ASSERT_TRUE(writeAll(store().path(), "[Folders]\nother=/tmp\n"));
  EXPECT_TRUE(readLastFolder(store()).isEmpty());
}

TEST_F(FolderMemoryTest, FoldersComeBackAsTheyWereGiven) {
  for (const QString& folder : {QStringLiteral("/home/user/photos"),
                                QStringLiteral("/home/user/Фото 2024/отпуск"),
                                QStringLiteral("/srv/a=b;c#d [x]")}) {
    ASSERT_TRUE(writeLastFolder(store(), folder)) << folder.toStdString();
    EXPECT_EQ(readLastFolder(store()), folder);
  }
}

// The records keep their bytes and places; the folder goes into a section of its own.
TEST_F(FolderMemoryTest, RecordsKeepTheirLayout) {
  SettingsRecord record;
  record.quality = 42;
  ASSERT_TRUE(store().WriteSettings(record));
  ASSERT_TRUE(store().WritePosition(WindowKey::Main, {10, 20, 300, 400, ShowState::Maximised}));
  const QByteArray before = readAll(store().path());

  ASSERT_TRUE(writeLastFolder(store(), QStringLiteral("/data/images")));
  ASSERT_TRUE(writeLastFolder(store(), QStringLiteral("/data/other")));
  const QByteArray after = readAll(store().path());
  EXPECT_TRUE(after.startsWith(before)) << after.toStdString();
  EXPECT_EQ(after.mid(before.size()), QByteArray("\n[Folders]\nlast=/data/other\n"));
  EXPECT_EQ(store().ReadSettings().quality, 42);
  EXPECT_EQ(store().ReadPosition(WindowKey::Main).showState, ShowState::Maximised);
}

// A name with a line break would split the file's line and one with blanks at either end
// would come back trimmed: neither is written, and the folder kept before stays.
TEST_F(FolderMemoryTest, PathsTheFileCannotHoldAreNotWritten) {
  ASSERT_TRUE(writeLastFolder(store(), QStringLiteral("/kept")));
  for (const QString& folder :
       {QStringLiteral("/a\nb"), QStringLiteral("/a\rb"), QStringLiteral("/tab\there"),
        QStringLiteral("/ends with blank "), QStringLiteral(" /starts"), QString()}) {
    EXPECT_FALSE(writeLastFolder(store(), folder)) << folder.toStdString();
  }
  EXPECT_EQ(readLastFolder(store()), QStringLiteral("/kept"));
  EXPECT_EQ(readAll(store().path()).count('\n'), 2);
}

}  // namespace
}  // namespace tq1
