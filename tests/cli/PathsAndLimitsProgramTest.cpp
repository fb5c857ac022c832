// Both programs (tq1 and tq1-qt) as a user runs them with awkward file names, list files
// that hold such names, a full disk, and images at and beyond the format's side limit.
//
// Names covered: spaces, Cyrillic letters, guillemets, single and double quotes, a leading
// dash, a tab, a component of 255 bytes and a path of more than 2500 bytes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <QImage>

#include "ProgramRunner.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using testing::Outcome;
using testing::readBytes;
using testing::writeBytes;

Grid sampleImage(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
  std::mt19937 random(seed);
  Grid grid(w, h);
  for (std::uint32_t x = 0; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y)
      grid.at(x, y) = rgbColour(std::uint8_t(x * 5 + random() % 4), std::uint8_t(y * 3),
                                std::uint8_t((x / 4 + y / 4) * 20));
  return grid;
}

void writeBitmap(const fs::path& path, const Grid& grid) { writeBytes(path, encodeBitmap(grid).value); }

// A list file record: the name's bytes, 0xFF, six settings bytes, 0D 0A 00.
void appendRecord(Bytes& list, const std::string& name, std::uint8_t tolerance) {
  list.insert(list.end(), name.begin(), name.end());
  list.insert(list.end(), {0xFF, tolerance, 0, 8, 8, 8, 0, 0x0D, 0x0A, 0x00});
}

const fs::path kLight = TQ1_PROGRAM;
const fs::path kFull = kLight.parent_path() / "tq1-qt";

class PathsAndLimits : public testing::ScratchFolderTest {
 protected:
  PathsAndLimits() : ScratchFolderTest("tq1-paths-") {}

  Outcome run(const fs::path& program, const std::vector<std::string>& args,
              int limitBlocks = 0) const {
    return testing::runProgram(program, args, dir_ / "stderr.txt", limitBlocks);
  }

  // Folders whose names are awkward in every way, and deep enough for a long path.
  fs::path awkwardFolder() const {
    fs::path folder = dir_ / "папка с пробелами «и кавычками»" / "it's \"quoted\"" / "-dash\ttab";
    for (int i = 0; i < 11; ++i) folder /= std::string(230, char('a' + i));
    fs::create_directories(folder);
    return folder;
  }

  std::vector<std::string> awkwardNames() const {
    return {"с пробелом и «кавычками»", "it's a \"test\"", "-dash", "tab\there",
            std::string(251, 'n')};
  }

};

TEST_F(PathsAndLimits, EncodeDecodeAndInfoTakeAwkwardNamesInBothPrograms) {
  const fs::path folder = awkwardFolder();
  ASSERT_GT(folder.string().size(), 2500u);
  for (const fs::path& program : {kLight, kFull}) {
    for (const std::string& name : awkwardNames()) {
      const std::string what = program.filename().string() + ", " + name;
      const fs::path bmp = folder / (name.size() > 250 ? name.substr(0, 251) : name);
      const fs::path in = fs::path(bmp.string() + ".bmp");
      const fs::path tq1 = fs::path(bmp.string() + ".tq1");
      const Grid image = sampleImage(9, 7, static_cast<std::uint32_t>(name.size()));
      writeBitmap(in, image);
      const Outcome enc = run(program, {"encode", in.string()});
      ASSERT_EQ(enc.status, 0) << what << ": " << enc.err;
      ASSERT_TRUE(fs::exists(tq1)) << what;
      const Outcome info = run(program, {"info", tq1.string()});
      EXPECT_EQ(info.status, 0) << what << ": " << info.err;
      EXPECT_NE(info.out.find("9 x 7 pixels"), std::string::npos) << what;
      fs::remove(in);
      const Outcome dec = run(program, {"decode", tq1.string()});
      ASSERT_EQ(dec.status, 0) << what << ": " << dec.err;
      CodecContext decoded;
      ASSERT_TRUE(decodeFile(decoded, tq1).ok()) << what;
      EXPECT_EQ(readBytes(in), encodeBitmap(decoded.pixels).value) << what;
      fs::remove(in);
      fs::remove(tq1);
    }
  }
}

TEST_F(PathsAndLimits, OtherImageFormatsWithAwkwardNamesGoThroughTheFullProgram) {
  // A PNG, which the light program hands over: the arguments must reach tq1-qt unchanged.
  const fs::path folder = awkwardFolder();
  const fs::path png = folder / "фото 'один' \"два\".png";
  QImage image(11, 6, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 20, y * 40, 99));
  ASSERT_TRUE(image.save(QString::fromStdString(png.string()), "PNG"));
  const fs::path out = folder / "-выход.tq1";
  const Outcome enc = run(kLight, {"encode", png.string(), "-o", out.string()});
  ASSERT_EQ(enc.status, 0) << enc.err;
  CodecContext decoded;
  ASSERT_TRUE(decodeFile(decoded, out).ok());
  EXPECT_EQ(decoded.pixels.at(10, 5), rgbColour(200, 200, 99));
}

