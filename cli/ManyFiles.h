// `tq1 encode A B C` and `tq1 decode A B C`: each input converted to its own default output
// name, several at once, with batch's overwrite rules and a summary at the end.
#pragma once

#include "cli/CommandLine.h"

namespace tq1::cli {

// Returns kExitOk when every file was converted or kept, kExitFailure when any failed, and
// kNeedsFullProgram when the light program cannot do the whole run.
int runManyFiles(const Command& command);

}  // namespace tq1::cli
