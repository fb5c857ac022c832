// Conversion of entry settings to codec parameters, clamped to the offered ranges.
#include "batch/EntryCodecParams.h"

#include <algorithm>

#include "codec/Limits.h"

namespace tq1 {
namespace {

std::uint8_t clampedByte(std::int32_t value, unsigned max) noexcept {
  return static_cast<std::uint8_t>(std::clamp<std::int32_t>(value, 0, static_cast<std::int32_t>(max)));
}

}  // namespace

CodecParams codecParamsFrom(const EntrySettings& settings) noexcept {
  CodecParams params;
  params.tolerance = clampedByte(settings.quality, kMaxToleranceUi);
  params.smoothThreshold = clampedByte(settings.smoothing, kMaxSmoothingUi);
  params.bits = {clampedByte(settings.redBits, kMaxBits), clampedByte(settings.greenBits, kMaxBits),
                 clampedByte(settings.blueBits, kMaxBits)};
  return params;
}

}  // namespace tq1