TEST_F(PathsAndLimits, BatchConvertsListsAndFoldersOfAwkwardNames) {
  const fs::path folder = awkwardFolder();
  Bytes list;
  std::vector<fs::path> expected;
  int n = 0;
  for (const std::string& name : awkwardNames()) {
    const fs::path bmp = folder / (name.substr(0, 250) + ".bmp");
    writeBitmap(bmp, sampleImage(6, 5, static_cast<std::uint32_t>(++n)));
    appendRecord(list, bmp.string(), static_cast<std::uint8_t>(n));
    expected.push_back(fs::path(bmp).replace_extension(".tq1"));
  }
  const fs::path listFile = dir_ / "список «файлов» 'один'.lst";
  writeBytes(listFile, list);
  for (const fs::path& program : {kLight, kFull}) {
    const Outcome batch = run(program, {"batch", listFile.string(), "--overwrite", "-j", "1"});
    ASSERT_EQ(batch.status, 0) << program << ": " << batch.err << batch.out;
    for (const fs::path& target : expected) {
      EXPECT_TRUE(fs::exists(target)) << target;
      CodecContext decoded;
      EXPECT_TRUE(decodeFile(decoded, target).ok()) << target;
      fs::remove(target);
    }
  }
  // The same folder by --dir: every bitmap becomes a .tq1 beside it.
  const Outcome byFolder = run(kLight, {"batch", "--dir", folder.string(), "-j", "1"});
  ASSERT_EQ(byFolder.status, 0) << byFolder.err << byFolder.out;
  for (const fs::path& target : expected) EXPECT_TRUE(fs::exists(target)) << target;
}

TEST_F(PathsAndLimits, AFullDiskKeepsEveryOldOutputAndIsReported) {
  // Outputs of tens of kilobytes against a cap of at most 8 KiB; old outputs of 100 bytes.
  const Grid image = sampleImage(120, 90, 7);
  const fs::path bmp = dir_ / "in.bmp";
  writeBitmap(bmp, image);
  CodecContext context;
  ASSERT_TRUE(prepareForEncoding(context, image, CodecParams{}).ok());
  ASSERT_TRUE(encodeFile(context, dir_ / "in.tq1").ok());
  ASSERT_GT(context.stream.size(), 8192u);
  const Bytes oldOutput(100, 0x77);
  struct Case {
    const char* what;
    std::vector<std::string> args;
    fs::path output;
  };
  const Case cases[] = {
      {"encode", {"encode", bmp.string(), "-o", (dir_ / "out.tq1").string()}, dir_ / "out.tq1"},
      {"decode", {"decode", (dir_ / "in.tq1").string(), "-o", (dir_ / "out.bmp").string()},
       dir_ / "out.bmp"},
  };
  for (const fs::path& program : {kLight, kFull}) {
    for (const Case& c : cases) {
      writeBytes(c.output, oldOutput);
      const auto before = std::distance(fs::directory_iterator(dir_), {});
      const Outcome outcome = run(program, c.args, 8);
      const std::string what = program.filename().string() + " " + c.what;
      EXPECT_EQ(outcome.status, 1) << what << ": " << outcome.err;
      EXPECT_NE(outcome.err.find("File too large"), std::string::npos) << what << ": " << outcome.err;
      EXPECT_EQ(readBytes(c.output), oldOutput) << what;
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), before) << what << ": a file was left behind";
    }
  }
  // A batch run replacing an old output on a full disk.
  Bytes list;
  appendRecord(list, (dir_ / "in.tq1").string(), 0);
  writeBytes(dir_ / "one.lst", list);
  writeBytes(dir_ / "in.bmp", oldOutput);
  const Outcome batch = run(kLight, {"batch", (dir_ / "one.lst").string(), "--overwrite"}, 8);
  EXPECT_EQ(batch.status, 1) << batch.err << batch.out;
  EXPECT_FALSE(batch.err.empty());
  EXPECT_EQ(readBytes(dir_ / "in.bmp"), oldOutput);
}

TEST_F(PathsAndLimits, SidesOf65536PixelsWorkAndLargerOnesAreRefusedClearly) {
  const Grid wide = sampleImage(65536, 1, 3);
  writeBitmap(dir_ / "wide.bmp", wide);
  ASSERT_EQ(run(kLight, {"encode", (dir_ / "wide.bmp").string()}).status, 0);
  ASSERT_EQ(run(kLight, {"decode", (dir_ / "wide.tq1").string(), "-o", (dir_ / "back.bmp").string()}).status, 0);
  EXPECT_EQ(readBytes(dir_ / "back.bmp"), encodeBitmap(wide).value);

  // 65537 x 1: the bitmap format holds it, the .tq1 format does not.
  Bytes tooWide = encodeBitmap(sampleImage(65536, 1, 4)).value;
  tooWide.insert(tooWide.end(), {9, 9, 9});
  tooWide[18] = 0x01;
  tooWide[19] = 0x00;
  tooWide[20] = 0x01;  // width 0x00010001
  writeBytes(dir_ / "too wide.bmp", tooWide);
  for (const fs::path& program : {kLight, kFull}) {
    const Outcome refused = run(program, {"encode", (dir_ / "too wide.bmp").string()});
    EXPECT_EQ(refused.status, 1) << program;
    EXPECT_NE(refused.err.find("65537 x 1"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir_ / "too wide.tq1"));
  }
}

}  // namespace
}  // namespace tq1
