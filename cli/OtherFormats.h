// Image formats beyond the program's own 24-bit bitmaps, for decode's output. The light
// program writes none and hands such commands on; the full program writes every format its
// Qt writes. Each program links its own implementation.
#pragma once

#include <string>

#include "codec/CodecStatus.h"
#include "codec/Grid.h"

namespace tq1::cli {

// Whether this is the full program, which reads and writes the formats Qt knows.
[[nodiscard]] bool hasOtherFormats();

// Whether `format` (lower case, such as "png" or "jpg") can be written.
[[nodiscard]] bool canWriteFormat(const std::string& format);

// The names of the formats that can be written, for messages.
[[nodiscard]] std::string writableFormats();

// Writes `grid` in `format` to `output`: standard output for "-", else a file replaced
// through a temporary file only when complete.
[[nodiscard]] CodecStatus writeOtherFormat(const Grid& grid, const std::string& output,
                                           const std::string& format);

}  // namespace tq1::cli
