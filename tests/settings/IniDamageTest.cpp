// Damaged tq1.ini files: after any truncation or single-bit flip every record reads as it was
// stored or as missing, never as another value; writing one record keeps the rest; a failed
// write keeps the old file; reading the file takes memory in proportion to it.
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <array>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ResourceLimits.h"
#include "settings/IniDocument.h"
#include "settings/StructText.h"
#include "QtFileContents.h"

namespace tq1 {
namespace {

using testing::readAll;
using testing::writeAll;

const std::vector<RecordPlace> kRecords = storedRecordPlaces();

using Record = std::optional<std::vector<std::uint8_t>>;

class IniDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // Every record the program keeps, each with its own values, among lines it does not own.
    const SettingsStore s = store();
    SettingsRecord settings;
    settings.quality = 33;
    settings.smoothing = 120;
    settings.previewOn = 1;
    SettingsRecord defaults;
    defaults.bitsRed = 3;
    ASSERT_TRUE(writeAll(iniPath(), "; kept by hand\n[Other]\nname = value\n\n"));
    ASSERT_TRUE(s.WriteSettings(settings));
    ASSERT_TRUE(s.WriteDefaults(defaults));
    for (int key = 1; key <= 6; ++key) {
      ASSERT_TRUE(s.WritePosition(static_cast<WindowKey>(key),
                                  CapturePosition(key * 11, -key, 500 + key, 400, key == 1, key == 2)));
    }
    good_ = readAll(iniPath());
    for (std::size_t i = 0; i < kRecords.size(); ++i) {
      original_[i] = s.readRecord(kRecords[i].section, kRecords[i].key, kRecords[i].size);
      ASSERT_TRUE(original_[i].has_value()) << i;
    }
  }

  QString iniPath() const { return dir_.filePath("tq1.ini"); }
  SettingsStore store() const { return SettingsStore(iniPath()); }
  std::array<Record, 8> readRecords() const {
    std::array<Record, 8> records;
    for (std::size_t i = 0; i < kRecords.size(); ++i) {
      records[i] = store().readRecord(kRecords[i].section, kRecords[i].key, kRecords[i].size);
    }
    return records;
  }
  // Where the value text of record i ends in the undamaged file.
  qsizetype valueEnd(std::size_t i) const {
    const qsizetype section = good_.indexOf("[" + kRecords[i].section + "]");
    const qsizetype line = good_.indexOf("\n" + kRecords[i].key + "=", section);
    return good_.indexOf('=', line) + 1 + 2 * static_cast<qsizetype>(kRecords[i].size) + 2;
  }

  QTemporaryDir dir_;
  QByteArray good_;
  std::array<Record, 8> original_;
};

TEST_F(IniDamage, EveryTruncationKeepsTheRecordsItHoldsWhole) {
  for (qsizetype length = 0; length <= good_.size(); ++length) {
    ASSERT_TRUE(writeAll(iniPath(), good_.first(length)));
    const std::array<Record, 8> records = readRecords();
    for (std::size_t i = 0; i < kRecords.size(); ++i) {
      const Record expected = valueEnd(i) <= length ? original_[i] : Record();
      EXPECT_EQ(records[i], expected) << kRecords[i].key.constData() << ", cut to " << length;
    }
  }
}

TEST_F(IniDamage, ABitFlipNeverTurnsARecordIntoAnotherValue) {
  int missing = 0;
  for (qsizetype bit = 0; bit < good_.size() * 8; ++bit) {
    QByteArray damaged = good_;
    damaged[bit / 8] = static_cast<char>(damaged[bit / 8] ^ (0x80 >> (bit % 8)));
    ASSERT_TRUE(writeAll(iniPath(), damaged));
    const std::array<Record, 8> before = readRecords();
    for (std::size_t i = 0; i < kRecords.size(); ++i) {
      if (before[i] != original_[i]) {
        EXPECT_FALSE(before[i].has_value()) << kRecords[i].key.constData() << ", bit " << bit;
        ++missing;
      }
    }
    // Storing one record into the damaged file changes no other record.
    if (bit % 5 == 0) {
      const PositionRecord place = CapturePosition(1, 2, 3, 4, false, false);
      ASSERT_TRUE(store().WritePosition(WindowKey::About, place)) << "bit " << bit;
      const std::array<Record, 8> after = readRecords();
      for (std::size_t i = 0; i < kRecords.size(); ++i) {
        if (kRecords[i].key == "About") continue;
        EXPECT_EQ(after[i], before[i]) << kRecords[i].key.constData() << ", bit " << bit;
      }
      EXPECT_EQ(store().ReadPosition(WindowKey::About), place) << "bit " << bit;
    }
  }
  EXPECT_GT(missing, 0);
}

TEST_F(IniDamage, AFullDiskKeepsTheOldFileAndReportsIt) {
  // A file larger than the cap, so that its rewrite cannot fit.
  QByteArray big = good_ + "\n[Notes]\n";
  for (int i = 0; i < 200; ++i) big += "note" + QByteArray::number(i) + "=" + QByteArray(40, 'n') + "\n";
  ASSERT_TRUE(writeAll(iniPath(), big));
  bool written = true;
  {
    testing::FileSizeLimit limit(4096);
    if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
    written = store().WriteSettings(factorySettings());
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(readAll(iniPath()), big);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tq1.ini"});
  EXPECT_EQ(readRecords(), original_);
}

TEST_F(IniDamage, ReadingTheFileTakesLittleMemory) {
  if (!testing::addressSpaceCapUsable()) GTEST_SKIP() << "sanitizers cannot run under a cap";
  // A child process with 4 MiB of room reads every record; the size limit of the file is
  // larger than that.
  EXPECT_EXIT(
      {
        if (!testing::capAddressSpace(std::uint64_t{4} << 20)) std::_Exit(3);
        std::_Exit(readRecords() == original_ ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tq1
