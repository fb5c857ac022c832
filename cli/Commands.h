// The file work behind each tq1 command; each returns the process exit status.
#pragma once

#include "cli/CommandLine.h"

namespace tq1::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int runEncode(const Command& command);
int runDecode(const Command& command);
int runInfo(const Command& command);
int runBatch(const Command& command);

}  // namespace tq1::cli
