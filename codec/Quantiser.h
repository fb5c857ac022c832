// Colour quantisation: every channel is reduced to at most maxLevel + 1 levels by repeatedly
// merging the pair of neighbouring levels that moves the fewest pixels the shortest distance.
// Surviving levels keep their own values, so nothing is averaged.
#pragma once

#include "CodecContext.h"

namespace tq1 {

// Expects zero histograms and identity channel maps (tokenise prepares them) and a filled
// `pixels`; leaves `pixels` quantised and levelValue, levelCount and channelMap set.
void quantise(CodecContext& context);

// One merge step on channel c.
void mergeLevels(CodecContext& context, unsigned c);

}  // namespace tq1
