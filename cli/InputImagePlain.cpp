// Input images for the light program: plain 24-bit bitmaps are read directly; anything else
// needs the full program.
#include <vector>

#include "cli/CutImage.h"
#include "cli/InputImage.h"
#include "cli/StandardStreams.h"
#include "codec/Codec.h"
#include "imagefile/PlainBitmapReader.h"

namespace tq1::cli {

namespace {

InputImage needsFullProgram() {
  InputImage input;
  input.outcome = InputImage::Outcome::NeedsFullProgram;
  return input;
}

InputImage failed(std::string error) {
  InputImage input;
  input.error = std::move(error);
  return input;
}

}  // namespace

InputImage loadInputImage(const std::string& path) {
  FileBytes read;
  const bool standardInput = isStandardStream(path);
  const CodecStatus status = readInput(path, read);
  const std::span<const std::uint8_t> bytes = read.span();
  // Let the full program phrase a file's failure: it tells a missing file from an unreadable
  // one. Standard input is read only once, so its failure is reported here.
  if (!status) return standardInput ? failed(inputName(path) + ": " + status.message()) : needsFullProgram();
  std::optional<ImageFileResult<Grid>> plain = readPlainBitmap(bytes);
  if (!plain) {
    if (!standardInput) return needsFullProgram();
    if (std::string cut = cutImageMessage(bytes); !cut.empty()) return failed(inputName(path) + ": " + cut);
    const CodecStatus passed = passStandardInputOn(bytes);
    return passed ? needsFullProgram() : failed(passed.message());
  }
  if (!plain->ok()) return failed(inputName(path) + ": " + plain->status.message());
  InputImage input;
  input.outcome = InputImage::Outcome::Loaded;
  input.grid = std::move(plain->value);
  input.fileBytes = bytes.size();
  return input;
}

}  // namespace tq1::cli
