// The tq1 program run as a user runs it: files in, files out, exit status and messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "ProgramRunner.h"
#include "TestData.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using testing::Outcome;
using testing::readBytes;
using testing::writeBytes;

class Program : public testing::ScratchFolderTest {
 protected:
  Program() : ScratchFolderTest("tq1-program-") {}

  Outcome run(const std::vector<std::string>& args) const {
    return testing::runProgram(TQ1_PROGRAM, args, dir_ / "stderr.txt");
  }

  // A 24-bit bitmap of smooth colour patches with some noise.
  Grid writeSample(const fs::path& path, std::uint32_t w = 61, std::uint32_t h = 37) const {
    std::mt19937 random(w * 1000 + h);
    Grid grid(w, h);
    for (std::uint32_t x = 0; x < w; ++x)
      for (std::uint32_t y = 0; y < h; ++y)
        grid.at(x, y) = rgbColour(std::uint8_t(x * 4 + random() % 3), std::uint8_t(y * 6),
                                  std::uint8_t((x / 8 + y / 8) * 30));
    writeBytes(path, encodeBitmap(grid).value);
    return grid;
  }

};

TEST_F(Program, EncodeAndDecodeMatchTheLibrary) {
  const Grid image = writeSample(dir_ / "in.bmp");
  const Outcome enc = run({"encode", (dir_ / "in.bmp").string(), "-t", "6", "-s", "20", "-b", "7,6,5"});
  ASSERT_EQ(enc.status, 0) << enc.err;
  EXPECT_TRUE(enc.out.empty());

  CodecContext expected;
  CodecParams params;
  params.tolerance = 6;
  params.smoothThreshold = 20;
  params.bits = {7, 6, 5};
  ASSERT_TRUE(prepareForEncoding(expected, image, params).ok());
  ASSERT_TRUE(encodeToBytes(expected).ok());
  EXPECT_EQ(readBytes(dir_ / "in.tq1"), expected.stream);

  const Outcome dec = run({"decode", (dir_ / "in.tq1").string(), "-o", (dir_ / "out.bmp").string()});
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_EQ(readBytes(dir_ / "out.bmp"), encodeBitmap(expected.pixels).value);
}

TEST_F(Program, VerboseAndInfoDescribeTheFile) {
  writeSample(dir_ / "in.bmp", 40, 30);
  const Outcome enc = run({"encode", (dir_ / "in.bmp").string(), "-t", "4", "-v"});
  ASSERT_EQ(enc.status, 0) << enc.err;
  // Reports go to standard error, so that standard output carries nothing but images.
  EXPECT_TRUE(enc.out.empty()) << enc.out;
  EXPECT_NE(enc.err.find("40x30"), std::string::npos) << enc.err;
  EXPECT_NE(enc.err.find("PSNR"), std::string::npos) << enc.err;
  const Outcome info = run({"info", (dir_ / "in.tq1").string()});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("40 x 30 pixels"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("tolerance:       4"), std::string::npos) << info.out;
}

TEST_F(Program, FailuresAreReportedWithTheirExitStatus) {
  const Outcome usage = run({"encode"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("tq1 --help"), std::string::npos);
  EXPECT_EQ(run({"encode", "x.bmp", "-t", "99"}).status, 2);

  const Outcome missing = run({"encode", (dir_ / "missing.bmp").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("tq1: error:"), std::string::npos);

  writeBytes(dir_ / "junk.tq1", Bytes(200, 0x5A));
  const Outcome damaged = run({"decode", (dir_ / "junk.tq1").string()});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "junk.bmp"));

  writeSample(dir_ / "in.bmp");
  const Outcome noDir = run({"encode", (dir_ / "in.bmp").string(), "-o", (dir_ / "no" / "x.tq1").string()});
  EXPECT_EQ(noDir.status, 1);
  EXPECT_FALSE(noDir.err.empty());
}

TEST_F(Program, FailedWriteKeepsTheExistingOutput) {
  writeBytes(dir_ / "junk.tq1", Bytes(100, 0x11));
  writeBytes(dir_ / "junk.bmp", Bytes{1, 2, 3});
  EXPECT_EQ(run({"decode", (dir_ / "junk.tq1").string()}).status, 1);
  EXPECT_EQ(readBytes(dir_ / "junk.bmp"), (Bytes{1, 2, 3}));
}

TEST_F(Program, NamesWithSpacesQuotesAndCyrillic) {
  for (const std::string name : {"с пробелом и «кавычками».bmp", "it's a \"test\".bmp", "-dash.bmp"}) {
    const fs::path in = dir_ / name;  // absolute, so even "-dash" is not taken for an option
    writeSample(in, 9, 7);
    const Outcome enc = run({"encode", in.string()});
    ASSERT_EQ(enc.status, 0) << name << enc.err;
    fs::path tq1 = in;
    tq1.replace_extension(".tq1");
    ASSERT_TRUE(fs::exists(tq1)) << name;
    ASSERT_EQ(run({"decode", tq1.string(), "-o", (dir_ / ("out " + name)).string()}).status, 0) << name;
  }
  const std::string longName = std::string(200, 'x') + ".bmp";
  fs::path deep = dir_;
  for (int i = 0; i < 12; ++i) deep /= std::string(200, char('a' + i));
  fs::create_directories(deep);
  writeSample(deep / longName, 5, 5);
  ASSERT_EQ(run({"encode", (deep / longName).string()}).status, 0);
  EXPECT_TRUE(fs::exists(deep / (std::string(200, 'x') + ".tq1")));
}

TEST_F(Program, ReadsOtherImageFormats) {
  TQ1_REQUIRE_TESTDATA(data);
  const fs::path png = data / "kodak" / "kodim23.png";
  const Outcome enc = run({"encode", png.string(), "-o", (dir_ / "k.tq1").string()});
  ASSERT_EQ(enc.status, 0) << enc.err;
  ASSERT_EQ(run({"decode", (dir_ / "k.tq1").string()}).status, 0);
  const Bytes bmp = readBytes(dir_ / "k.bmp");
  EXPECT_EQ(bmp.size(), 54u + 768u * 3u * 512u);
}

}  // namespace
}  // namespace tq1
