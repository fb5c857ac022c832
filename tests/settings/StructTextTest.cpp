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
  // Blanks around the value and lower-case digits name the same record.
  const auto back = decodeStructText("  01ff10abbb \t", 4);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, (std::vector<std::uint8_t>{0x01, 0xFF, 0x10, 0xab}));
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
      {"non-hex digit", "01FG10ABBB"},
      {"wrong checksum", "01FF10ABBC"},
      {"blank inside", "01FF 0ABBB"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(decodeStructText(c.text, 4).has_value()) << c.what;
  }
}

}  // namespace
}  // namespace tq1
