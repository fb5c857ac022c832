// The .tq1 file: exact bytes of small files, decode(encode(x)) against the encoder's own
// rebuilt image, damaged data, format limits and file handling.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>
#include <sys/stat.h>

#include <unistd.h>

#include "CodecTestSupport.h"
#include "ReferenceCodec.h"
#include "codec/BitWriter.h"
#include "codec/Codec.h"
#include "codec/Limits.h"
#include "codec/SymbolTable.h"

namespace tq1 {
namespace {

using testing::contextFor;
using Bytes = std::vector<std::uint8_t>;

Bytes encodeImage(const Grid& image, const CodecParams& params, CodecContext* out = nullptr) {
  CodecContext context = contextFor(image, params);
  const CodecStatus status = encodeToBytes(context);
  EXPECT_TRUE(status.ok()) << status.message();
  Bytes bytes = context.stream;
  if (out) *out = std::move(context);
  return bytes;
}

CodecStatus decodeImage(const Bytes& bytes, CodecContext& context) {
  return decodeBytes(context, bytes);
}

TEST(FileFormat, OneBlackPixel) {
  CodecParams params;
  params.tolerance = 10;
  const Bytes expected = {0x54, 0x51, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x10,
                          0x00, 0x00, 0x20, 0x00, 0x02, 0x00, 0x00, 0x03, 0x00, 0x00, 0x30, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x02, 0x00, 0x00, 0x28, 0x00};
  CodecContext context;
  EXPECT_EQ(encodeImage(Grid(1, 1, 0), params, &context), expected);
  EXPECT_EQ(context.lastSymbol, 3u);
  EXPECT_EQ(context.lastToken, 0u);
  EXPECT_EQ(context.controlValue, (std::array<PackedColour, 3>{1, 2, 3}));
}

TEST(FileFormat, UniformTwoByTwo) {
  const Bytes expected = {0x54, 0x51, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x25, 0x63, 0x41,
                          0x20, 0x00, 0x00, 0x02, 0x00, 0x00, 0x20, 0x00, 0x02, 0x00, 0x00, 0x1b, 0x40};
  EXPECT_EQ(encodeImage(Grid(2, 2, 0x123456), CodecParams{}), expected);

  CodecContext decoded;
  ASSERT_TRUE(decodeImage(expected, decoded).ok());
  EXPECT_EQ(decoded.tokens, (std::vector<PackedColour>{0, 1, 0x123456}));
  EXPECT_EQ(decoded.pixels, Grid(2, 2, 0x123456));
  EXPECT_EQ(decoded.markerX, 0u);
  EXPECT_EQ(decoded.markerY, 1u);
}

TEST(FileFormat, MagicAndFormatBytesAreNotChecked) {
  Bytes bytes = encodeImage(Grid(2, 2, 0x123456), CodecParams{});
  bytes[0] = 'X';
  bytes[3] = 9;
  CodecContext decoded;
  ASSERT_TRUE(decodeImage(bytes, decoded).ok());
  EXPECT_EQ(decoded.pixels, Grid(2, 2, 0x123456));
}

TEST(FileFormat, RepeatedColourSendsItsLiteralOnce) {
  // Columns alternate between two colours: each colour occurs in two blocks.
  Grid image(4, 1);
  for (std::uint32_t x = 0; x < 4; ++x) image.at(x, 0) = x % 2 ? rgbColour(200, 0, 0) : rgbColour(0, 0, 200);
  CodecContext context;
  const Bytes bytes = encodeImage(image, CodecParams{}, &context);
  // Header, 4 channel tables (2 + 1 + 2 + 1 levels), 5 counts, then tokens: two literals of
  // 1 + 1 + 1 bits each, and four codes.
  std::uint64_t codeBits = 0;
  for (PackedColour t : context.tokens) {
    codeBits += context.symbols.entries[static_cast<std::uint32_t>(context.symbols.find(t))].length;
  }
  const std::uint64_t bits = 292 + 8 * 6 + 20 * 5 + codeBits + 2 * 3;
  EXPECT_EQ(bytes.size(), (bits + 7) / 8);
  CodecContext decoded;
  ASSERT_TRUE(decodeImage(bytes, decoded).ok());
  EXPECT_EQ(decoded.pixels, image);
}

TEST(FileFormat, DecodeEqualsTheEncodersRebuiltImage) {
  std::mt19937 random(4242);
  for (int round = 0; round < 120; ++round) {
    const std::uint32_t w = 1 + random() % 90, h = 1 + random() % 90;
    Grid image = testing::patchyImage(random, w, h, static_cast<int>(random() % 16));
    const CodecParams params = testing::randomParams(random);
    CodecContext encoded;
    const Bytes bytes = encodeImage(image, params, &encoded);
    CodecContext decoded;
    const CodecStatus status = decodeImage(bytes, decoded);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(decoded.pixels, encoded.pixels) << "round " << round;
    ASSERT_EQ(decoded.flatPixels, encoded.flatPixels) << "round " << round;
    // The same tokens, with the file's values for the markers, read however they are read.
    std::vector<PackedColour> expectedTokens = encoded.tokens;
    for (PackedColour& t : expectedTokens) {
      if (t == MarkerXToken) t = encoded.controlValue[0];
      else if (t == MarkerYToken) t = encoded.controlValue[1];
    }
    ASSERT_EQ(decoded.tokens, expectedTokens) << "round " << round;
    ASSERT_EQ(decoded.cursor, expectedTokens.size()) << "round " << round;
    EXPECT_EQ(decoded.tolerance, params.tolerance);
    EXPECT_EQ(decoded.smoothThreshold, params.smoothThreshold);

    CodecContext preview = contextFor(image, params);
    ASSERT_TRUE(previewRoundTrip(preview).ok());
    ASSERT_EQ(preview.pixels, encoded.pixels) << "round " << round;

    // Converters ask for the result only: the same file, the same decoded image.
    CodecContext lean;
    lean.outputs = CodecOutputs::ResultOnly;
    ASSERT_TRUE(prepareForEncoding(lean, image, params).ok());
    ASSERT_TRUE(encodeToBytes(lean).ok());
    ASSERT_EQ(lean.stream, bytes) << "round " << round;
    EXPECT_TRUE(lean.pixels.empty()) << "the walked grid is released";
    // The file's size is known before it is written, so its bytes are allocated once, with
    // the writer's few bytes of room.
    EXPECT_LE(lean.stream.capacity(), lean.stream.size() + 64) << "round " << round;
    CodecContext leanDecoded;
    leanDecoded.outputs = CodecOutputs::ResultOnly;
    ASSERT_TRUE(decodeImage(bytes, leanDecoded).ok());
    ASSERT_EQ(leanDecoded.pixels, encoded.pixels) << "round " << round;
    EXPECT_TRUE(leanDecoded.flatPixels.empty());
    EXPECT_TRUE(leanDecoded.tokens.empty());

    // With a second thread reading the tokens, into a context that held another image: the
    // same image, the same tokens used, the same progress reported.
    CodecContext twoThreads;
    twoThreads.outputs = CodecOutputs::ResultOnly;
    twoThreads.decodeThreads = DecodeThreads::Two;
    ASSERT_TRUE(decodeImage(encodeImage(Grid(w, h, 0x00ABCDEF), CodecParams{}), twoThreads).ok());
    std::vector<std::uint64_t> reports[2];
    for (int k = 0; k < 2; ++k) {
      CodecContext& context = k == 0 ? leanDecoded : twoThreads;
      context.progress = [&reports, k](std::uint64_t done, std::uint64_t) { reports[k].push_back(done); };
      ASSERT_TRUE(decodeImage(bytes, context).ok());
    }
    ASSERT_EQ(twoThreads.pixels, encoded.pixels) << "round " << round;
    EXPECT_EQ(twoThreads.cursor, expectedTokens.size()) << "round " << round;
    EXPECT_EQ(reports[1], reports[0]) << "round " << round;

    // A context that held another image of the same size keeps nothing of it.
    CodecContext reused;
    reused.outputs = CodecOutputs::ResultOnly;
    ASSERT_TRUE(decodeImage(encodeImage(Grid(w, h, 0x00ABCDEF), CodecParams{}), reused).ok());
    ASSERT_TRUE(decodeImage(bytes, reused).ok());
    ASSERT_EQ(reused.pixels, encoded.pixels) << "round " << round;
  }
}

// A caller may stop a decode by throwing from its progress callback, which even a two-thread
// decode calls on the caller's own thread (a window may be updated from it).
TEST(FileFormat, AnExceptionFromTheProgressCallbackReachesTheCaller) {
  std::mt19937 random(5);
  const Bytes bytes = encodeImage(testing::patchyImage(random, 60, 40, 8), CodecParams{});
  for (const DecodeThreads threads : {DecodeThreads::One, DecodeThreads::Two}) {
    CodecContext context;
    context.outputs = CodecOutputs::ResultOnly;
    context.decodeThreads = threads;
    int calls = 0;
    bool elsewhere = false;
    const std::thread::id caller = std::this_thread::get_id();
    context.progress = [&](std::uint64_t, std::uint64_t) {
      elsewhere |= std::this_thread::get_id() != caller;
      if (++calls == 50) throw std::runtime_error("stopped by the caller");
    };
    EXPECT_THROW((void)decodeImage(bytes, context), std::runtime_error);
    EXPECT_EQ(calls, 50);
    EXPECT_FALSE(elsewhere);
  }
}

TEST(FileFormat, LosslessAtToleranceZeroWithoutSmoothing) {
  std::mt19937 random(11);
  Grid image = testing::patchyImage(random, 64, 48, 30);
  CodecContext decoded;
  ASSERT_TRUE(decodeImage(encodeImage(image, CodecParams{}), decoded).ok());
  EXPECT_EQ(decoded.pixels, image);
}

TEST(FileFormat, EveryTruncationIsAnErrorNotACrash) {
  std::mt19937 random(5);
  Grid image = testing::patchyImage(random, 40, 30, 6);
  CodecParams params;
  params.tolerance = 8;
  params.smoothThreshold = 40;
  const Bytes bytes = encodeImage(image, params);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    CodecContext decoded;
    const CodecStatus status = decodeImage(cut, decoded);
    // The last byte may hold only padding bits after the final code.
    if (length + 1 < bytes.size()) EXPECT_FALSE(status.ok()) << "length " << length;
  }
}

TEST(FileFormat, BitFlipsNeverCrash) {
  std::mt19937 random(6);
  Grid image = testing::patchyImage(random, 30, 20, 4);
  CodecParams params;
  params.tolerance = 5;
  params.smoothThreshold = 20;
  params.bits = {5, 6, 7};
  const Bytes bytes = encodeImage(image, params);
  int rejected = 0;
  for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
    Bytes damaged = bytes;
    damaged[bit / 8] ^= std::uint8_t(0x80 >> (bit % 8));
    CodecContext decoded;
    decoded.maxPixels = 1u << 22;
    const CodecStatus status = decodeImage(damaged, decoded);
    if (!status.ok()) {
      ++rejected;
      EXPECT_FALSE(status.message().empty());
    } else {
      EXPECT_EQ(decoded.pixels.width(), decoded.maxX + 1);
    }
  }
  EXPECT_GT(rejected, 0);
}

