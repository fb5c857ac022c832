// tq1 in shell pipelines and scripts: standard input and output, a terminal on standard
// output, a reader that goes away, a cut input, several files at once, other output formats
// and the JSON form of info.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include <QImage>

#include "ProgramRunner.h"
#include "codec/Codec.h"
#include "codec/FileInfo.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/GridImage.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::Outcome;
using testing::readBytes;
using testing::shellQuoted;
using testing::writeBytes;

const fs::path kLight = TQ1_PROGRAM;
const fs::path kFull = kLight.parent_path() / "tq1-qt";

Grid sampleImage(std::uint32_t w, std::uint32_t h) {
  std::mt19937 random(w * 7919 + h);
  Grid grid(w, h);
  for (std::uint32_t x = 0; x < w; ++x)
    for (std::uint32_t y = 0; y < h; ++y)
      grid.at(x, y) = rgbColour(std::uint8_t(x * 3 + random() % 5), std::uint8_t(y * 2 + random() % 3),
                                std::uint8_t((x / 16 + y / 16) * 25));
  return grid;
}

bool havePython() { return std::system("command -v python3 >/dev/null 2>&1") == 0; }

class Pipelines : public testing::ScratchFolderTest {
 protected:
  Pipelines() : ScratchFolderTest("tq1-pipes-") {}

  // Runs `script` in the test's folder, where "$T" is the light program and "$F" the full one.
  Outcome sh(const std::string& script) const {
    const std::string prelude = "cd " + shellQuoted(dir_.string()) + " && T=" +
                                shellQuoted(kLight.string()) + " && F=" + shellQuoted(kFull.string()) +
                                " && ";
    return testing::runShell(prelude + script, dir_.parent_path() / (dir_.filename().string() + ".err"));
  }

  Grid writeBitmap(const std::string& name, std::uint32_t w, std::uint32_t h) const {
    const Grid grid = sampleImage(w, h);
    writeBytes(dir_ / name, encodeBitmap(grid).value);
    return grid;
  }

  Bytes bytesOf(const std::string& name) const { return readBytes(dir_ / name); }

};

TEST_F(Pipelines, StandardStreamsCarryTheSameBytesAsFiles) {
  const Grid image = writeBitmap("in.bmp", 300, 200);  // larger than a pipe's buffer
  ASSERT_TRUE(imageFromGrid(image).value.save(QString::fromStdString((dir_ / "in.png").string()), "PNG"));
  const std::string params = " -t 4 -s 10 -b 7,6,7";
  ASSERT_EQ(sh("$T encode in.bmp -o file.tq1" + params).status, 0);
  for (const std::string& script :
       {"cat in.bmp | $T encode -" + params + " > a.tq1",   // "-" in: standard output by default
        "$T encode in.bmp -o -" + params + " | cat > b.tq1",
        "$T encode - -o c.tq1" + params + " < in.bmp",
        // Not a plain bitmap: the light program hands what it read to the full one.
        "cat in.png | $T encode - -o - " + params + " > d.tq1"}) {
    const Outcome run = sh(script);
    EXPECT_EQ(run.status, 0) << script << ": " << run.err;
    EXPECT_EQ(run.err, "") << script;
  }
  for (const char* name : {"a.tq1", "b.tq1", "c.tq1", "d.tq1"}) EXPECT_EQ(bytesOf(name), bytesOf("file.tq1")) << name;

  ASSERT_EQ(sh("$T decode file.tq1 -o file.bmp").status, 0);
  EXPECT_EQ(sh("cat file.tq1 | $T decode - -o - | cat > a.bmp").status, 0);
  EXPECT_EQ(sh("$T decode - < file.tq1 > b.bmp").status, 0);
  EXPECT_EQ(sh("$F decode - < file.tq1 > c.bmp").status, 0);
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) EXPECT_EQ(bytesOf(name), bytesOf("file.bmp")) << name;
  // -v reports on standard error and leaves the image on standard output untouched.
  const Outcome verbose = sh("$T decode file.tq1 -o - -v > v.bmp");
  EXPECT_EQ(verbose.status, 0);
  EXPECT_NE(verbose.err.find("standard output"), std::string::npos) << verbose.err;
  EXPECT_EQ(bytesOf("v.bmp"), bytesOf("file.bmp"));
}

