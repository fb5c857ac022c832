// The codec values that the batch list hands to the codec options dialog and gets back: the
// dialog's list mode edits these instead of the settings file.
#pragma once

#include "batch/EntrySettings.h"

namespace tq1::ui {

struct ListCodecValues {
  int quality = 0;     // 0-50
  int bitsCommon = 8;  // the common bits slider; list mode always shows 8
  int bitsRed = 8;     // 0-8
  int bitsGreen = 8;
  int bitsBlue = 8;
  int smoothing = 0;   // 0-150

  friend bool operator==(const ListCodecValues&, const ListCodecValues&) = default;
};

// An entry's values as the dialog shows them (common bits 8).
[[nodiscard]] ListCodecValues listCodecValuesFrom(const EntrySettings& settings) noexcept;

// Copies quality, smoothing and the three component bits into `settings`; the marker stays.
void applyListCodecValues(const ListCodecValues& values, EntrySettings& settings) noexcept;

}  // namespace tq1::ui