// Sets a header field of `bits` bits at `offset` (most significant bit first).
void setField(Bytes& bytes, unsigned offset, unsigned bits, std::uint32_t value) {
  for (unsigned i = 0; i < bits; ++i) {
    const unsigned at = offset + i;
    const auto mask = std::uint8_t(0x80 >> (at % 8));
    if ((value >> (bits - 1 - i)) & 1) {
      bytes[at / 8] |= mask;
    } else {
      bytes[at / 8] &= std::uint8_t(~mask);
    }
  }
}

TEST(FileFormat, DamagedFieldsAreRejectedWithTheirReason) {
  const Bytes good = encodeImage(Grid(2, 2, 0x123456), CodecParams{});
  struct Case {
    const char* what;
    unsigned offset, bits;
    std::uint32_t value;
    CodecError expected;
  };
  const Case cases[] = {
      {"control index beyond the table", 184, 20, 4, CodecError::InvalidControlIndex},
      {"too many symbols for the data", 112, 24, 5000, CodecError::Truncated},
      {"too many tokens for the data", 136, 24, 100000, CodecError::Truncated},
      {"image larger than memory allows", 32, 16, 65535, CodecError::ImageTooLarge},
      {"one coded symbol", 112, 24, 0, CodecError::InvalidCodeCounts},
      {"zero count", 292 + 8 * 4, 20, 0, CodecError::InvalidCodeCounts},
  };
  for (const Case& c : cases) {
    Bytes bytes = good;
    setField(bytes, c.offset, c.bits, c.value);
    if (c.expected == CodecError::ImageTooLarge) setField(bytes, 48, 16, 65535);
    CodecContext decoded;
    EXPECT_EQ(decodeImage(bytes, decoded).error(), c.expected) << c.what;
  }
}

