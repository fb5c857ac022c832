// Character search, base names, classification by extension and the existence test.
#include "batch/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tq1 {
namespace {

TEST(FindCharacter, SearchesBothWaysIncludingTheFirstCharacter) {
  EXPECT_EQ(findCharacter(u"/a/b.c.d", u'.', SearchDirection::Forward), 4);
  EXPECT_EQ(findCharacter(u"/a/b.c.d", u'.', SearchDirection::Backward), 6);
  EXPECT_EQ(findCharacter(u"/abc", u'/', SearchDirection::Backward), 0);
  EXPECT_EQ(findCharacter(u"/abc", u'/', SearchDirection::Forward), 0);
  EXPECT_EQ(findCharacter(u"abc", u'.', SearchDirection::Backward), -1);
  EXPECT_EQ(findCharacter(u"", u'.', SearchDirection::Forward), -1);
}

TEST(BaseName, TakesTheTextBetweenTheLastSlashAndTheLastDot) {
  struct Case {
    const char16_t* path;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"/home/u/photo.bmp", u"photo"},
      {u"/home/u/my.photo.tq1", u"my.photo"},
      {u"/dir.x/photo", u""},          // the only dot belongs to the folder
      {u"/photo.bmp", u"photo"},       // the slash at position 0 counts
      {u"photo.bmp", u"photo"},
      {u"/home/u/.bmp", u""},
      {u"/home/u/Фото снимок.BMP", u"Фото снимок"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(baseName(QStringView(c.path)), QString::fromUtf16(c.expected))
        << QString::fromUtf16(c.path).toStdString();
  }
}

TEST(ClassifyFile, GoesByTheLastExtensionWithoutRegardToCase) {
  struct Case {
    const char16_t* path;
    FileKind expected;
  };
  const Case cases[] = {
      {u"/my.photos/a.bmp", FileKind::Bitmap},
      {u"A.BmP", FileKind::Bitmap},
      {u"/дом/Снимок.BMP", FileKind::Bitmap},
      {u"x.tq1", FileKind::Tq1Image},
      {u"/дом/x.TQ1", FileKind::Tq1Image},
      {u"x.lst", FileKind::Other},
      {u"x.", FileKind::Other},
      {u"x", FileKind::Other},
      {u"x.bmp.bak", FileKind::Other},
      {u"/a.bmp/x", FileKind::Other},
      {u"x.ВМР", FileKind::Other},  // Cyrillic letters that only look like BMP
      {u"x.bmp ", FileKind::Other},
      {u"", FileKind::Other},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(classifyFile(QStringView(c.path)), c.expected)
        << QString::fromUtf16(c.path).toStdString();
  }
}

TEST(FileExists, IsTrueForAnythingThatWouldBeReplaced) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("a.bmp");
  EXPECT_FALSE(fileExists(file));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(fileExists(file));
  // Unreadable files still exist: writing there would destroy them.
  ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::Permissions{}));
  EXPECT_TRUE(fileExists(file));
  ASSERT_TRUE(QFile::link(dir.filePath("nowhere.bmp"), dir.filePath("dangling.bmp")));
  EXPECT_TRUE(fileExists(dir.filePath("dangling.bmp")));
  EXPECT_TRUE(fileExists(dir.path()));
  EXPECT_FALSE(fileExists(dir.filePath("missing/a.bmp")));
  EXPECT_FALSE(fileExists(QString()));
}

}  // namespace
}  // namespace tq1
