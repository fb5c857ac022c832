// Both programs given damaged bitmaps, one by one and in a folder: the damage is named, the
// exit status says so, and nothing is written for the damaged file. And a folder's files are
// converted in the order of their names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <random>
#include <sstream>

#include "BitmapBuilder.h"
#include "ProgramRunner.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::Outcome;
using testing::writeBytes;

const fs::path kLight = TQ1_PROGRAM;
const fs::path kFull = kLight.parent_path() / "tq1-qt";

Bytes sampleBitmap(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
  std::mt19937 random(seed);
  Grid grid(w, h);
  for (PackedColour& cell : grid.cells()) cell = random() & 0x00ffffffu;
  return encodeBitmap(grid).value;
}

// A 24-bit bitmap with half its rows missing, the kind the light program reads itself, and an
// 8-bit run-length coded one whose codes stop half-way, which it would hand to the full one.
Bytes cutPlainBitmap() {
  Bytes bytes = sampleBitmap(30, 20, 1);
  bytes.resize(kBitmapHeaderBytes + (bytes.size() - kBitmapHeaderBytes) / 2);
  return bytes;
}

Bytes cutRunLengthBitmap() {
  return testing::buildBitmap({4, 3, 8, 1, 2, {}, {4, 1, 0, 0, 4, 1}});
}

class DamagedInput : public testing::ScratchFolderTest {
 protected:
  DamagedInput() : ScratchFolderTest("tq1-damaged-") {}

  Outcome run(const fs::path& program, const std::vector<std::string>& args) const {
    return testing::runProgram(program, args, dir_ / "stderr.txt");
  }

};

TEST_F(DamagedInput, EncodeRefusesADamagedBitmapAndWritesNothing) {
  const std::pair<Bytes, std::string> inputs[] = {
      {cutPlainBitmap(), "the pixel data is cut short: the file holds 10 of the image's 20 rows"},
      {cutRunLengthBitmap(), "the run-length data ends before the image is complete: pixel "
                             "(0, 0) and those after it are missing"},
  };
  for (const fs::path& program : {kLight, kFull}) {
    for (const auto& [bytes, damage] : inputs) {
      SCOPED_TRACE(program.string() + ": " + damage);
      const fs::path in = dir_ / "снимок 1.bmp";
      writeBytes(in, bytes);
      const Outcome byDefault = run(program, {"encode", in.string()});
      EXPECT_EQ(byDefault.status, 1);
      EXPECT_EQ(byDefault.err, "tq1: error: " + in.string() + ": " + damage + "\n");
      const Outcome named = run(program, {"encode", in.string(), "-o", (dir_ / "out.tq1").string()});
      EXPECT_EQ(named.status, 1);
      EXPECT_EQ(named.err, byDefault.err);
      const auto entries = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
      EXPECT_EQ(entries, 1) << "nothing but the input should be there";
      fs::remove(in);
    }
  }
}

TEST_F(DamagedInput, FolderBatchConvertsTheSoundFilesAndNamesTheDamagedOnes) {
  writeBytes(dir_ / "good.bmp", sampleBitmap(8, 6, 2));
  writeBytes(dir_ / "cut.bmp", cutPlainBitmap());
  writeBytes(dir_ / "rle.bmp", cutRunLengthBitmap());
  const Outcome batch = run(kLight, {"batch", "--dir", dir_.string(), "-j", "1"});
  EXPECT_EQ(batch.status, 1) << batch.out;
  EXPECT_TRUE(fs::exists(dir_ / "good.tq1"));
  EXPECT_FALSE(fs::exists(dir_ / "cut.tq1"));
  EXPECT_FALSE(fs::exists(dir_ / "rle.tq1"));
  EXPECT_NE(batch.err.find((dir_ / "cut.bmp").string() + ": the pixel data is cut short"),
            std::string::npos)
      << batch.err;
  EXPECT_NE(batch.err.find((dir_ / "rle.bmp").string() + ": the run-length data ends"),
            std::string::npos)
      << batch.err;
}

// The order of the desktop list's "add a folder": .tq1 files, then .bmp files, each kind by
// name without regard to case, however the file system keeps them.
TEST_F(DamagedInput, FolderBatchGoesInTheOrderOfTheNames) {
  const std::vector<std::string> bitmaps{"d.bmp", "B.bmp", "c.BMP", "a.bmp", "e.bmp"};
  for (std::size_t i = 0; i < bitmaps.size(); ++i) {
    writeBytes(dir_ / bitmaps[i], sampleBitmap(4, 3, static_cast<std::uint32_t>(i)));
  }
  CodecContext context;
  Grid one(2, 2);
  ASSERT_TRUE(prepareForEncoding(context, one, CodecParams{}).ok());
  for (const char* name : {"Z.tq1", "y.tq1"}) ASSERT_TRUE(encodeFile(context, dir_ / name).ok());

  const Outcome batch = run(kLight, {"batch", "--dir", dir_.string(), "-j", "1"});
  ASSERT_EQ(batch.status, 0) << batch.err;
  std::vector<std::string> sources;
  std::istringstream lines(batch.out);
  for (std::string line; std::getline(lines, line);) {
    if (const auto arrow = line.find(" -> "); arrow != std::string::npos) {
      sources.push_back(fs::path(line.substr(0, arrow)).filename().string());
    }
  }
  EXPECT_EQ(sources, (std::vector<std::string>{"y.tq1", "Z.tq1", "a.bmp", "B.bmp", "c.BMP",
                                               "d.bmp", "e.bmp"}));
}

}  // namespace
}  // namespace tq1