TEST(FileFormat, LiteralNamingAMissingLevelIsRejected) {
  // Three red levels take 2-bit literals; index 3 does not exist.
  Grid image(3, 1);
  image.at(0, 0) = rgbColour(10, 0, 0);
  image.at(1, 0) = rgbColour(20, 0, 0);
  image.at(2, 0) = rgbColour(30, 0, 0);
  CodecContext encoded;
  Bytes bytes = encodeImage(image, CodecParams{}, &encoded);
  ASSERT_EQ(encoded.levelCount[0], 3u);
  // The first token is a colour: its code, then the red level index.
  const std::uint32_t first = static_cast<std::uint32_t>(encoded.symbols.find(encoded.tokens[0]));
  const unsigned tokenStart = 292 + 8 * (3 + 1 + 1 + 1) + 20 * (encoded.lastSymbol + 1);
  setField(bytes, tokenStart + encoded.symbols.entries[first].length, 2, 3);
  CodecContext decoded;
  EXPECT_EQ(decodeImage(bytes, decoded).error(), CodecError::InvalidLevelIndex);
}

TEST(FileFormat, LongThinImagesAtTheSideLimit) {
  for (auto [w, h] : {std::pair{65536u, 1u}, {1u, 65536u}}) {
    Grid image(w, h);
    for (std::uint32_t i = 0; i < w * h; ++i) image.cells()[i] = rgbColour(std::uint8_t(i / 300), 0, 0);
    CodecContext decoded;
    ASSERT_TRUE(decodeImage(encodeImage(image, CodecParams{}), decoded).ok());
    EXPECT_EQ(decoded.pixels, image);
  }
}

