// Which image format a decode writes: what --format says, else what the output's extension
// names, else a 24-bit bitmap (standard output, no extension, or one no writer knows).
#pragma once

#include <string>

#include "cli/CommandLine.h"

namespace tq1::cli {

inline constexpr const char* kBitmapFormat = "bmp";

struct FormatChoice {
  std::string format;  // lower case; "bmp" for the program's own bitmap writer
  // kExitOk, or the status to end with: kNeedsFullProgram when this program cannot write
  // the format, kExitUsage for a --format that no writer knows (the message is printed).
  int status = 0;
};

[[nodiscard]] FormatChoice chooseOutputFormat(const Command& command);

}  // namespace tq1::cli
