// Image file reading and bitmap writing for the command line.
#pragma once

#include "batch/BatchIo.h"

namespace tq1::cli {

[[nodiscard]] BatchIo commandLineImageIo();

}  // namespace tq1::cli
