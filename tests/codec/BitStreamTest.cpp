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
  std::vector<std::pair<std::uint64_t, unsigned>> fields;
  std::uint64_t seed = 12345;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    const unsigned n = static_cast<unsigned>((seed >> 33) % (BitWriter::kMaxField + 1));
    const std::uint64_t value = n == 0 ? 0 : (seed * 0x9E3779B97F4A7C15u) >> (64 - n);
    fields.emplace_back(value, n);
  }
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  std::uint64_t bits = 0;
  for (auto [v, n] : fields) {
    writer.writeBits(v, n);
    bits += n;
    ASSERT_EQ(writer.bitCursor(), bits);
  }
  writer.finish();
  ASSERT_EQ(bytes.size(), (bits + 7) / 8);
  BitReader reader(bytes);
  for (auto [v, n] : fields) {
    const unsigned high = n > 32 ? n - 32 : 0;
    const std::uint64_t read = (std::uint64_t{reader.readBits(high)} << (n - high)) | reader.readBits(n - high);
    ASSERT_EQ(read, v) << n << " bits";
  }
  EXPECT_FALSE(reader.overrun());
}

}  // namespace
}  // namespace tq1
