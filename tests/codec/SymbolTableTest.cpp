// Symbol table, code construction and code reading, against worked examples and against the
// direct quadratic construction on random counts.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "ReferenceCodec.h"
#include "codec/BitWriter.h"
#include "codec/CanonicalDecoder.h"
#include "codec/SymbolTable.h"

namespace tq1 {
namespace {

SymbolTable tableWithCounts(const std::vector<std::uint32_t>& counts) {
  SymbolTable table;
  for (std::uint32_t i = 0; i < counts.size(); ++i) {
    SymbolEntry e;
    e.value = i;
    e.count = counts[i];
    table.entries.push_back(e);
  }
  return table;
}

std::string codeString(const SymbolEntry& e) {
  std::string s;
  for (int bit = e.length - 1; bit >= 0; --bit) s += ((e.code >> bit) & 1) ? '1' : '0';
  return s;
}

struct CodeExample {
  std::vector<std::uint32_t> counts;
  std::vector<std::uint32_t> byCount;  // empty: not checked
  std::vector<std::string> codes;
};

TEST(BuildCodes, WorkedExamples) {
  const std::vector<CodeExample> examples = {
      {{5, 1, 1, 3}, {0, 3, 1, 2}, {"0", "111", "110", "10"}},
      {{2, 2, 2, 2}, {1, 0, 3, 2}, {"10", "11", "00", "01"}},
      {{4, 2, 1, 1}, {}, {"0", "10", "111", "110"}},
      {{1, 1, 1}, {}, {"0", "11", "10"}},
  };
  for (const CodeExample& example : examples) {
    SymbolTable table = tableWithCounts(example.counts);
    const std::uint32_t m = table.buildCodes(table.size() - 1);
    EXPECT_EQ(m, table.size() - 1);
    if (!example.byCount.empty()) EXPECT_EQ(table.byCount, example.byCount);
    for (std::uint32_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(codeString(table.entries[i]), example.codes[i])
          << "symbol " << i << " of counts " << ::testing::PrintToString(example.counts);
    }
  }
}

TEST(BuildCodes, FirstExampleOrdersAndDecoding) {
  SymbolTable table = tableWithCounts({5, 1, 1, 3});
  table.buildCodes(3);
  EXPECT_EQ(table.byLength, (std::vector<std::uint32_t>{0, 3, 2, 1}));
  CanonicalDecoder decoder;
  ASSERT_TRUE(decoder.build(table, 3));

  const std::vector<std::uint8_t> bits110{0b1100'0000};
  BitReader reader(bits110);
  EXPECT_EQ(decoder.decodeSymbol(reader), 2u);
  EXPECT_EQ(reader.bitCursor(), 3u);

  const std::vector<std::uint8_t> bit0{0b0000'0000};
  BitReader second(bit0);
  EXPECT_EQ(decoder.decodeSymbol(second), 0u);
  EXPECT_EQ(second.bitCursor(), 1u);
}

TEST(SymbolTable, FindAndInsert) {
  SymbolTable table;
  EXPECT_EQ(table.find(7), -1);
  table.findOrInsert(20);
  table.findOrInsert(10);
  EXPECT_EQ(table.find(5), -1);
  EXPECT_EQ(table.find(15), -2);
  EXPECT_EQ(table.find(25), -3);
  EXPECT_EQ(table.find(20), 1);

  SymbolTable counted;
  for (std::uint32_t colour : {40u, 30u, 20u, 10u}) {
    counted.entries[counted.findOrInsert(colour)].count += 1;
  }
  ASSERT_EQ(counted.size(), 4u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(counted.entries[i].value, 10 * (i + 1));
    EXPECT_EQ(counted.entries[i].count, 1u);
  }
}

TEST(SymbolTable, BitLength) {
  const std::pair<std::uint32_t, int> cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3},
                                                 {7, 3}, {8, 4}, {255, 8}, {256, 9},
                                                 {1u << 31, 32}, {0xFFFFFFFFu, 32}};
  for (auto [x, digits] : cases) EXPECT_EQ(bitLength(x), digits) << x;
}

// Counts drawn from distributions that produce many ties, long tails and deep trees.
std::vector<std::uint32_t> randomCounts(std::mt19937& random, std::size_t n, int shape) {
  std::vector<std::uint32_t> counts(n);
  for (auto& c : counts) {
    switch (shape) {
      case 0: c = 1 + random() % 3; break;                          // heavy ties
      case 1: c = 1 + random() % 1000; break;                       // spread out
      case 2: c = 1u << (random() % 20); break;                     // powers of two
      default: c = 1 + static_cast<std::uint32_t>(std::pow(1.7, random() % 25)); break;  // skewed
    }
  }
  return counts;
}

// Random counts for 2 to 1 + range symbols, in one of the shapes above, and a table holding
// them with their codes built.
std::pair<std::vector<std::uint32_t>, SymbolTable> randomCodedTable(std::mt19937& random,
                                                                     std::size_t range, int shape) {
  const std::size_t n = 2 + random() % range;
  std::vector<std::uint32_t> counts = randomCounts(random, n, shape);
  SymbolTable table = tableWithCounts(counts);
  table.buildCodes(static_cast<std::uint32_t>(n - 1));
  return {std::move(counts), std::move(table)};
}

TEST(BuildCodes, MatchesDirectConstructionOnRandomCounts) {
  std::mt19937 random(1234);
  for (int round = 0; round < 400; ++round) {
    const std::size_t n = 1 + random() % (round < 300 ? 40 : 900);
    const auto counts = randomCounts(random, n, round % 4);
    SymbolTable table = tableWithCounts(counts);
    table.buildCodes(static_cast<std::uint32_t>(n - 1));
    const reference::Codes expected = reference::buildCodes(counts);
    ASSERT_EQ(table.byCount, expected.byCount) << "round " << round;
    ASSERT_EQ(table.byLength, expected.byLength) << "round " << round;
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(table.entries[i].length, expected.length[i]) << "round " << round;
      ASSERT_EQ(table.entries[i].code, expected.code[i]) << "round " << round;
    }
  }
}

// Long ranges, partitioned a block at a time: keys with few values (the usual counts and code
// lengths), many values, sorted, reversed and in runs.
TEST(SortIndices, SamePermutationOnLongRanges) {
  std::mt19937 random(1234);
  for (int round = 0; round < 24; ++round) {
    const std::size_t n = 300 + random() % 60'000;
    std::vector<std::uint32_t> keys(n);
    const std::uint32_t range = round % 4 == 0 ? 2 : round % 4 == 1 ? 5 : round % 4 == 2 ? 300 : 1u << 30;
    for (auto& k : keys) k = random() % range;
    if (round % 6 == 4) std::sort(keys.begin(), keys.end());
    if (round % 6 == 5) std::sort(keys.rbegin(), keys.rend());
    if (round % 8 == 3) {
      for (std::size_t i = 0; i < n; ++i) keys[i] = static_cast<std::uint32_t>((i / 97) % 7);
    }
    std::vector<std::uint32_t> fast(n), slow;
    ASSERT_TRUE(sortIndices(keys, fast, round % 2 == 0));
    reference::sortIndices(keys, slow, round % 2 == 0);
    ASSERT_EQ(fast, slow) << "round " << round << ", " << n << " keys below " << range;
  }
}

// All keys equal: the permutation comes without comparisons, for short and long ranges.
TEST(SortIndices, SamePermutationOnEqualKeys) {
  std::vector<std::size_t> sizes;
  for (std::size_t n = 1; n <= 300; ++n) sizes.push_back(n);
  for (std::size_t n : {511, 512, 513, 1023, 4097, 10001}) sizes.push_back(n);
  for (const std::size_t n : sizes) {
    const std::vector<std::uint32_t> keys(n, 5);
    std::vector<std::uint32_t> fast(n), slow;
    ASSERT_TRUE(sortIndices(keys, fast, false));
    reference::sortIndices(keys, slow, false);
    ASSERT_EQ(fast, slow) << n;
  }
}

TEST(SortIndices, SamePermutationAsRecursiveQuicksort) {
  std::mt19937 random(99);
  for (int round = 0; round < 300; ++round) {
    const std::size_t n = 1 + random() % 2000;
    std::vector<std::uint32_t> keys(n);
    const std::uint32_t range = 1 + random() % (round % 2 ? 5 : 100000);
    for (auto& k : keys) k = random() % range;
    if (round % 7 == 0) std::sort(keys.begin(), keys.end());
    for (bool descending : {false, true}) {
      std::vector<std::uint32_t> fast(n), slow;
      ASSERT_TRUE(sortIndices(keys, fast, descending));
      reference::sortIndices(keys, slow, descending);
      ASSERT_EQ(fast, slow) << "round " << round;
    }
  }
}

TEST(SortIndices, StopsWhenTheBudgetRunsOut) {
  std::vector<std::uint32_t> keys(10000);
  for (std::uint32_t i = 0; i < keys.size(); ++i) keys[i] = i * 7919 % 10007;
  std::vector<std::uint32_t> index(keys.size());
  EXPECT_FALSE(sortIndices(keys, index, false, 100));
  EXPECT_TRUE(sortIndices(keys, index, false, 10'000'000));
  for (std::size_t i = 1; i < index.size(); ++i) EXPECT_LE(keys[index[i - 1]], keys[index[i]]);
}

// A random message of symbols below n written with the table's codes, and the bit position
// after each symbol.
struct CodedMessage {
  std::vector<std::uint32_t> symbols;
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> ends;
};

CodedMessage writeRandomMessage(std::mt19937& random, const SymbolTable& table, std::size_t n,
                                std::size_t length) {
  CodedMessage message;
  BitWriter writer(message.bytes);
  std::size_t position = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const auto s = static_cast<std::uint32_t>(random() % n);
    writer.writeBits(table.entries[s].code, table.entries[s].length);
    position += table.entries[s].length;
    message.symbols.push_back(s);
    message.ends.push_back(position);
  }
  writer.finish();
  return message;
}

