// Replays, through the very entries the fuzz programs run, every input that ever showed a
// fault (tests/fuzz_regressions/inputs/<entry>/) and the small committed seeds
// (fuzz/corpus/<entry>/), so that a fixed fault cannot come back unnoticed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzEntries.h"

namespace tq1::fuzz {

// Test names and failure messages show the entry's name.
void PrintTo(const NamedEntry& entry, std::ostream* out) { *out << entry.name; }

}  // namespace tq1::fuzz

namespace tq1 {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> keptInputs(std::string_view entry) {
  std::vector<fs::path> files;
  for (const fs::path& root : {fs::path(TQ1_FUZZ_REGRESSIONS), fs::path(TQ1_FUZZ_SEEDS)}) {
    const fs::path dir = root / entry;
    if (!fs::is_directory(dir)) continue;
    for (const auto& file : fs::directory_iterator(dir)) {
      if (file.is_regular_file()) files.push_back(file.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::uint8_t> contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class FuzzReplay : public ::testing::TestWithParam<fuzz::NamedEntry> {};

TEST_P(FuzzReplay, EveryKeptInputIsHandledSoundly) {
  const fuzz::NamedEntry& named = GetParam();
  const std::vector<fs::path> files = keptInputs(named.name);
  ASSERT_FALSE(files.empty()) << "no seeds or regression inputs for " << named.name;
  for (const fs::path& file : files) {
    EXPECT_EQ(named.entry(contents(file)), "") << file;
  }
}

INSTANTIATE_TEST_SUITE_P(Entries, FuzzReplay, ::testing::ValuesIn(fuzz::kEntries),
                         [](const ::testing::TestParamInfo<fuzz::NamedEntry>& entry) {
                           return std::string(entry.param.name);
                         });

}  // namespace
}  // namespace tq1
