// Default entry settings taken from the settings record.
#include "batch/EntrySettings.h"

namespace tq1 {

EntrySettings entrySettingsFrom(const SettingsRecord& record) noexcept {
  EntrySettings settings;
  settings.quality = record.quality;
  settings.smoothing = record.smoothing;
  settings.redBits = record.bitsRed;
  settings.greenBits = record.bitsGreen;
  settings.blueBits = record.bitsBlue;
  settings.marker = kNoMarker;
  return settings;
}

}  // namespace tq1