TEST(FileFormat, CountsBeyondTwentyBitsAreScaledAndStillDecode) {
  // A checkerboard at tolerance 0: every cell is a block, each colour in 1 125 000 of them.
  Grid image(1500, 1500);
  for (std::uint32_t x = 0; x < 1500; ++x)
    for (std::uint32_t y = 0; y < 1500; ++y) image.at(x, y) = (x + y) % 2 ? 0x204060u : 0x102030u;
  CodecContext encoded;
  const Bytes bytes = encodeImage(image, CodecParams{}, &encoded);
  for (std::uint32_t i = 0; i <= encoded.lastSymbol; ++i) {
    EXPECT_LT(encoded.symbols.entries[i].count, 1u << 20);
  }
  EXPECT_EQ(encoded.symbols.entries[encoded.lastSymbol].count, 1125000u >> 1);
  CodecContext decoded;
  ASSERT_TRUE(decodeImage(bytes, decoded).ok());
  EXPECT_EQ(decoded.pixels, image);
}

TEST(FileFormat, ImagesBeyondTheFormatAreRefused) {
  CodecContext context;
  const CodecStatus status = prepareForEncoding(context, Grid(65537, 1), CodecParams{});
  EXPECT_EQ(status.error(), CodecError::ImageTooLarge);

  CodecContext badPixel = contextFor(Grid(2, 2, 0x01000000), CodecParams{});
  EXPECT_EQ(encodeToBytes(badPixel).error(), CodecError::InvalidPixels);

  CodecParams badBits;
  badBits.bits = {9, 8, 8};
  EXPECT_EQ(badBits.validate().error(), CodecError::InvalidParameters);
}

