// Field order, byte layout and partial updates of the settings record.
#include "settings/SettingsRecord.h"

#include "settings/LittleEndian.h"

namespace tq1 {

std::array<std::int32_t, kSettingsFieldCount> settingsFields(const SettingsRecord& r) noexcept {
  return {r.quality,        r.bitsRed,        r.bitsGreen,
          r.bitsBlue,       r.bitsCommon,     r.smoothing,
          r.overwriteWithoutAsking, r.minimiseToTray, r.minimiseWhileConverting,
          r.previewOn,      r.previewWidth,   r.previewHeight};
}

SettingsRecord settingsFromFields(const std::array<std::int32_t, kSettingsFieldCount>& f) noexcept {
  SettingsRecord r;
  r.quality = f[0];
  r.bitsRed = f[1];
  r.bitsGreen = f[2];
  r.bitsBlue = f[3];
  r.bitsCommon = f[4];
  r.smoothing = f[5];
  r.overwriteWithoutAsking = f[6];
  r.minimiseToTray = f[7];
  r.minimiseWhileConverting = f[8];
  r.previewOn = f[9];
  r.previewWidth = f[10];
  r.previewHeight = f[11];
  return r;
}

std::array<std::uint8_t, kSettingsRecordSize> settingsToBytes(const SettingsRecord& record) noexcept {
  std::array<std::uint8_t, kSettingsRecordSize> bytes{};
  const auto fields = settingsFields(record);
  for (std::size_t i = 0; i < fields.size(); ++i) detail::storeLe32(bytes, 4 * i, fields[i]);
  return bytes;
}

std::optional<SettingsRecord> settingsFromBytes(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.size() != kSettingsRecordSize) return std::nullopt;
  std::array<std::int32_t, kSettingsFieldCount> fields{};
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = detail::loadLe32(bytes, 4 * i);
  return settingsFromFields(fields);
}

SettingsRecord withCodecOptions(SettingsRecord current, const SettingsRecord& source) noexcept {
  SettingsRecord merged = source;
  merged.overwriteWithoutAsking = current.overwriteWithoutAsking;
  merged.minimiseToTray = current.minimiseToTray;
  merged.minimiseWhileConverting = current.minimiseWhileConverting;
  return merged;
}

SettingsRecord withInterfaceOptions(SettingsRecord current, const SettingsRecord& source) noexcept {
  current.overwriteWithoutAsking = source.overwriteWithoutAsking;
  current.minimiseToTray = source.minimiseToTray;
  current.minimiseWhileConverting = source.minimiseWhileConverting;
  return current;
}

}  // namespace tq1
