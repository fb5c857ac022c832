// The settings record of tq1.ini: the codec parameters and interface options in twelve fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tq1 {

// Twelve 32-bit signed fields stored little-endian in this order (byte offset = 4 x index).
// Fields 0-5 and 9-11 belong to the codec options dialog, 6-8 to the interface options.
struct SettingsRecord {
  std::int32_t quality = 0;        // 0: quality tolerance, 0-50, 0 is the finest
  std::int32_t bitsRed = 8;        // 1: bits kept for red, 0-8
  std::int32_t bitsGreen = 8;      // 2: bits kept for green, 0-8
  std::int32_t bitsBlue = 8;       // 3: bits kept for blue, 0-8
  std::int32_t bitsCommon = 8;     // 4: the common bits slider, 0-8
  std::int32_t smoothing = 0;      // 5: block-edge smoothing degree, 0-150
  std::int32_t overwriteWithoutAsking = 0;   // 6: 1 replaces same-named files unasked
  std::int32_t minimiseToTray = 0;           // 7: 1 hides the minimised main window in the tray
  std::int32_t minimiseWhileConverting = 0;  // 8: 1 minimises the windows during a batch
  std::int32_t previewOn = 0;      // 9: 1 shows the preview of the codec options dialog
  // 10, 11: preview area size. The options dialog accepts 10-250; a new installation starts
  // with a 100 x 100 area, a middle size that fits beside the dialog on small screens.
  std::int32_t previewWidth = 100;
  std::int32_t previewHeight = 100;

  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

inline constexpr std::size_t kSettingsFieldCount = 12;
inline constexpr std::size_t kSettingsRecordSize = 4 * kSettingsFieldCount;  // 48 bytes

// The record a new installation starts with (the member initialisers above).
[[nodiscard]] constexpr SettingsRecord factorySettings() noexcept { return SettingsRecord{}; }

// Field access by index 0-11, in stored order.
[[nodiscard]] std::array<std::int32_t, kSettingsFieldCount> settingsFields(
    const SettingsRecord& record) noexcept;
[[nodiscard]] SettingsRecord settingsFromFields(
    const std::array<std::int32_t, kSettingsFieldCount>& fields) noexcept;

// The 48 stored bytes, and back; a span of any other length gives nothing.
[[nodiscard]] std::array<std::uint8_t, kSettingsRecordSize> settingsToBytes(
    const SettingsRecord& record) noexcept;
[[nodiscard]] std::optional<SettingsRecord> settingsFromBytes(
    std::span<const std::uint8_t> bytes) noexcept;

// `current` with the codec options (fields 0-5 and 9-11) taken from `source`; the interface
// options (6-8) stay. This is what the codec options dialog stores.
[[nodiscard]] SettingsRecord withCodecOptions(SettingsRecord current,
                                              const SettingsRecord& source) noexcept;
// `current` with the interface options (6-8) taken from `source`; the codec options stay.
[[nodiscard]] SettingsRecord withInterfaceOptions(SettingsRecord current,
                                                  const SettingsRecord& source) noexcept;

}  // namespace tq1