TEST(FileFormat, TooManyTokensIsReportedWithAdvice) {
  // 4096 x 4097 distinct neighbours at tolerance 0: more than 2^24 tokens.
  const std::uint32_t w = 4096, h = 4097;
  Grid image(w, h);
  for (std::uint32_t x = 0; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y) image.at(x, y) = (x * 0x9E3779B1u + y * 0x85EBCA6Bu) & 0xFFFFFF;
  CodecContext context = contextFor(image, CodecParams{});
  const CodecStatus status = encodeToBytes(context);
  EXPECT_FALSE(status.ok());
  EXPECT_TRUE(status.error() == CodecError::TooManyTokens || status.error() == CodecError::TooManySymbols)
      << status.message();
  EXPECT_NE(status.message().find("tolerance"), std::string::npos);
}

class FileFormatFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tq1-codec-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(FileFormatFiles, EncodeFileWritesAndDecodeFileReads) {
  std::mt19937 random(1);
  Grid image = testing::patchyImage(random, 50, 40, 5);
  CodecParams params;
  params.tolerance = 4;
  params.smoothThreshold = 12;
  CodecContext encoded = contextFor(image, params);
  const auto path = dir_ / "image.tq1";
  ASSERT_TRUE(encodeFile(encoded, path).ok());
  EXPECT_EQ(std::filesystem::file_size(path), encoded.stream.size());
  CodecContext decoded;
  ASSERT_TRUE(decodeFile(decoded, path).ok());
  EXPECT_EQ(decoded.pixels, encoded.pixels);
  // Nothing but the target is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(FileFormatFiles, FailedWritesLeaveTheOldFile) {
  const auto path = dir_ / "keep.tq1";
  std::ofstream(path) << "old contents";
  CodecContext missingDir = contextFor(Grid(2, 2, 7), CodecParams{});
  EXPECT_EQ(encodeFile(missingDir, dir_ / "absent" / "x.tq1").error(), CodecError::FileWriteFailed);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "absent"));

  CodecContext tooLarge = contextFor(Grid(1, 1, 0x01000000), CodecParams{});
  EXPECT_FALSE(encodeFile(tooLarge, path).ok());
  std::ifstream in(path);
  std::string contents;
  std::getline(in, contents);
  EXPECT_EQ(contents, "old contents");
}

// Whole files are read exactly, whatever their size: empty, small (heap) and large (memory of
// their own), sizes on and off page boundaries, and a pipe, whose size is not known in advance.
TEST_F(FileFormatFiles, WholeFilesOfEverySizeAndPipesReadExactly) {
  std::mt19937 random(7);
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096},
                                 std::size_t{1} << 20, (std::size_t{3} << 20) + 5}) {
    std::vector<std::uint8_t> written(size);
    for (std::uint8_t& b : written) b = static_cast<std::uint8_t>(random());
    const auto path = dir_ / ("bytes" + std::to_string(size));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(written.data()),
                                                static_cast<std::streamsize>(size));
    FileBytes read;
    ASSERT_TRUE(readWholeFile(path, read).ok()) << size;
    EXPECT_TRUE(std::equal(read.span().begin(), read.span().end(), written.begin(), written.end()))
        << size;
  }
  const auto pipe = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::vector<std::uint8_t> written(200000);
  for (std::uint8_t& b : written) b = static_cast<std::uint8_t>(random());
  std::thread writer([&] {
    std::ofstream(pipe, std::ios::binary).write(reinterpret_cast<const char*>(written.data()),
                                                static_cast<std::streamsize>(written.size()));
  });
  FileBytes read;
  const CodecStatus status = readWholeFile(pipe, read);
  writer.join();
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_TRUE(std::equal(read.span().begin(), read.span().end(), written.begin(), written.end()));
}

