// Conversions between list entries and the values the codec options dialog edits.
#include "ui/ListCodecValues.h"

namespace tq1::ui {

ListCodecValues listCodecValuesFrom(const EntrySettings& settings) noexcept {
  return {settings.quality, 8, settings.redBits, settings.greenBits, settings.blueBits,
          settings.smoothing};
}

void applyListCodecValues(const ListCodecValues& values, EntrySettings& settings) noexcept {
  settings.quality = values.quality;
  settings.smoothing = values.smoothing;
  settings.redBits = values.bitsRed;
  settings.greenBits = values.bitsGreen;
  settings.blueBits = values.bitsBlue;
}

}  // namespace tq1::ui
