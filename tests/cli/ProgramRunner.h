// Running the command-line programs as a user does, through the shell, in a scratch folder of
// the test's own, and the file helpers that tests of them share.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tq1::testing {

// A test that works in a folder of its own under the temporary folder, named after the test
// and the process so that tests running at once never share one; removed afterwards.
class ScratchFolderTest : public ::testing::Test {
 protected:
  explicit ScratchFolderTest(std::string prefix) : prefix_(std::move(prefix)) {}
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (prefix_ + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;

 private:
  std::string prefix_;
};

struct Outcome {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// The word quoted for the shell, whatever characters it holds.
inline std::string shellQuoted(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a command line through the shell, as a script would; its standard output is captured,
// its standard error goes through `errFile`, which is removed.
inline Outcome runShell(const std::string& script, const std::filesystem::path& errFile) {
  const std::string command = "{ " + script + "\n} 2>" + shellQuoted(errFile.string());
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) outcome.out.append(buffer, n);
  const int raw = ::pclose(pipe);
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  outcome.err = text.str();
  std::filesystem::remove(errFile);
  return outcome;
}

// Runs `program` with `args` and no standard input; `limitBlocks` > 0 caps the size of the
// files it writes (ulimit -f). Standard error goes through `errFile`, which is removed.
inline Outcome runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                          const std::filesystem::path& errFile, int limitBlocks = 0) {
  std::string command = limitBlocks > 0 ? "ulimit -f " + std::to_string(limitBlocks) + "; " : "";
  command += shellQuoted(program.string());
  for (const auto& a : args) command += " " + shellQuoted(a);
  command += " </dev/null";
  return runShell(command, errFile);
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tq1::testing
