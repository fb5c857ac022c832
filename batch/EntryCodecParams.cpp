// Conversion of entry settings to codec parameters, clamped to the offered ranges.
#include "batch/EntryCodecParams.h"

namespace tq1 {

CodecParams codecParamsFrom(const EntrySettings& settings) noexcept {
  return clampedParams(settings.quality, settings.smoothing,
                       {settings.redBits, settings.greenBits, settings.blueBits});
}

}  // namespace tq1
