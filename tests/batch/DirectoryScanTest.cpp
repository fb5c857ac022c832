// The folder scan takes plain, visible, writable files of the mask and nothing else, in the
// order of their names.
#include "batch/DirectoryScan.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tq1 {
namespace {

class DirectoryScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    for (const char* name : {"a.bmp", "B.BMP", "фото.Bmp", "c.tq1", "x.lst", "a.bmp.bak",
                             ".hidden.bmp", "readonly.bmp", "noext"}) {
      touch(QString::fromUtf8(name));
    }
    ASSERT_TRUE(QFile::setPermissions(dir_.filePath("readonly.bmp"),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(QFile::link(dir_.filePath("a.bmp"), dir_.filePath("link.bmp")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.bmp"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("sub"));
    touch("sub/deep.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir_.filePath("pipe.bmp")).constData(), 0666), 0);
  }

  void touch(const QString& name) {
    QFile file(dir_.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }

  QStringList sorted(QStringList list) {
    list.sort();
    return list;
  }

  QTemporaryDir dir_;
};

TEST_F(DirectoryScanTest, TakesOnlyPlainWritableVisibleFilesOfTheMask) {
  const QString prefix = dir_.path() + "/";
  EXPECT_EQ(sorted(scanDirectory(dir_.path(), "*.bmp")),
            sorted({prefix + "B.BMP", prefix + "a.bmp", prefix + QString::fromUtf8("фото.Bmp")}));
  EXPECT_EQ(scanDirectory(dir_.path(), "*.tq1"), QStringList{prefix + "c.tq1"});
  EXPECT_EQ(scanDirectory(dir_.path(), "*.LST"), QStringList{prefix + "x.lst"});
  // A folder that already ends in "/" gets no second one.
  EXPECT_EQ(scanDirectory(prefix, "*.tq1"), QStringList{prefix + "c.tq1"});
  // A missing folder, or a file given as folder, gives nothing.
  EXPECT_TRUE(scanDirectory(dir_.filePath("missing"), "*.bmp").isEmpty());
  EXPECT_TRUE(scanDirectory(dir_.filePath("a.bmp"), "*").isEmpty());
}

// Names in order without regard to case, whatever order they were made in; names that differ
// only in case keep a fixed order of their own.
TEST(DirectoryScanOrder, FilesComeInTheOrderOfTheirNames) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList made{"c.bmp", "B.bmp", "a10.bmp", "a2.bmp", "b.bmp", "A.bmp",
                         QString::fromUtf8("Ёж.bmp"), QString::fromUtf8("ель.bmp"), "_x.bmp"};
  for (const QString& name : made) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QStringList expected;
  for (const char* name : {"_x.bmp", "A.bmp", "a10.bmp", "a2.bmp", "B.bmp", "b.bmp", "c.bmp",
                           "ель.bmp", "Ёж.bmp"}) {
    expected.append(dir.path() + "/" + QString::fromUtf8(name));
  }
  EXPECT_EQ(scanDirectory(dir.path(), "*.bmp"), expected);
}

TEST_F(DirectoryScanTest, ReadOnlyMeansNoWriteBitForTheUser) {
  EXPECT_TRUE(isPlainWritableFile(QFileInfo(dir_.filePath("a.bmp"))));
  EXPECT_FALSE(isPlainWritableFile(QFileInfo(dir_.filePath("readonly.bmp"))));
  EXPECT_FALSE(isPlainWritableFile(QFileInfo(dir_.filePath(".hidden.bmp"))));
  EXPECT_FALSE(isPlainWritableFile(QFileInfo(dir_.filePath("link.bmp"))));
  EXPECT_FALSE(isPlainWritableFile(QFileInfo(dir_.filePath("folder.bmp"))));
  EXPECT_FALSE(isPlainWritableFile(QFileInfo(dir_.filePath("pipe.bmp"))));
}

}  // namespace
}  // namespace tq1