TEST(CanonicalDecoder, AgreesWithBitByBitSearch) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const auto [counts, table] = randomCodedTable(random, 600, round % 4);
    const std::size_t n = counts.size();
    if (table.maxCodeLength() > 32) continue;
    CanonicalDecoder decoder;
    ASSERT_TRUE(decoder.build(table, static_cast<std::uint32_t>(n - 1)));
    const reference::Codes codes = reference::buildCodes(counts);

    const CodedMessage message = writeRandomMessage(random, table, n, 300);
    std::vector<int> bits;
    for (const std::uint8_t byte : message.bytes) {
      for (int b = 7; b >= 0; --b) bits.push_back((byte >> b) & 1);
    }
    BitReader reader(message.bytes);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < message.symbols.size(); ++i) {
      const std::uint32_t s = message.symbols[i];
      ASSERT_EQ(decoder.decodeSymbol(reader), s);
      ASSERT_EQ(reference::decodeSymbol(codes, bits, pos), s);
      ASSERT_EQ(reader.bitCursor(), pos);
      ASSERT_EQ(pos, message.ends[i]);
    }
  }
}

// The reader builds only lengths and orders; the code of each symbol, as the decoder derives
// it from them, must be the one the writer sends.
TEST(CanonicalDecoder, DerivesTheWritersCodesFromLengthsAlone) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const auto [counts, written] = randomCodedTable(random, 600, round % 4);
    if (written.maxCodeLength() > 32) continue;
    const auto last = static_cast<std::uint32_t>(counts.size() - 1);
    SymbolTable read = tableWithCounts(counts);
    ASSERT_EQ(read.buildLengths(last, UINT64_MAX), last) << "round " << round;
    ASSERT_EQ(read.byCount, written.byCount) << "round " << round;
    ASSERT_EQ(read.byLength, written.byLength) << "round " << round;
    CanonicalDecoder decoder;
    ASSERT_TRUE(decoder.build(read, last));
    for (std::uint32_t i = 0; i <= last; ++i) {
      ASSERT_EQ(read.entries[i].length, written.entries[i].length) << "round " << round;
      const std::optional<CanonicalDecoder::Word> word = decoder.wordOf(i);
      ASSERT_TRUE(word.has_value());
      EXPECT_EQ(word->bits, written.entries[i].code) << "round " << round << ", " << i;
      EXPECT_EQ(word->length, written.entries[i].length) << "round " << round << ", " << i;
    }
    EXPECT_FALSE(decoder.wordOf(last + 1).has_value());
  }
}

