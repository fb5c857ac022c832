// Reading the image that `tq1 encode` compresses. The light program reads plain 24-bit
// bitmaps itself and hands every other file to the full program, which reads any image Qt
// reads; each program links its own implementation.
#pragma once

#include <cstdint>
#include <string>

#include "codec/Grid.h"

namespace tq1::cli {

struct InputImage {
  enum class Outcome { Loaded, Failed, NeedsFullProgram };
  Outcome outcome = Outcome::Failed;
  Grid grid;
  std::string error;  // names the file and the cause when Failed
  std::uint64_t fileBytes = 0;  // the size of what was read, when Loaded
};

// `path` may be "-" for standard input. When the light program hands standard input on, it
// has replaced standard input by the bytes it read, so that the full program reads them.
[[nodiscard]] InputImage loadInputImage(const std::string& path);

}  // namespace tq1::cli
