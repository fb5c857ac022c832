// The file work behind each tq1 command; each returns the process exit status.
#pragma once

#include "cli/CommandLine.h"

namespace tq1::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// Not an exit status: the light program cannot read this input (or write this output format)
// and hands the command on.
inline constexpr int kNeedsFullProgram = -1;

// With several inputs these run them all (see ManyFiles.h).
int runEncode(const Command& command);
int runDecode(const Command& command);
int runInfo(const Command& command);
// Only in the full program.
int runBatch(const Command& command);

}  // namespace tq1::cli