TEST_F(FileFormatFiles, ReadErrorsAreReported) {
  CodecContext decoded;
  EXPECT_EQ(decodeFile(decoded, dir_ / "missing.tq1").error(), CodecError::FileOpenFailed);
  EXPECT_EQ(decodeFile(decoded, dir_).error(), CodecError::FileOpenFailed);
  std::ofstream(dir_ / "empty.tq1").close();
  CodecContext empty;
  EXPECT_EQ(decodeFile(empty, dir_ / "empty.tq1").error(), CodecError::Truncated);
}

}  // namespace
}  // namespace tq1

namespace tq1 {
namespace {

// A damaged file can make a literal decode to the word that marks an empty cell (a fourth
// channel level of 0x7F and a white colour): the cell then stays empty, exactly as in a walk
// that tests the grid itself over the whole token sequence.
TEST(FileFormat, LiteralEqualToTheEmptyMarkerLeavesTheCellEmpty) {
  Grid image(1, 3);
  image.at(0, 0) = 0xFFFFFF;
  image.at(0, 1) = 0x000000;
  image.at(0, 2) = 0xFFFFFF;
  CodecContext encoded;
  Bytes bytes = encodeImage(image, CodecParams{}, &encoded);
  const unsigned channel3Table = 292 + 8 * (encoded.levelCount[0] + encoded.levelCount[1] +
                                            encoded.levelCount[2]);
  setField(bytes, channel3Table, 8, 0x7F);
  CodecContext decoded;
  const CodecStatus status = decodeImage(bytes, decoded);
  // The second white block reads a literal the writer never wrote, from the padding bits.
  ASSERT_TRUE(status.ok()) << status.message();
  CodecContext expected = decoded;
  reference::rebuildImage(expected);
  EXPECT_EQ(decoded.pixels, expected.pixels);
  EXPECT_EQ(decoded.pixels.at(0, 0), EmptyCell);
}


// A file written token by token, as another writer might: the header, level tables and
// counts from the fields given, then each token's code and, where given, literal bits.
struct HandMadeFile {
  std::uint32_t width = 1, height = 1;
  std::array<std::vector<std::uint8_t>, 4> levels;
  std::vector<std::uint32_t> counts;
  std::array<std::uint32_t, 3> controlIndex{}, controlValue{};
  struct Token {
    std::uint32_t symbol;
    std::uint32_t literal = 0;
    unsigned literalBits = 0;
  };
  std::vector<Token> tokens;

  [[nodiscard]] Bytes write() const {
    SymbolTable table;
    for (const std::uint32_t count : counts) {
      table.entries.push_back(SymbolEntry{});
      table.entries.back().count = count;
    }
    table.buildCodes(static_cast<std::uint32_t>(counts.size() - 1));
    Bytes bytes;
    BitWriter out(bytes);
    out.writeBits(0x54510100u, 32);
    out.writeBits(width - 1, kSideBits);
    out.writeBits(height - 1, kSideBits);
    out.writeBits(0, 8);
    out.writeBits(0, 8);
    for (const auto& channel : levels) out.writeBits(channel.size() - 1, 8);
    out.writeBits(static_cast<std::uint32_t>(counts.size() - 1), kSymbolCountBits);
    out.writeBits(static_cast<std::uint32_t>(tokens.size() - 1), kTokenCountBits);
    for (std::uint32_t k = 0; k < 3; ++k) {
      out.writeBits(controlValue[k], kControlValueBits);
      out.writeBits(controlIndex[k], kControlIndexBits);
    }
    for (const auto& channel : levels) {
      for (const std::uint8_t level : channel) out.writeBits(level, 8);
    }
    for (const std::uint32_t count : counts) out.writeBits(count, kCountBits);
    for (const Token& token : tokens) {
      const SymbolEntry& e = table.entries[token.symbol];
      out.writeBits(e.code, e.length);
      out.writeBits(token.literal, token.literalBits);
    }
    out.finish();
    return bytes;
  }

