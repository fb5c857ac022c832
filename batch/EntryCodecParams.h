// Turns a list entry's codec values into the parameters the codec takes.
#pragma once

#include "batch/EntrySettings.h"
#include "codec/CodecContext.h"

namespace tq1 {

// tolerance = quality, smoothThreshold = smoothing, bits = red, green and blue bits. The
// values come from list files, which anyone can edit, so each is clamped into the range
// the options dialog offers (quality 0-50, smoothing 0-150, bits 0-8) instead of wrapping
// around into a nonsensical byte.
[[nodiscard]] CodecParams codecParamsFrom(const EntrySettings& settings) noexcept;

}  // namespace tq1