// Counts growing like Fibonacci numbers give one code of every length up to 32, the longest
// the format allows: the lengths' limits then reach the top of the 32-bit window.
TEST(CanonicalDecoder, DecodesOneCodeOfEveryLengthToThirtyTwo) {
  std::vector<std::uint32_t> counts = {1, 1};
  while (counts.size() < 33) counts.push_back(counts[counts.size() - 1] + counts[counts.size() - 2]);
  SymbolTable table = tableWithCounts(counts);
  table.buildCodes(32);
  ASSERT_EQ(table.maxCodeLength(), 32u);
  CanonicalDecoder decoder;
  ASSERT_TRUE(decoder.build(table, 32));
  std::vector<std::uint8_t> bytes;
  BitWriter writer(bytes);
  for (std::uint32_t s = 0; s < 33; ++s) writer.writeBits(table.entries[s].code, table.entries[s].length);
  for (std::uint32_t s = 33; s-- > 0;) writer.writeBits(table.entries[s].code, table.entries[s].length);
  writer.finish();
  BitReader reader(bytes);
  for (std::uint32_t s = 0; s < 33; ++s) ASSERT_EQ(decoder.decodeSymbol(reader), s);
  for (std::uint32_t s = 33; s-- > 0;) ASSERT_EQ(decoder.decodeSymbol(reader), s);
}

