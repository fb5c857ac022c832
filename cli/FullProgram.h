// Hands a command to the full program (tq1-qt, beside this one or installed in libexec),
// which reads every image format and list files; the light program stays free of Qt so that
// plain conversions start at once.
#pragma once

namespace tq1::cli {

// Replaces this process with the full program and the same arguments. Returns only when
// that fails, with the exit status to use.
int runFullProgram(char** argv);

}  // namespace tq1::cli
