// encode, decode and info: load, run the codec, write, and report like other image tools.
#include "Commands.h"

#include <cstdio>
#include <filesystem>

#include "cli/InputImage.h"
#include "cli/TerminalProgress.h"
#include "codec/Codec.h"
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
  const std::uint32_t width = loaded.grid.width();
  const std::uint32_t height = loaded.grid.height();
  Grid original;
  if (command.verbose) original = loaded.grid;

  CodecContext context;
  // The rebuilt image is only needed for the quality figure that -v prints.
  context.outputs = command.verbose ? CodecOutputs::Everything : CodecOutputs::ResultOnly;
  if (CodecStatus status = prepareForEncoding(context, std::move(loaded.grid), command.params); !status) {
    printError(command.input + ": " + status.message());
    return kExitFailure;
  }
  TerminalProgress progress("encoding", !command.quiet && stderrIsTerminal());
  context.progress = progress.callback();
  const CodecStatus status = encodeFile(context, command.output);
  progress.finish();
  if (!status) {
    printError(command.input + ": " + status.message());
    return kExitFailure;
  }
  if (command.verbose) {
    const double bpp = static_cast<double>(context.stream.size()) * 8.0 / (double(width) * height);
    std::printf("%s -> %s: %ux%u, %ju -> %zu bytes (%.3f bits per pixel), %s\n",
                command.input.c_str(), command.output.c_str(), width, height,
                sizeOf(command.input), context.stream.size(), bpp,
                psnrText(psnr(original, context.pixels)).c_str());
  }
  return kExitOk;
}

int runDecode(const Command& command) {
  CodecContext context;
  context.outputs = CodecOutputs::ResultOnly;
  TerminalProgress progress("decoding", !command.quiet && stderrIsTerminal());
  context.progress = progress.callback();
  const CodecStatus status = decodeFile(context, command.input);
  progress.finish();
  if (!status) {
    printError(command.input + ": " + status.message());
    return kExitFailure;
  }
  const std::optional<BitmapLayout> layout = bitmapLayout(context.width(), context.height());
  if (!layout) {
    printError(command.input + ": " +
               detail::noBitmapLayout(context.width(), context.height()).status.message());
    return kExitFailure;
  }
  // Streamed a band of rows at a time: no second copy of the image in memory.
  const CodecStatus written = writeFileAtomically(
      command.output, [&](const ByteSink& sink) { return streamBitmap(context.pixels, *layout, sink); });
  if (!written) {
    printError(written.message());
    return kExitFailure;
  }
  if (command.verbose) {
    std::printf("%s -> %s: %ux%u, %zu -> %ju bytes\n", command.input.c_str(),
                command.output.c_str(), context.width(), context.height(), context.stream.size(),
                sizeOf(command.output));
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
              info.magic == std::array<std::uint8_t, 4>{0x54, 0x51, 1, 0} ? " (TQ 1.0)" : " (unusual)");
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
