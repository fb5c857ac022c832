// Input images for the light program: plain 24-bit bitmaps are read directly; anything else
// needs the full program.
#include <vector>

#include "cli/InputImage.h"
#include "codec/Codec.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1::cli {

InputImage loadInputImage(const std::string& path) {
  InputImage input;
  std::vector<std::uint8_t> bytes;
  const CodecStatus read = readWholeFile(path, bytes);
  if (!read) {
    // Let the full program phrase it: it tells a missing file from an unreadable one.
    input.outcome = InputImage::Outcome::NeedsFullProgram;
    return input;
  }
  std::optional<ImageFileResult<Grid>> plain = readPlainBitmap(bytes);
  if (!plain) {
    input.outcome = InputImage::Outcome::NeedsFullProgram;
    return input;
  }
  if (!plain->ok()) {
    input.error = path + ": " + plain->status.message();
    return input;
  }
  input.outcome = InputImage::Outcome::Loaded;
  input.grid = std::move(plain->value);
  return input;
}

}  // namespace tq1::cli
