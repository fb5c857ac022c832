// The settings operations on one ini file.
#include "settings/SettingsStore.h"

#include <QStandardPaths>

#include "settings/IniFileIo.h"
#include "settings/StructText.h"

namespace tq1 {
namespace {

constexpr QByteArrayView kSettingsSection = "Settings";
constexpr QByteArrayView kDefaultSection = "Default";
constexpr QByteArrayView kSettingsKey = "set";
constexpr QByteArrayView kPositionSection = "Position";

QByteArrayView keyOf(WindowKey key) noexcept {
  const std::string_view name = windowKeyName(key);
  return QByteArrayView(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

std::vector<RecordPlace> storedRecordPlaces() {
  std::vector<RecordPlace> places{
      {kSettingsSection.toByteArray(), kSettingsKey.toByteArray(), kSettingsRecordSize},
      {kDefaultSection.toByteArray(), kSettingsKey.toByteArray(), kSettingsRecordSize},
  };
  for (const WindowKey window : {WindowKey::Main, WindowKey::SetupCodec, WindowKey::About,
                                 WindowKey::List, WindowKey::SetupInterface, WindowKey::Dirlist}) {
    places.push_back({kPositionSection.toByteArray(), keyOf(window).toByteArray(), kPositionRecordSize});
  }
  return places;
}

SettingsStore::SettingsStore(QString iniPath) : path_(std::move(iniPath)) {}

std::optional<std::vector<std::uint8_t>> SettingsStore::readRecord(QByteArrayView section,
                                                                    QByteArrayView key,
                                                                    std::size_t size) const {
  const auto document = loadIniFile(path_);
  if (!document) return std::nullopt;
  const auto text = document->value(section, key);
  if (!text) return std::nullopt;
  return decodeStructText(*text, size);
}

bool SettingsStore::writeRecord(QByteArrayView section, QByteArrayView key,
                                std::span<const std::uint8_t> bytes) const {
  const QByteArray text = encodeStructText(bytes);
  return editIniFile(path_, [&](IniDocument& document) {
    document.setValue(section, key, text);
  });
}

std::optional<SettingsRecord> SettingsStore::readSettingsSection(QByteArrayView section) const {
  const auto bytes = readRecord(section, kSettingsKey, kSettingsRecordSize);
  if (!bytes) return std::nullopt;
  return settingsFromBytes(*bytes);
}

SettingsRecord SettingsStore::readOrRecover(QByteArrayView section) const {
  if (auto record = readSettingsSection(section)) return *record;
  WriteFactoryDefaults();
  if (auto record = readSettingsSection(section)) return *record;
  return factorySettings();
}

SettingsRecord SettingsStore::ReadSettings() const { return readOrRecover(kSettingsSection); }

SettingsRecord SettingsStore::ReadDefaults() const { return readOrRecover(kDefaultSection); }

bool SettingsStore::WriteSettings(const SettingsRecord& record) const {
  return writeRecord(kSettingsSection, kSettingsKey, settingsToBytes(record));
}

bool SettingsStore::WriteDefaults(const SettingsRecord& record) const {
  return writeRecord(kDefaultSection, kSettingsKey, settingsToBytes(record));
}

bool SettingsStore::WriteFactoryDefaults() const {
  const bool settingsWritten = WriteSettings(factorySettings());
  const bool defaultsWritten = WriteDefaults(factorySettings());
  return settingsWritten && defaultsWritten;
}

bool SettingsStore::WriteCodecOptions(const SettingsRecord& source) const {
  return WriteSettings(withCodecOptions(ReadSettings(), source));
}

bool SettingsStore::WriteInterfaceOptions(const SettingsRecord& source) const {
  return WriteSettings(withInterfaceOptions(ReadSettings(), source));
}

PositionRecord SettingsStore::ReadPosition(WindowKey key) const {
  const auto bytes = readRecord(kPositionSection, keyOf(key), kPositionRecordSize);
  if (!bytes) return kMissingPosition;
  return positionFromBytes(*bytes).value_or(kMissingPosition);
}

bool SettingsStore::WritePosition(WindowKey key, const PositionRecord& record) const {
  return writeRecord(kPositionSection, keyOf(key), positionToBytes(record));
}

QString defaultSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/tq1.ini");
}

SettingsRecord ReadSettings() { return SettingsStore(defaultSettingsPath()).ReadSettings(); }
bool WriteSettings(const SettingsRecord& record) {
  return SettingsStore(defaultSettingsPath()).WriteSettings(record);
}
SettingsRecord ReadDefaults() { return SettingsStore(defaultSettingsPath()).ReadDefaults(); }
bool WriteDefaults(const SettingsRecord& record) {
  return SettingsStore(defaultSettingsPath()).WriteDefaults(record);
}
bool WriteFactoryDefaults() { return SettingsStore(defaultSettingsPath()).WriteFactoryDefaults(); }
bool WriteCodecOptions(const SettingsRecord& source) {
  return SettingsStore(defaultSettingsPath()).WriteCodecOptions(source);
}
bool WriteInterfaceOptions(const SettingsRecord& source) {
  return SettingsStore(defaultSettingsPath()).WriteInterfaceOptions(source);
}
PositionRecord ReadPosition(WindowKey key) {
  return SettingsStore(defaultSettingsPath()).ReadPosition(key);
}
bool WritePosition(WindowKey key, const PositionRecord& record) {
  return SettingsStore(defaultSettingsPath()).WritePosition(key, record);
}

}  // namespace tq1
