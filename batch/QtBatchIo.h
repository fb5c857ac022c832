// The desktop app's image input and output for batch runs: Qt's image readers for every
// bitmap variant, and the program's own 24-bit bitmap writer.
#pragma once

#include "batch/BatchIo.h"

namespace tq1 {

// Both functions are reentrant and may be used from several worker threads at once.
[[nodiscard]] BatchIo qtBatchIo();

}  // namespace tq1
