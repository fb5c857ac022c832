// The light program writes bitmaps only; every other format is the full program's work.
#include "cli/OtherFormats.h"

namespace tq1::cli {

bool hasOtherFormats() { return false; }

bool canWriteFormat(const std::string& format) { return format == "bmp"; }

std::string writableFormats() { return "bmp"; }

CodecStatus writeOtherFormat(const Grid&, const std::string& output, const std::string& format) {
  return CodecStatus::failure(CodecError::FileWriteFailed,
                              output + ": this program does not write " + format + " images");
}

}  // namespace tq1::cli