TEST_F(Pipelines, ATerminalGetsNoImageData) {
  if (!havePython()) GTEST_SKIP() << "python3 is needed to give the program a terminal";
  writeBitmap("in.bmp", 20, 10);
  ASSERT_EQ(sh("$T encode in.bmp").status, 0);
  // Runs each command with a pseudo-terminal as standard output (or input, after "in") and
  // prints its exit status, the number of bytes that reached the terminal, and whether its
  // message speaks of a terminal. One python3 for all: it is slow to start.
  const std::string onTerminal = R"(T="$T" python3 -c '
import os, pty, shlex, subprocess, sys
for case in sys.argv[1:]:
    words = [os.environ["T"] if word == "$T" else word for word in shlex.split(case)]
    toInput = words[0] == "in"
    master, slave = pty.openpty()
    run = subprocess.run(words[1:], stdin=slave if toInput else subprocess.DEVNULL,
                         stdout=subprocess.PIPE if toInput else slave, stderr=subprocess.PIPE)
    os.close(slave)
    os.set_blocking(master, False)
    try:
        shown = len(os.read(master, 1 << 20))
    except OSError:
        shown = 0
    os.close(master)
    sys.stderr.write(run.stderr.decode())
    print(run.returncode, shown, b"terminal" in run.stderr)
')";
  std::string cases;
  for (const char* command : {"out $T decode in.tq1 -o -", "out $T encode in.bmp -o -",
                              "out $T decode in.tq1 -o - --format png", "out $T decode - -o -",
                              "in $T decode - -o out.bmp"}) {
    cases += " '" + std::string(command) + "'";  // "$T" stays for python3 to replace
  }
  const Outcome run = sh(onTerminal + cases);
  EXPECT_EQ(run.out, "1 0 True\n1 0 True\n1 0 True\n1 0 True\n1 0 True\n") << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "out.bmp"));
}

