// encode, decode and info: load, run the codec, write, and report like other image tools.
#include "Commands.h"

#include <cstdio>
#include <filesystem>

#include "cli/InputImage.h"
#include "cli/TerminalProgress.h"
#include "codec/Codec.h"
#include "codec/Conversion.h"
#include "codec/FileInfo.h"
#include "codec/ImageMetrics.h"
#include "imagefile/BitmapEncoding.h"

namespace tq1::cli {

namespace {

void printError(const std::string& message) {
  std::fprintf(stderr, "tq1: error: %s\n", message.c_str());
}

std::uintmax_t sizeOf(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

std::string psnrText(const std::optional<double>& value) {
  if (!value) return "lossless";
  char text[32];
  std::snprintf(text, sizeof text, "PSNR %.2f dB", *value);
  return text;
}

}  // namespace

int runEncode(const Command& command) {
  InputImage loaded = loadInputImage(command.input);
  if (loaded.outcome == InputImage::Outcome::NeedsFullProgram) return kNeedsFullProgram;
  if (loaded.outcome == InputImage::Outcome::Failed) {
    printError(loaded.error);
    return kExitFailure;
  }
  // The quality figure that -v prints needs the original and the rebuilt image.
  Grid original;
  if (command.verbose) original = loaded.grid;
  TerminalProgress progress("encoding", !command.quiet && stderrIsTerminal());
  const EncodeResult encoded =
      encodeImageToFile(std::move(loaded.grid), command.params, command.output,
                        {.keepRebuilt = command.verbose, .progress = progress.callback()});
  progress.finish();
  if (!encoded.ok()) {
    printError(failureAbout(command.input, encoded.status));
    return kExitFailure;
  }
  if (command.verbose) {
    std::printf("%s -> %s: %ux%u, %ju -> %zu bytes (%.3f bits per pixel), %s\n",
                command.input.c_str(), command.output.c_str(), encoded.width, encoded.height,
                sizeOf(command.input), encoded.bytes.size(), encoded.bitsPerPixel(),
                psnrText(psnr(original, encoded.rebuilt)).c_str());
  }
  return kExitOk;
}

int runDecode(const Command& command) {
  TerminalProgress progress("decoding", !command.quiet && stderrIsTerminal());
  const DecodeResult decoded = decodeImageFile(command.input, {.progress = progress.callback()});
  progress.finish();
  if (!decoded.ok()) {
    printError(failureAbout(command.input, decoded.status));
    return kExitFailure;
  }
  const Grid& image = decoded.image;
  const std::optional<BitmapLayout> layout = bitmapLayout(image.width(), image.height());
  if (!layout) {
    printError(command.input + ": " +
               detail::noBitmapLayout(image.width(), image.height()).status.message());
    return kExitFailure;
  }
  // Streamed a band of rows at a time: no second copy of the image in memory.
  const CodecStatus written = writeFileAtomically(
      command.output, [&](const ByteSink& sink) { return streamBitmap(image, *layout, sink); });
  if (!written) {
    printError(written.message());
    return kExitFailure;
  }
  if (command.verbose) {
    std::printf("%s -> %s: %ux%u, %ju -> %ju bytes\n", command.input.c_str(),
                command.output.c_str(), image.width(), image.height(),
                static_cast<std::uintmax_t>(decoded.fileBytes), sizeOf(command.output));
  }
  return kExitOk;
}

int runInfo(const Command& command) {
  std::vector<std::uint8_t> bytes;
  FileInfo info;
  CodecStatus status = readWholeFile(command.input, bytes);
  if (status) status = readFileInfo(bytes, info);
  if (!status) {
    printError(command.input + ": " + status.message());
    return kExitFailure;
  }
  std::printf("file:            %s\n", command.input.c_str());
  std::printf("size:            %ju bytes\n", static_cast<std::uintmax_t>(info.fileBytes));
  std::printf("image:           %u x %u pixels\n", info.width, info.height);
  std::printf("magic:           %02X %02X %02X %02X%s\n", info.magic[0], info.magic[1],
              info.magic[2], info.magic[3],
              info.usualMagic() ? " (TQ 1.0)" : " (unusual)");
  std::printf("tolerance:       %u\n", info.tolerance);
  std::printf("smoothing:       %u\n", info.smoothThreshold);
  std::printf("levels:          red %u, green %u, blue %u, fourth %u\n", info.levelCount[0],
              info.levelCount[1], info.levelCount[2], info.levelCount[3]);
  std::printf("symbols:         %u (3 control symbols: values %u, %u, %u at %u, %u, %u)\n",
              info.symbolCount, info.controlValue[0], info.controlValue[1],
              info.controlValue[2], info.controlIndex[0], info.controlIndex[1],
              info.controlIndex[2]);
  std::printf("tokens:          %u\n", info.tokenCount);
  std::printf("bits per pixel:  %.3f\n", info.bitsPerPixel());
  return kExitOk;
}

}  // namespace tq1::cli
