// Entry settings from the settings record and into codec parameters.
#include "batch/EntryCodecParams.h"

#include <gtest/gtest.h>

namespace tq1 {
namespace {

TEST(EntrySettings, NewEntriesTakeTheCodecValuesOfTheSettingsRecord) {
  SettingsRecord record;
  record.quality = 12;
  record.bitsRed = 3;
  record.bitsGreen = 4;
  record.bitsBlue = 5;
  record.bitsCommon = 6;
  record.smoothing = 140;
  const EntrySettings settings = entrySettingsFrom(record);
  EXPECT_EQ(settings, (EntrySettings{12, 140, 3, 4, 5, kNoMarker}));
}

TEST(EntryCodecParams, CopiesValuesAndClampsThoseOfDamagedListsIntoTheOfferedRanges) {
  const CodecParams params = codecParamsFrom(EntrySettings{50, 150, 0, 7, 8, 3});
  EXPECT_EQ(params.tolerance, 50);
  EXPECT_EQ(params.smoothThreshold, 150);
  EXPECT_EQ(params.bits, (std::array<std::uint8_t, 3>{0, 7, 8}));
  const CodecParams low = codecParamsFrom(EntrySettings{-56, -1, -3, -128, -1, 0});
  EXPECT_EQ(low.tolerance, 0);
  EXPECT_EQ(low.smoothThreshold, 0);
  EXPECT_EQ(low.bits, (std::array<std::uint8_t, 3>{0, 0, 0}));
  const CodecParams high = codecParamsFrom(EntrySettings{127, 255, 9, 127, 300, 0});
  EXPECT_EQ(high.tolerance, 50);
  EXPECT_EQ(high.smoothThreshold, 150);
  EXPECT_EQ(high.bits, (std::array<std::uint8_t, 3>{8, 8, 8}));
}

}  // namespace
}  // namespace tq1