  [[nodiscard]] unsigned codeLength(std::uint32_t symbol) const {
    SymbolTable table;
    for (const std::uint32_t count : counts) {
      table.entries.push_back(SymbolEntry{});
      table.entries.back().count = count;
    }
    table.buildCodes(static_cast<std::uint32_t>(counts.size() - 1));
    return table.entries[symbol].length;
  }
};

// A file from another writer, which sends colours through the escape symbol: each escape is
// followed by a literal of its own, and the escape symbol never takes a literal as its value.
// Symbol 0 is a colour; 1, 2 and 3 are the x-marker, the y-marker and the escape symbol. The
// red channel has the levels 10 and 20, the others one level; a literal takes a bit for each.
TEST(FileFormat, EscapedColoursBringALiteralEachTime) {
  HandMadeFile file;
  file.width = 6;
  file.levels = {{{10, 20}, {0}, {0}, {0}}};
  file.counts = {3, 1, 1, 3};
  file.controlIndex = {1, 2, 3};
  file.controlValue = {1, 2, 3};  // values no colour here uses
  const auto red = [](std::uint32_t level) { return level << 2; };
  file.tokens = {{3, red(0), 3}, {0, red(1), 3}, {3, red(1), 3}, {0}, {3, red(0), 3}, {0}};

  CodecContext decoded;
  const CodecStatus status = decodeImage(file.write(), decoded);
  ASSERT_TRUE(status.ok()) << status.message();
  const PackedColour red10 = rgbColour(10, 0, 0);
  const PackedColour red20 = rgbColour(20, 0, 0);
  EXPECT_EQ(decoded.tokens, (std::vector<PackedColour>{red10, red20, red20, red20, red10, red20}));
  EXPECT_EQ(decoded.symbols.entries[0].value, red20);
  EXPECT_EQ(decoded.symbols.entries[3].value, 3u);
}

// Markers, a long code and a full literal that together do not fit one look at the stream:
// the reader takes the markers first and the colour after them. Counts growing like Fibonacci
// numbers give the colour (symbol 0) a code of 28 bits and the markers codes of 2 and 3 bits.
TEST(FileFormat, MarkersLongCodeAndLiteralBeyondOneLook) {
  HandMadeFile file;
  file.width = 4;
  file.height = 4;
  for (unsigned c = 0; c < 3; ++c) {
    for (unsigned v = 0; v < 256; ++v) file.levels[c].push_back(static_cast<std::uint8_t>(v));
  }
  file.levels[3] = {0};
  std::vector<std::uint32_t> fibonacci = {1, 1};
  while (fibonacci.size() < 29) fibonacci.push_back(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
  // Symbol 0: the colour, least frequent; 1: the x-marker, 2: the y-marker, 3: the escape
  // symbol, most frequent; the rest unused colours.
  file.counts = {fibonacci[0], fibonacci[27], fibonacci[26], fibonacci[28]};
  for (std::size_t k = 1; k < 26; ++k) file.counts.push_back(fibonacci[k]);
  // One more unused colour puts the block's first bit in the middle of a byte (bit 4).
  file.counts.push_back(fibonacci[25]);
  file.controlIndex = {1, 2, 3};
  file.controlValue = {1, 2, 3};
  const unsigned markerBits = 2 * file.codeLength(1) + 2 * file.codeLength(2);
  ASSERT_LE(markerBits, 13u);
  ASSERT_GT(markerBits + file.codeLength(0) + 24, 57u);
  const std::uint32_t literal = (10u << 16) | (20u << 8) | 255u;  // red, green, blue levels
  file.tokens = {{1}, {1}, {2}, {2}, {0, literal, 24}};
  // More tokens than the walk needs, so that the stream goes on well past the block.
  for (int k = 0; k < 30; ++k) file.tokens.push_back({0});

  CodecContext decoded;
  const CodecStatus status = decodeImage(file.write(), decoded);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(decoded.pixels, Grid(4, 4, rgbColour(10, 20, 255)));
  EXPECT_EQ(decoded.cursor, 5u);
  EXPECT_EQ(decoded.tokens.size(), 35u);
}

}  // namespace
}  // namespace tq1