TEST_F(Pipelines, AReaderThatGoesAwayOrACutInputFails) {
  const Grid image = writeBitmap("in.bmp", 300, 200);
  ASSERT_TRUE(imageFromGrid(image).value.save(QString::fromStdString((dir_ / "in.jpg").string()), "JPEG"));
  ASSERT_EQ(sh("$T encode in.bmp -o in.tq1").status, 0);
  // head leaves after 100 bytes; the rest of the bitmap cannot be written.
  for (const std::string program : {"$T", "$F"}) {
    const Outcome broken = sh("{ " + program + " decode in.tq1 -o -; echo $? >status; } | head -c 100 >/dev/null");
    EXPECT_EQ(bytesOf("status"), (Bytes{'1', '\n'})) << program;
    EXPECT_NE(broken.err.find("standard output: write failed"), std::string::npos) << broken.err;
  }
  if (havePython()) {
    // Text too: info into a pipe whose reading end is already closed.
    const Outcome info = sh(R"(python3 -c '
import os, subprocess, sys
r, w = os.pipe()
os.close(r)
print(subprocess.run(sys.argv[1:], stdout=w).returncode)
' $T info in.tq1)");
    EXPECT_EQ(info.out, "1\n");
    EXPECT_NE(info.err.find("standard output: write failed"), std::string::npos) << info.err;
  }

  for (const std::string script : {"head -c 2000 in.tq1 | $T decode - > out.bmp",
                                    "head -c 9000 in.bmp | $T encode - > out.tq1",
                                    "head -c 9000 in.bmp | $F encode - > out.tq1",
                                    "head -c 3000 in.jpg | $T encode - > out.tq1"}) {
    const Outcome cut = sh(script);
    EXPECT_EQ(cut.status, 1) << script;
    EXPECT_NE(cut.err.find("tq1: error: standard input:"), std::string::npos) << script << ": " << cut.err;
  }
  EXPECT_EQ(fs::file_size(dir_ / "out.bmp"), 0u);
  EXPECT_EQ(fs::file_size(dir_ / "out.tq1"), 0u);
}

TEST_F(Pipelines, SeveralInputsGiveTheSameFilesAsOneAtATime) {
  const std::vector<std::string> names = {"a", "b", "c", "d"};
  for (const char* folder : {"one", "many"}) {
    fs::create_directories(dir_ / folder);
    for (std::size_t i = 0; i < names.size(); ++i) {
      writeBitmap(std::string(folder) + "/" + names[i] + ".bmp", 40 + 13 * i, 30 + 7 * i);
    }
    const Grid png = sampleImage(33, 17);
    ASSERT_TRUE(imageFromGrid(png).value.save(QString::fromStdString((dir_ / folder / "e.png").string())));
    writeBytes(dir_ / folder / "bad.bmp", Bytes(300, 0x42));
  }
  for (const char* input : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.png"}) {
    ASSERT_EQ(sh("cd one && $T encode " + std::string(input) + " -t 3 -s 9").status, 0) << input;
  }
  const Outcome many = sh("cd many && $T encode a.bmp bad.bmp b.bmp c.bmp d.bmp e.png -t 3 -s 9 --jobs 2");
  EXPECT_EQ(many.status, 1);
  EXPECT_NE(many.err.find("bad.bmp"), std::string::npos) << many.err;
  EXPECT_NE(many.err.find("5 converted, 0 skipped, 1 failed"), std::string::npos) << many.err;
  EXPECT_EQ(many.out, "");
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    const std::string tq1 = std::string(name) + ".tq1";
    ASSERT_TRUE(fs::exists(dir_ / "many" / tq1)) << tq1;
    EXPECT_EQ(bytesOf("many/" + tq1), bytesOf("one/" + tq1)) << tq1;
  }
  EXPECT_FALSE(fs::exists(dir_ / "many" / "bad.tq1"));

  for (const char* name : {"a", "b", "c", "d", "e"}) {
    ASSERT_EQ(sh("cd one && $T decode " + std::string(name) + ".tq1").status, 0);
  }
  fs::remove(dir_ / "many" / "a.bmp");
  fs::remove(dir_ / "many" / "c.bmp");
  // Without a terminal existing outputs are kept; --overwrite replaces them.
  const Outcome kept = sh("cd many && $T decode a.tq1 b.tq1 c.tq1 d.tq1 e.tq1 -j 2");
  EXPECT_EQ(kept.status, 0) << kept.err;
  EXPECT_NE(kept.err.find("3 converted, 2 skipped, 0 failed"), std::string::npos) << kept.err;
  EXPECT_NE(bytesOf("many/b.bmp"), bytesOf("one/b.bmp"));  // still the original
  const Outcome replaced = sh("cd many && $T decode a.tq1 b.tq1 c.tq1 d.tq1 e.tq1 -j 2 --overwrite -q");
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(replaced.err, "");
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    const std::string bmp = std::string(name) + ".bmp";
    EXPECT_EQ(bytesOf("many/" + bmp), bytesOf("one/" + bmp)) << bmp;
  }

  // One file replaces its output as it always has, unless told not to.
  const Bytes before = bytesOf("many/a.tq1");
  writeBitmap("many/a.bmp", 8, 8);
  const Outcome keptOne = sh("cd many && $T encode a.bmp --no-overwrite");
  EXPECT_EQ(keptOne.status, 0);
  EXPECT_NE(keptOne.err.find("skipped, 'a.tq1' exists"), std::string::npos) << keptOne.err;
  EXPECT_EQ(bytesOf("many/a.tq1"), before);
  EXPECT_EQ(sh("cd many && $T encode a.bmp").status, 0);
  EXPECT_NE(bytesOf("many/a.tq1"), before);

  const Outcome twoToOne = sh("cd many && $T encode a.bmp b.bmp -o x.tq1");
  EXPECT_EQ(twoToOne.status, 2);
  EXPECT_NE(twoToOne.err.find("-o"), std::string::npos);
  // Two inputs with one output: the second is not converted over the first's result.
  const Outcome clash = sh("cd many && $T encode e.png e.bmp --overwrite");
  EXPECT_EQ(clash.status, 1);
  EXPECT_NE(clash.err.find("also the output of 'e.png'"), std::string::npos) << clash.err;
}

