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

CodecStatus writeDecoded(const Command& command, const CodecContext& context, const std::string& format) {
  if (format != kBitmapFormat) return writeOtherFormat(context.pixels, command.output, format);
  const std::optional<BitmapLayout> layout = bitmapLayout(context.width(), context.height());
  if (!layout) {
    return CodecStatus::failure(
        CodecError::ImageTooLarge,
        inputName(command.input) + ": " +
            detail::noBitmapLayout(context.width(), context.height()).status.message());
  }
  // Streamed a band of rows at a time: no second copy of the image in memory.
  return writeOutput(command.output, [&](const ByteSink& sink) {
    return streamBitmap(context.pixels, *layout, sink);
  });
}

std::uintmax_t outputBytes(const std::string& output) {
  return isStandardStream(output) ? standardOutputBytes() : sizeOf(output);
}

CodecStatus encodeToStandardOutput(CodecContext& context) {
  if (CodecStatus status = encodeToBytes(context); !status) return status;
  return writeStandardOutput(context.stream);
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
  const std::uint32_t width = loaded.grid.width();
  const std::uint32_t height = loaded.grid.height();
  Grid original;
  if (command.verbose) original = loaded.grid;

  CodecContext context;
  // The rebuilt image is only needed for the quality figure that -v prints.
  context.outputs = command.verbose ? CodecOutputs::Everything : CodecOutputs::ResultOnly;
  if (CodecStatus status = prepareForEncoding(context, std::move(loaded.grid), command.params); !status) {
    printError(inputName(command.input) + ": " + status.message());
    return kExitFailure;
  }
  TerminalProgress progress("encoding", showsProgress(command));
  context.progress = progress.callback();
  const CodecStatus status = isStandardStream(command.output) ? encodeToStandardOutput(context)
                                                              : encodeFile(context, command.output);
  progress.finish();
  if (!status) {
    printError(inputName(command.input) + ": " + status.message());
    return kExitFailure;
  }
  if (command.verbose) {
    const double bpp = static_cast<double>(context.stream.size()) * 8.0 / (double(width) * height);
    std::fprintf(stderr, "%s -> %s: %ux%u, %ju -> %zu bytes (%.3f bits per pixel), %s\n",
                 inputName(command.input).c_str(), outputName(command.output).c_str(), width,
                 height, std::uintmax_t{loaded.fileBytes}, context.stream.size(), bpp,
                 psnrText(psnr(original, context.pixels)).c_str());
  }
  return kExitOk;
}

int runDecode(const Command& command) {
  if (command.inputs.size() > 1) return runManyFiles(command);
  const FormatChoice choice = chooseOutputFormat(command);
  if (choice.status != kExitOk) return choice.status;
  if (keepsExistingOutput(command)) return kExitOk;
  if (!outputUsable(command)) return kExitFailure;
  CodecContext context;
  context.outputs = CodecOutputs::ResultOnly;
  if (command.oneOfMany) context.decodeThreads = DecodeThreads::One;
  TerminalProgress progress("decoding", showsProgress(command));
  context.progress = progress.callback();
  CodecStatus status = readInput(command.input, context.stream);
  if (status) status = decodeBytes(context, context.stream);
  progress.finish();
  if (!status) {
    printError(inputName(command.input) + ": " + status.message());
    return kExitFailure;
  }
  const CodecStatus written = writeDecoded(command, context, choice.format);
  if (!written) {
    printError(written.message());
    return kExitFailure;
  }
  if (command.verbose) {
    std::fprintf(stderr, "%s -> %s: %ux%u, %zu -> %ju bytes\n", inputName(command.input).c_str(),
                 outputName(command.output).c_str(), context.width(), context.height(),
                 context.stream.size(), outputBytes(command.output));
  }
  return kExitOk;
}

}  // namespace tq1::cli
