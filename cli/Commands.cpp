// encode and decode of one file: load, run the codec, write, and report like other image tools.
#include "Commands.h"

#include <cstdio>
#include <filesystem>

#include "cli/InputImage.h"
#include "cli/ManyFiles.h"
#include "cli/OtherFormats.h"
#include "cli/OutputFormat.h"
#include "cli/StandardStreams.h"
#include "cli/TerminalProgress.h"
#include "codec/Codec.h"
#include "codec/Conversion.h"
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

// A single conversion keeps an existing output only when told --no-overwrite.
bool keepsExistingOutput(const Command& command) {
  if (command.overwrite != OverwritePolicy::Never || isStandardStream(command.output)) return false;
  std::error_code error;
  if (!std::filesystem::exists(command.output, error)) return false;
  if (!command.quiet) std::fprintf(stderr, "%s: skipped, '%s' exists\n", command.input.c_str(), command.output.c_str());
  return true;
}

// Standard output on a terminal is refused before any input is read.
bool outputUsable(const Command& command) {
  if (!isStandardStream(command.output)) return true;
  const std::string refusal = terminalOutputRefusal();
  if (!refusal.empty()) printError(refusal);
  return refusal.empty();
}

bool showsProgress(const Command& command) {
  return !command.quiet && !command.oneOfMany && stderrIsTerminal();
}

CodecStatus writeDecoded(const Command& command, const Grid& image, const std::string& format) {
  if (format != kBitmapFormat) return writeOtherFormat(image, command.output, format);
  const std::optional<BitmapLayout> layout = bitmapLayout(image.width(), image.height());
  if (!layout) {
    return CodecStatus::failure(
        CodecError::ImageTooLarge,
        inputName(command.input) + ": " +
            detail::noBitmapLayout(image.width(), image.height()).status.message());
  }
  // Streamed a band of rows at a time: no second copy of the image in memory.
  return writeOutput(command.output, [&](const ByteSink& sink) {
    return streamBitmap(image, *layout, sink);
  });
}

std::uintmax_t outputBytes(const std::string& output) {
  return isStandardStream(output) ? standardOutputBytes() : sizeOf(output);
}

CodecStatus writeEncoded(const std::string& output, std::span<const std::uint8_t> bytes) {
  return isStandardStream(output) ? writeStandardOutput(bytes) : writeFileAtomically(output, bytes);
}

}  // namespace

int runEncode(const Command& command) {
  if (command.inputs.size() > 1) return runManyFiles(command);
  if (keepsExistingOutput(command)) return kExitOk;
  if (!outputUsable(command)) return kExitFailure;
  InputImage loaded = loadInputImage(command.input);
  if (loaded.outcome == InputImage::Outcome::NeedsFullProgram) return kNeedsFullProgram;
  if (loaded.outcome == InputImage::Outcome::Failed) {
    printError(loaded.error);
    return kExitFailure;
  }
  // The quality figure that -v prints needs the original and the rebuilt image.
  Grid original;
  if (command.verbose) original = loaded.grid;
  TerminalProgress progress("encoding", showsProgress(command));
  EncodeResult encoded =
      encodeImage(std::move(loaded.grid), command.params,
                  {.keepRebuilt = command.verbose, .progress = progress.callback()});
  if (encoded.ok()) encoded.status = writeEncoded(command.output, encoded.bytes);
  progress.finish();
  if (!encoded.ok()) {
    printError(inputName(command.input) + ": " + encoded.status.message());
    return kExitFailure;
  }
  if (command.verbose) {
    std::fprintf(stderr, "%s -> %s: %ux%u, %ju -> %zu bytes (%.3f bits per pixel), %s\n",
                 inputName(command.input).c_str(), outputName(command.output).c_str(),
                 encoded.width, encoded.height, std::uintmax_t{loaded.fileBytes},
                 encoded.bytes.size(), encoded.bitsPerPixel(),
                 psnrText(psnr(original, encoded.rebuilt)).c_str());
  }
  return kExitOk;
}

int runDecode(const Command& command) {
  if (command.inputs.size() > 1) return runManyFiles(command);
  const FormatChoice choice = chooseOutputFormat(command);
  if (choice.status != kExitOk) return choice.status;
  if (keepsExistingOutput(command)) return kExitOk;
  if (!outputUsable(command)) return kExitFailure;
  TerminalProgress progress("decoding", showsProgress(command));
  DecodeResult decoded;
  {
    FileBytes bytes;
    decoded.status = readInput(command.input, bytes);
    // One file of many runs beside the others, which keep the processors busy already.
    if (decoded.ok()) {
      decoded = decodeImage(bytes.span(), {.progress = progress.callback(),
                                    .threads = command.oneOfMany ? DecodeThreads::One
                                                                 : DecodeThreads::OneUnlessLarge});
    }
  }  // the file's bytes go before the image is written
  progress.finish();
  if (!decoded.ok()) {
    printError(inputName(command.input) + ": " + decoded.status.message());
    return kExitFailure;
  }
  const Grid& image = decoded.image;
  const CodecStatus written = writeDecoded(command, image, choice.format);
  if (!written) {
    printError(written.message());
    return kExitFailure;
  }
  if (command.verbose) {
    std::fprintf(stderr, "%s -> %s: %ux%u, %ju -> %ju bytes\n", inputName(command.input).c_str(),
                 outputName(command.output).c_str(), image.width(), image.height(),
                 std::uintmax_t{decoded.fileBytes}, outputBytes(command.output));
  }
  return kExitOk;
}

}  // namespace tq1::cli
