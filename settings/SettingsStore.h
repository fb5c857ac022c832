// Reads and writes the settings record, the user's defaults and the window positions in one
// ini file. Nothing is cached: every call goes to the file, so two running copies of the
// program see each other's writes and the last writer of a record wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "settings/PositionRecord.h"
#include "settings/SettingsRecord.h"

namespace tq1 {

// Where the file keeps one of its records, and the record's size.
struct RecordPlace {
  QByteArray section;
  QByteArray key;
  std::size_t size = 0;
};

// Every record the program keeps: the settings, the defaults, then the window places in
// WindowKey order. For tools and checks that look at the whole file.
[[nodiscard]] std::vector<RecordPlace> storedRecordPlaces();

// Sections: "Settings"/"set" and "Default"/"set" hold a SettingsRecord, "Position"/<window>
// a PositionRecord, each in the hex-with-checksum text form. A record that is missing, of
// the wrong length, not hex or with a wrong checksum reads as missing. Every other section,
// key and comment of the file is kept as it is; a write replaces the whole file atomically.
//
// The writers return whether the file was written; the program itself ignores it (a file
// that cannot be written, such as one in a read-only directory, goes unnoticed), but tests
// and tools may look.
class SettingsStore {
 public:
  explicit SettingsStore(QString iniPath);

  [[nodiscard]] const QString& path() const noexcept { return path_; }

  // The current settings. A missing or damaged record writes the factory record into both
  // "Settings" and "Default" (the defaults are reset with it) and reads again; when even
  // that fails, the factory record itself.
  [[nodiscard]] SettingsRecord ReadSettings() const;
  bool WriteSettings(const SettingsRecord& record) const;
  // The user's defaults, with the same recovery as ReadSettings (it resets both sections).
  [[nodiscard]] SettingsRecord ReadDefaults() const;
  bool WriteDefaults(const SettingsRecord& record) const;
  // Writes the factory record into "Settings" and then into "Default".
  bool WriteFactoryDefaults() const;

  // Read-modify-write of the current settings that changes only the codec options (fields
  // 0-5, 9-11), or only the interface options (6-8), of the stored record.
  bool WriteCodecOptions(const SettingsRecord& source) const;
  bool WriteInterfaceOptions(const SettingsRecord& source) const;

  // The stored place of a window, or kMissingPosition (left 10, top 10, no size).
  [[nodiscard]] PositionRecord ReadPosition(WindowKey key) const;
  bool WritePosition(WindowKey key, const PositionRecord& record) const;

  // One binary record in its text form; the building blocks of the operations above.
  [[nodiscard]] std::optional<std::vector<std::uint8_t>> readRecord(
      QByteArrayView section, QByteArrayView key, std::size_t size) const;
  bool writeRecord(QByteArrayView section, QByteArrayView key,
                   std::span<const std::uint8_t> bytes) const;

 private:
  [[nodiscard]] std::optional<SettingsRecord> readSettingsSection(QByteArrayView section) const;
  [[nodiscard]] SettingsRecord readOrRecover(QByteArrayView section) const;

  QString path_;
};

// "tq1.ini" in the user's configuration folder (QStandardPaths::GenericConfigLocation,
// which follows XDG_CONFIG_HOME).
[[nodiscard]] QString defaultSettingsPath();

// The same operations on the file at defaultSettingsPath().
[[nodiscard]] SettingsRecord ReadSettings();
bool WriteSettings(const SettingsRecord& record);
[[nodiscard]] SettingsRecord ReadDefaults();
bool WriteDefaults(const SettingsRecord& record);
bool WriteFactoryDefaults();
bool WriteCodecOptions(const SettingsRecord& source);
bool WriteInterfaceOptions(const SettingsRecord& source);
[[nodiscard]] PositionRecord ReadPosition(WindowKey key);
bool WritePosition(WindowKey key, const PositionRecord& record);

}  // namespace tq1
