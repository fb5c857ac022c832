// Finds tq1-qt beside the running program (a build tree) or in the installed libexec folder,
// and executes it with the same arguments.
#include "cli/FullProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/Commands.h"

namespace tq1::cli {

namespace {
constexpr const char* kFullProgramName = "tq1-qt";
}

int runFullProgram(char** argv) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    std::fprintf(stderr, "tq1: error: cannot locate the program: %s\n", error.message().c_str());
    return kExitFailure;
  }
  std::filesystem::path fullPath = self.parent_path() / kFullProgramName;
#ifdef TQ1_LIBEXEC_FROM_BIN
  if (!std::filesystem::exists(fullPath, error)) {
    fullPath = (self.parent_path() / TQ1_LIBEXEC_FROM_BIN / kFullProgramName).lexically_normal();
  }
#endif
  const std::string full = fullPath.string();
  argv[0] = const_cast<char*>(full.c_str());
  ::execv(full.c_str(), argv);
  std::fprintf(stderr, "tq1: error: this file needs %s, which cannot be started: %s\n",
               full.c_str(), std::strerror(errno));
  return kExitFailure;
}

}  // namespace tq1::cli
