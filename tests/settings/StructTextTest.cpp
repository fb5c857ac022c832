// The hex-with-checksum text form of stored records.
#include "settings/StructText.h"

#include <gtest/gtest.h>

#include <array>

namespace tq1 {
namespace {

TEST(StructText, WritesUpperCaseHexAndByteSum) {
  const std::array<std::uint8_t, 4> bytes{0x01, 0xFF, 0x10, 0xab};
  // 0x01 + 0xff + 0x10 + 0xab = 0x1bb, kept modulo 256.
  EXPECT_EQ(encodeStructText(bytes), QByteArray("01FF10ABBB"));
  EXPECT_EQ(encodeStructText({}), QByteArray("00"));
}

TEST(StructText, ReadsBackWhatItWrote) {
  std::array<std::uint8_t, 48> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
  const auto decoded = decodeStructText(encodeStructText(bytes), bytes.size());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_TRUE(std::equal(decoded->begin(), decoded->end(), bytes.begin(), bytes.end()));
  // Blanks around the value and lower-case digits name the same record.
  EXPECT_TRUE(decodeStructText("  01ff10abbb \t", 4).has_value());
}

TEST(StructText, RejectsDamagedText) {
  struct Case {
    const char* what;
    QByteArray text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"one byte short", "01FF10BB"},
      {"one byte long", "01FF10AB00BB"},
      {"odd digit count", "01FF10ABBBB"},
      {"non-hex digit", "01FG10ABBB"},
      {"sign inside", "01-F10ABBB"},
      {"wrong checksum", "01FF10ABBC"},
      {"blank inside", "01FF 0ABBB"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(decodeStructText(c.text, 4).has_value()) << c.what;
  }
}

}  // namespace
}  // namespace tq1
