// The settings store on real files: first start, damaged records, partial updates, positions,
// files shared with other writers, and folders that cannot be written.
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/StructText.h"
#include "QtFileContents.h"

namespace tq1 {
namespace {

using testing::readAll;
using testing::writeAll;

// The factory record as it stands in the file: 0, 8, 8, 8, 8, 0, 0, 0, 0, 0, 100, 100 and
// the byte sum 4 * 8 + 2 * 100 = 0xe8.
const QByteArray kFactoryText =
    "00000000" "08000000" "08000000" "08000000" "08000000" "00000000"
    "00000000" "00000000" "00000000" "00000000" "64000000" "64000000" "E8";

SettingsRecord customRecord(std::int32_t seed) {
  SettingsRecord r;
  r.quality = 10 + seed;
  r.bitsRed = 5;
  r.bitsGreen = 6;
  r.bitsBlue = 7;
  r.bitsCommon = 4;
  r.smoothing = 150;
  r.overwriteWithoutAsking = 1;
  r.minimiseToTray = 1;
  r.minimiseWhileConverting = 1;
  r.previewOn = 1;
  r.previewWidth = 250;
  r.previewHeight = -3;  // out of range values are stored as they are
  return r;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString iniPath() const { return dir_.filePath("tq1.ini"); }
  SettingsStore store() const { return SettingsStore(iniPath()); }

  QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheFactoryRecordIntoBothSections) {
  ASSERT_FALSE(QFile::exists(iniPath()));
  const SettingsRecord record = store().ReadSettings();
  EXPECT_EQ(record, factorySettings());
  EXPECT_EQ(readAll(iniPath()),
            "[Settings]\nset=" + kFactoryText + "\n\n[Default]\nset=" + kFactoryText + "\n");
  EXPECT_EQ(store().ReadDefaults(), factorySettings());
}

// Each way a stored "Settings" record can be unusable; all of them reset both sections.
TEST_F(SettingsStoreTest, ADamagedSettingsRecordResetsBothSections) {
  const QByteArray good = encodeStructText(settingsToBytes(customRecord(1)));
  struct Case {
    const char* what;
    QByteArray settingsLine;
  };
  QByteArray nonHex = good;
  nonHex[6] = 'G';
  QByteArray badSum = good;
  badSum[badSum.size() - 1] = badSum.endsWith('0') ? '1' : '0';
  const Case cases[] = {
      {"missing key", "other=1"},
      {"empty value", "set="},
      {"wrong length", "set=" + good.left(good.size() - 2)},
      {"non-hex digit", "set=" + nonHex},
      {"bad checksum", "set=" + badSum},
  };
  const QByteArray defaults = encodeStructText(settingsToBytes(customRecord(2)));
  for (const Case& c : cases) {
    ASSERT_TRUE(writeAll(iniPath(), "[Settings]\n" + c.settingsLine + "\n[Default]\nset=" + defaults + "\n"));
    EXPECT_EQ(store().ReadSettings(), factorySettings()) << c.what;
    // The user's defaults are replaced as well.
    EXPECT_EQ(store().ReadDefaults(), factorySettings()) << c.what;
    const QByteArray content = readAll(iniPath());
    EXPECT_EQ(content.count(kFactoryText), 2) << c.what;
  }
}

TEST_F(SettingsStoreTest, ADamagedDefaultRecordAlsoResetsTheSettings) {
  const SettingsStore s = store();
  ASSERT_TRUE(s.WriteSettings(customRecord(1)));  // "Default" never set
  EXPECT_EQ(s.ReadSettings(), customRecord(1));
  EXPECT_EQ(s.ReadDefaults(), factorySettings());
  EXPECT_EQ(s.ReadSettings(), factorySettings());
}

TEST_F(SettingsStoreTest, CodecAndInterfaceOptionsAreWrittenIndependently) {
  const SettingsStore s = store();
  SettingsRecord stored = factorySettings();
  stored.overwriteWithoutAsking = 1;
  stored.minimiseWhileConverting = 1;
  ASSERT_TRUE(s.WriteSettings(stored));

  // The codec options dialog stores its fields; the interface options stay.
  SettingsRecord fromCodecDialog = customRecord(3);
  fromCodecDialog.overwriteWithoutAsking = 0;
  fromCodecDialog.minimiseToTray = 0;
  fromCodecDialog.minimiseWhileConverting = 0;
  ASSERT_TRUE(s.WriteCodecOptions(fromCodecDialog));
  SettingsRecord expected = fromCodecDialog;
  expected.overwriteWithoutAsking = 1;
  expected.minimiseWhileConverting = 1;
  EXPECT_EQ(s.ReadSettings(), expected);

  // The interface options dialog stores fields 6-8 only.
  SettingsRecord fromInterfaceDialog = factorySettings();
  fromInterfaceDialog.minimiseToTray = 1;
  ASSERT_TRUE(s.WriteInterfaceOptions(fromInterfaceDialog));
  expected.overwriteWithoutAsking = 0;
  expected.minimiseToTray = 1;
  expected.minimiseWhileConverting = 0;
  EXPECT_EQ(s.ReadSettings(), expected);
}

TEST_F(SettingsStoreTest, PositionsAreStoredPerWindow) {
  const SettingsStore s = store();
  const PositionRecord maximised = CapturePosition(-8, -8, 1936, 1056, true, false);
  EXPECT_EQ(maximised.showState, ShowState::Maximised);
  const PositionRecord minimised = CapturePosition(30, 40, 200, 100, false, true);
  EXPECT_EQ(minimised.showState, ShowState::Minimised);
  EXPECT_EQ(CapturePosition(1, 2, 3, 4, true, true).showState, ShowState::Maximised);
  EXPECT_EQ(CapturePosition(1, 2, 3, 4, false, false).showState, ShowState::Normal);

  ASSERT_TRUE(s.WritePosition(WindowKey::Main, maximised));
  ASSERT_TRUE(s.WritePosition(WindowKey::Dirlist, minimised));
  EXPECT_EQ(s.ReadPosition(WindowKey::Main), maximised);
  EXPECT_EQ(s.ReadPosition(WindowKey::Dirlist), minimised);
  EXPECT_EQ(s.ReadPosition(WindowKey::List), kMissingPosition);

  // Left, top, height, width, state: height is stored before width.
  const QByteArray expectedMain = "F8FFFFFF" "F8FFFFFF" "20040000" "90070000" "0A000000" "AF";
  EXPECT_TRUE(readAll(iniPath()).contains("[Position]\nMain=" + expectedMain + "\nDirlist="));
}

TEST_F(SettingsStoreTest, ADamagedPositionGivesTheDefaultPlaceAndResetsNothing) {
  ASSERT_TRUE(writeAll(iniPath(), "[Position]\nAbout=0A0000000A000000\nList=zz\n"));
  const QByteArray before = readAll(iniPath());
  EXPECT_EQ(store().ReadPosition(WindowKey::About), kMissingPosition);
  EXPECT_EQ(store().ReadPosition(WindowKey::List), kMissingPosition);
  EXPECT_EQ(store().ReadPosition(WindowKey::About).left, 10);
  EXPECT_EQ(readAll(iniPath()), before);
}

TEST_F(SettingsStoreTest, KeepsSectionsKeysAndCommentsItDoesNotOwn) {
  const QByteArray foreign =
      "; shared with another tool\r\n"
      "[Recent]\r\n"
      "file1=/home/u/a.bmp\r\n"
      "[Position]\r\n"
      "Toolbox=something else\r\n";
  ASSERT_TRUE(writeAll(iniPath(), foreign));
  const SettingsStore s = store();
  ASSERT_TRUE(s.WriteSettings(customRecord(1)));
  ASSERT_TRUE(s.WritePosition(WindowKey::SetupCodec, CapturePosition(1, 2, 3, 4, false, false)));
  const QByteArray after = readAll(iniPath());
  EXPECT_TRUE(after.startsWith(foreign.left(foreign.size() - 2))) << after.toStdString();
  EXPECT_TRUE(after.contains("Toolbox=something else\r\nSetup_codec="));
  EXPECT_TRUE(after.contains("\r\n[Settings]\r\nset="));
  EXPECT_EQ(s.ReadSettings(), customRecord(1));
}

TEST_F(SettingsStoreTest, TwoStoresOnOneFileSeeEachOthersWrites) {
  const SettingsStore first = store();
  const SettingsStore second = store();
  ASSERT_TRUE(first.WriteSettings(customRecord(1)));
  ASSERT_TRUE(second.WritePosition(WindowKey::About, CapturePosition(5, 6, 7, 8, false, false)));
  ASSERT_TRUE(second.WriteSettings(customRecord(2)));
  EXPECT_EQ(first.ReadSettings(), customRecord(2));  // the last writer wins
  EXPECT_EQ(first.ReadPosition(WindowKey::About).left, 5);
}

// Two writers changing different keys at the same time must not undo each other's keys.
TEST_F(SettingsStoreTest, ConcurrentWritersLoseNothing) {
  constexpr int kRounds = 40;
  auto writer = [this](WindowKey key, int base) {
    const SettingsStore s = store();
    for (int i = 0; i < kRounds; ++i) {
      s.WritePosition(key, CapturePosition(base + i, base + i, 10, 10, false, false));
    }
  };
  std::thread a(writer, WindowKey::Main, 1000);
  std::thread b(writer, WindowKey::List, 2000);
  a.join();
  b.join();
  EXPECT_EQ(store().ReadPosition(WindowKey::Main).left, 1000 + kRounds - 1);
  EXPECT_EQ(store().ReadPosition(WindowKey::List).left, 2000 + kRounds - 1);
  EXPECT_FALSE(QFile::exists(iniPath() + ".lock"));
}

TEST_F(SettingsStoreTest, AFileThatCannotBeWrittenGoesUnnoticed) {
  // A regular file where the folder should be: nothing can be created below it, whoever
  // runs the test.
  ASSERT_TRUE(writeAll(dir_.filePath("blocked"), "not a folder"));
  const SettingsStore s(dir_.filePath("blocked/tq1.ini"));
  EXPECT_EQ(s.ReadSettings(), factorySettings());
  EXPECT_EQ(s.ReadDefaults(), factorySettings());
  EXPECT_FALSE(s.WriteSettings(customRecord(1)));
  EXPECT_FALSE(s.WritePosition(WindowKey::Main, CapturePosition(1, 2, 3, 4, false, false)));
  EXPECT_EQ(s.ReadPosition(WindowKey::Main), kMissingPosition);
  EXPECT_EQ(readAll(dir_.filePath("blocked")), QByteArray("not a folder"));
}

TEST_F(SettingsStoreTest, AnUnreadableSettingsFileIsNeverOverwritten) {
  // A folder in place of the file: it exists, yet cannot be read as a file.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("tq1.ini"));
  EXPECT_EQ(store().ReadSettings(), factorySettings());
  EXPECT_FALSE(store().WriteSettings(customRecord(1)));
  EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST(SettingsDefaultLocation, FollowsXdgConfigHome) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  const QString config = dir.filePath("config");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
  EXPECT_EQ(defaultSettingsPath(), config + "/tq1.ini");
  EXPECT_TRUE(WritePosition(WindowKey::About, CapturePosition(3, 4, 5, 6, false, false)));
  EXPECT_EQ(ReadPosition(WindowKey::About).top, 4);
  EXPECT_EQ(ReadSettings(), factorySettings());
  EXPECT_TRUE(QFile::exists(config + "/tq1.ini"));
  if (old.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", old);
  }
}

}  // namespace
}  // namespace tq1
