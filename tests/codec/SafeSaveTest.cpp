// Saving .tq1 files never loses the file that was there: a write that fails at any point
// leaves the old file whole and says why, and saving over a file that is being read works.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "CodecTestSupport.h"
#include "ResourceLimits.h"
#include "codec/Codec.h"

namespace tq1 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// An image whose file is far larger than a few kilobytes: distinct colours, lossless.
CodecContext bigImageContext() {
  std::mt19937 random(3);
  Grid image(64, 64);
  for (PackedColour& cell : image.cells()) cell = random() & 0xFFFFFF;
  return testing::contextFor(image, CodecParams{});
}

class SafeSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tq1-safe-save-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SafeSave, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
  const fs::path path = dir_ / "picture.tq1";
  const Bytes old(3000, 0x42);
  writeBytes(path, old);
  CodecContext context = bigImageContext();
  CodecStatus status;
  {
    testing::FileSizeLimit limit(4096);
    if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
    status = encodeFile(context, path);
  }
  EXPECT_EQ(status.error(), CodecError::FileWriteFailed);
  EXPECT_NE(status.message().find("picture.tq1"), std::string::npos) << status.message();
  EXPECT_GT(context.stream.size(), 4096u);
  EXPECT_EQ(readBytes(path), old);
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"picture.tq1"});
}

TEST_F(SafeSave, AFolderWhereTheFileShouldBeIsReportedAndKept) {
  const fs::path path = dir_ / "taken.tq1";
  fs::create_directories(path / "inside");
  CodecContext context = testing::contextFor(Grid(3, 3, 0x010203), CodecParams{});
  const CodecStatus status = encodeFile(context, path);
  EXPECT_EQ(status.error(), CodecError::FileWriteFailed);
  EXPECT_FALSE(status.message().empty());
  EXPECT_TRUE(fs::is_directory(path / "inside"));
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"taken.tq1"});
}

TEST_F(SafeSave, SavingOverTheFileBeingReadKeepsTheReaderWholeAndWritesTheNewFile) {
  const fs::path path = dir_ / "same.tq1";
  CodecContext first = testing::contextFor(Grid(8, 8, 0x00FF00), CodecParams{});
  ASSERT_TRUE(encodeFile(first, path).ok());
  const Bytes firstBytes = first.stream;

  // Decode the file and save the result over it while another reader still has it open.
  CodecContext decoded;
  ASSERT_TRUE(decodeFile(decoded, path).ok());
  std::ifstream reader(path, std::ios::binary);
  CodecContext second = bigImageContext();
  ASSERT_TRUE(encodeFile(second, path).ok());
  const Bytes seenByReader(std::istreambuf_iterator<char>(reader), {});
  EXPECT_EQ(seenByReader, firstBytes);
  EXPECT_EQ(readBytes(path), second.stream);

  CodecContext again;
  ASSERT_TRUE(decodeFile(again, path).ok());
  EXPECT_EQ(again.pixels, second.pixels);
}

TEST_F(SafeSave, NamesUpToTheFileSystemLimitCanBeSaved) {
  // 255 bytes is the longest name most file systems allow; the temporary file must still fit.
  for (const std::string& name : {std::string(251, 'n') + ".tq1",
                                 std::string(2 * 120, 'x') + " имя.tq1"}) {
    ASSERT_LE(name.size(), 255u);
    CodecContext context = testing::contextFor(Grid(5, 4, 0x445566), CodecParams{});
    const CodecStatus status = encodeFile(context, dir_ / name);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(readBytes(dir_ / name), context.stream);
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{name});
    fs::remove(dir_ / name);
  }
}

}  // namespace
}  // namespace tq1
