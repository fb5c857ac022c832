// The codec values a batch list keeps for each of its entries.
#pragma once

#include <cstdint>

#include "settings/SettingsRecord.h"

namespace tq1 {

// A marker that equals no list position: the entry has no settings of its own yet.
inline constexpr std::int32_t kNoMarker = -1;

// Six signed 32-bit values in the order a list file stores them.
struct EntrySettings {
  std::int32_t quality = 0;    // quality tolerance, 0-50
  std::int32_t smoothing = 0;  // block-edge smoothing degree, 0-150
  std::int32_t redBits = 8;    // bits kept per colour component, 0-8
  std::int32_t greenBits = 8;
  std::int32_t blueBits = 8;
  // The entry's list position when its settings were assigned; an entry whose marker
  // equals its current position has settings of its own.
  std::int32_t marker = kNoMarker;

  friend bool operator==(const EntrySettings&, const EntrySettings&) = default;
};

// The settings a new entry receives: the codec values of the settings record (quality,
// smoothing, red, green and blue bits) and no marker.
[[nodiscard]] EntrySettings entrySettingsFrom(const SettingsRecord& record) noexcept;

}  // namespace tq1
