// Bit writer and reader: field packing, byte boundaries and the end of the data.
#include <gtest/gtest.h>

#include "codec/BitReader.h"
#include "codec/BitWriter.h"

namespace tq1 {
namespace {

TEST(BitWriter, PacksMostSignificantBitFirst) {
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  writer.writeBits(0, 0);
  EXPECT_EQ(writer.bitCursor(), 0u);
  writer.writeBits(5, 3);
  writer.writeBits(1, 1);
  EXPECT_EQ(writer.bitCursor(), 4u);
  writer.finish();
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xB0}));
}

TEST(BitWriter, SavesWholeAndPartlyWrittenBytes) {
  for (auto [bits, expectedBytes] : {std::pair{9u, 2u}, {16u, 2u}, {17u, 3u}}) {
    std::vector<std::uint8_t> bytes;
    BitWriter writer(bytes);
    for (unsigned i = 0; i < bits; ++i) writer.writeBits(1, 1);
    writer.finish();
    EXPECT_EQ(bytes.size(), expectedBytes) << bits << " bits";
  }
}

TEST(BitStream, TwentyBitFieldAcrossBytes) {
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  writer.writeBits(0, 6);
  writer.writeBits(0xABCDE, 20);
  writer.finish();
  ASSERT_EQ(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0x02);  // last 2 bits of byte 0 hold the top bits 10
  EXPECT_EQ(bytes[1], 0xAF);
  EXPECT_EQ(bytes[2], 0x37);
  EXPECT_EQ(bytes[3], 0x80);
  BitReader reader(bytes);
  EXPECT_EQ(reader.readBits(6), 0u);
  EXPECT_EQ(reader.readBits(20), 0xABCDEu);
  EXPECT_EQ(reader.bitCursor(), 26u);
  EXPECT_FALSE(reader.overrun());
}

TEST(BitStream, ByteAlignedFieldsAreHighByteFirst) {
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  writer.writeBits(0x12, 8);
  writer.writeBits(0x3456, 16);
  writer.writeBits(0xDEADBEEF, 32);
  writer.finish();
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0xDE, 0xAD, 0xBE, 0xEF}));
  BitReader reader(bytes);
  EXPECT_EQ(reader.readBits(0), 0u);
  EXPECT_EQ(reader.readBits(8), 0x12u);
  EXPECT_EQ(reader.readBits(16), 0x3456u);
  EXPECT_EQ(reader.readBits(32), 0xDEADBEEFu);
}

TEST(BitReader, ReadingPastTheEndIsFlaggedAndReadsZero) {
  const std::vector<std::uint8_t> bytes(10, 0xFF);
  BitReader reader(bytes);
  reader.skip(80);
  EXPECT_FALSE(reader.overrun());
  EXPECT_EQ(reader.readBits(32), 0u);
  EXPECT_TRUE(reader.overrun());

  BitReader partial(bytes);
  partial.skip(76);
  EXPECT_EQ(partial.readBits(8), 0xF0u);
  EXPECT_TRUE(partial.overrun());
}

TEST(BitStream, RandomFieldsRoundTrip) {
  std::vector<std::pair<std::uint32_t, unsigned>> fields;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245 + 12345;
    const unsigned n = seed % 33;
    const std::uint32_t value = n == 32 ? seed : (n == 0 ? 0 : (seed * 2654435761u) & ((1u << n) - 1));
    fields.emplace_back(value, n);
  }
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  for (auto [v, n] : fields) writer.writeBits(v, n);
  writer.finish();
  BitReader reader(bytes);
  for (auto [v, n] : fields) ASSERT_EQ(reader.readBits(n), v);
  EXPECT_FALSE(reader.overrun());
}

}  // namespace
}  // namespace tq1