// Values travel with the codes: a code gives the slot of its symbol, and a value set on a slot
// is what that symbol gives from then on.
TEST(CanonicalDecoder, GivesValuesAndTakesNewOnes) {
  std::mt19937 random(11);
  for (int round = 0; round < 120; ++round) {
    auto [counts, table] = randomCodedTable(random, 3000, round % 4);
    const std::size_t n = counts.size();
    std::vector<PackedColour> model(n);
    for (std::size_t i = 0; i < n; ++i) {
      model[i] = random() % 3 == 0 ? EmptyCell : static_cast<PackedColour>(i);
      table.entries[i].value = model[i];
    }
    if (table.maxCodeLength() > 32) continue;
    CanonicalDecoder decoder;
    ASSERT_TRUE(decoder.build(table, static_cast<std::uint32_t>(n - 1)));

    const CodedMessage message = writeRandomMessage(random, table, n, 2000);
    BitReader reader(message.bytes);
    for (std::size_t i = 0; i < message.symbols.size(); ++i) {
      const std::uint32_t s = message.symbols[i];
      const CanonicalDecoder::Code code = decoder.codeAt(reader.peek32());
      ASSERT_EQ(code.length, table.entries[s].length);
      ASSERT_EQ(decoder.value(code.slot), model[s]);
      if (model[s] == EmptyCell) {
        model[s] = 0x00100000u + s;  // what a literal would bring
        decoder.setValue(code.slot, model[s]);
      }
      reader.skip(code.length);
      ASSERT_EQ(reader.bitCursor(), message.ends[i]);
    }
    for (auto& e : table.entries) e.value = 0;
    decoder.copyValuesTo(table);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(table.entries[i].value, model[i]) << i;
  }
}

TEST(CanonicalDecoder, RejectsIncompleteOrOverlongCodes) {
  SymbolTable table = tableWithCounts({3, 2, 1});
  table.buildCodes(2);
  CanonicalDecoder decoder;
  EXPECT_TRUE(decoder.build(table, 2));
  table.entries[2].length = 3;  // leaves a hole in the code space
  EXPECT_FALSE(decoder.build(table, 2));
  table.entries[2].length = 40;
  EXPECT_FALSE(decoder.build(table, 2));
  table.buildCodes(2);
  std::swap(table.byLength[0], table.byLength[2]);  // a code order that is not by length
  EXPECT_FALSE(decoder.build(table, 2));
}

}  // namespace
}  // namespace tq1

namespace tq1 {
namespace {

// Counts that the format cannot store directly: too large for 20 bits, or shaped so that the
// codes built from them grow longer than 32 bits.
TEST(FitCounts, ShiftsByTheSmallestAmountThatFits) {
  auto fitted = [](const std::vector<std::uint32_t>& counts, unsigned& shift) {
    SymbolTable table = tableWithCounts(counts);
    shift = fitCountsAndBuildCodes(table);
    return table;
  };
  unsigned shift = 99;
  SymbolTable ordinary = fitted({5, 1, 1, 3}, shift);
  EXPECT_EQ(shift, 0u);
  EXPECT_EQ(ordinary.entries[1].count, 1u);

  // One count of 2^21 + 5 needs two shifts; small counts stay at least 1.
  SymbolTable large = fitted({(1u << 21) + 5, 3, 1, 1u << 20}, shift);
  EXPECT_EQ(shift, 2u);
  EXPECT_EQ(large.entries[0].count, ((1u << 21) + 5) >> 2);
  EXPECT_EQ(large.entries[1].count, 1u);
  EXPECT_EQ(large.entries[2].count, 1u);
  EXPECT_EQ(large.entries[3].count, 1u << 18);

  // Fibonacci counts build the deepest trees: 45 of them would give a 44-bit code.
  std::vector<std::uint32_t> fibonacci{1, 1};
  while (fibonacci.size() < 45) fibonacci.push_back(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
  SymbolTable deep = fitted(fibonacci, shift);
  EXPECT_LE(deep.maxCodeLength(), 32u);
  for (const SymbolEntry& e : deep.entries) EXPECT_LT(e.count, 1u << 20);
  // One shift less breaks one of the two limits.
  ASSERT_GT(shift, 0u);
  SymbolTable tighter = tableWithCounts(fibonacci);
  std::uint32_t largest = 0;
  for (auto& e : tighter.entries) {
    e.count = std::max<std::uint32_t>(1, e.count >> (shift - 1));
    largest = std::max(largest, e.count);
  }
  tighter.buildCodes(tighter.size() - 1);
  EXPECT_TRUE(largest >= (1u << 20) || tighter.maxCodeLength() > 32);
}

}  // namespace
}  // namespace tq1