TEST_F(Pipelines, OtherOutputFormatsHoldTheBitmapsPixels) {
  writeBitmap("in.bmp", 57, 31);
  ASSERT_EQ(sh("$T encode in.bmp -t 6 -s 20").status, 0);
  ASSERT_EQ(sh("$T decode in.tq1 -o out.bmp").status, 0);
  ASSERT_EQ(sh("$T decode in.tq1 -o out.png").status, 0);
  ASSERT_EQ(sh("$T decode in.tq1 -o - --format PNG > piped.png").status, 0);
  ASSERT_EQ(sh("$T decode in.tq1 -o named.data --format png").status, 0);
  ASSERT_EQ(sh("$T decode in.tq1 -o out.tmp").status, 0);

  CodecContext decoded;
  ASSERT_TRUE(decodeFile(decoded, dir_ / "in.tq1").ok());
  EXPECT_EQ(bytesOf("out.bmp"), encodeBitmap(decoded.pixels).value);
  EXPECT_EQ(bytesOf("out.tmp"), bytesOf("out.bmp"));  // a name no writer knows: a bitmap, as ever
  const QImage expected = imageFromGrid(decoded.pixels).value;
  for (const char* name : {"out.png", "piped.png", "named.data"}) {
    const Bytes bytes = bytesOf(name);
    ASSERT_GE(bytes.size(), 8u) << name;
    EXPECT_EQ(Bytes(bytes.begin() + 1, bytes.begin() + 4), (Bytes{'P', 'N', 'G'})) << name;
    QImage png;
    ASSERT_TRUE(png.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG")) << name;
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), expected) << name;
  }
  const Outcome unknown = sh("$T decode in.tq1 -o x --format nosuchformat");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("png"), std::string::npos) << unknown.err;  // lists what is known
  EXPECT_FALSE(fs::exists(dir_ / "x"));
}

TEST_F(Pipelines, InfoAsJsonHoldsTheFilesFigures) {
  if (!havePython()) GTEST_SKIP() << "python3 is needed to read the JSON";
  writeBitmap("in.bmp", 45, 23);
  ASSERT_EQ(sh("$T encode in.bmp -o 'фото.tq1' -t 4 -s 12 -b 6,5,7").status, 0);
  writeBytes(dir_ / "junk.tq1", Bytes(64, 0x33));
  const Outcome tool = sh("$T info --json 'фото.tq1' | python3 -m json.tool");
  EXPECT_EQ(tool.status, 0) << tool.err;

  FileInfo info;
  const Bytes bytes = bytesOf("фото.tq1");
  ASSERT_TRUE(readFileInfo(bytes, info).ok());
  const std::string read = R"( | python3 -c '
import json, sys
for line in sys.stdin:
    d = json.loads(line)
    if "error" in d:
        print(d["file"], "error")
        continue
    l = d["levels"]
    print(d["file"], d["width"], d["height"], d["tolerance"], d["smoothing"], l["red"], l["green"],
          l["blue"], l["fourth"], d["symbols"], d["tokens"], repr(d["bitsPerPixel"]), d["fileSize"])
')";
  const Outcome lines = sh("$T info --json 'фото.tq1' missing.tq1 - junk.tq1 < 'фото.tq1'" + read);
  EXPECT_EQ(lines.status, 0) << lines.err;  // python3's: every line is JSON
  std::istringstream text(lines.out);
  for (const char* name : {"фото.tq1", "missing.tq1", "-", "junk.tq1"}) {
    std::string line;
    ASSERT_TRUE(std::getline(text, line)) << lines.out << lines.err;
    std::istringstream fields(line);
    std::string file;
    fields >> file;
    EXPECT_EQ(file, name);
    if (file == "missing.tq1" || file == "junk.tq1") {
      EXPECT_EQ(line, file + " error");
      continue;
    }
    std::uint32_t w = 0, h = 0, tolerance = 0, smoothing = 0, red = 0, green = 0, blue = 0, fourth = 0;
    std::uint32_t symbols = 0, tokens = 0;
    double bitsPerPixel = 0;
    std::uint64_t fileSize = 0;
    fields >> w >> h >> tolerance >> smoothing >> red >> green >> blue >> fourth >> symbols >> tokens >>
        bitsPerPixel >> fileSize;
    ASSERT_FALSE(fields.fail()) << line;
    EXPECT_EQ(std::tie(w, h, tolerance, smoothing), std::make_tuple(45u, 23u, 4u, 12u)) << line;
    EXPECT_EQ(red, 64u) << line;  // six bits of red kept
    EXPECT_EQ((std::array{red, green, blue, fourth}), info.levelCount) << line;
    EXPECT_EQ(symbols, info.symbolCount);
    EXPECT_EQ(tokens, info.tokenCount);
    EXPECT_EQ(fileSize, bytes.size());
    EXPECT_DOUBLE_EQ(bitsPerPixel, static_cast<double>(bytes.size()) * 8.0 / (45.0 * 23.0));
  }

  // Any error makes the status 1, with the figures of the others still printed.
  const Outcome status = sh("$T info --json 'фото.tq1' missing.tq1 >/dev/null");
  EXPECT_EQ(status.status, 1);
}

}  // namespace
}  // namespace tq1
