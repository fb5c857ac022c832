// Parsing of the tq1 command line into a command and its options, without touching files.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/CodecContext.h"

namespace tq1::cli {

enum class CommandKind { Help, Version, Encode, Decode, Info, Batch };

enum class OverwritePolicy { Ask, Always, Never };

// The name that stands for standard input as an input and standard output as an output.
inline constexpr const char* kStandardStream = "-";

struct Command {
  CommandKind kind = CommandKind::Help;
  std::string input;   // image, .tq1 file or list file; the first of `inputs`
  std::vector<std::string> inputs;  // encode, decode and info take several
  std::string output;  // empty: derived from the input; "-" standard output
  CodecParams params;  // encode, and batch --dir
  bool verbose = false;
  bool quiet = false;
  std::string format;  // decode --format: the output's image format, lower case
  bool json = false;   // info --json
  // batch, and encode or decode of several files
  std::string directory;  // --dir: convert a folder instead of a list file
  unsigned jobs = 0;      // 0: one per core
  // Several conversions ask on a terminal and otherwise keep existing outputs, as batch does;
  // a single one replaces its output unless told --no-overwrite.
  OverwritePolicy overwrite = OverwritePolicy::Ask;
  // Set on the command of each file of a many-file run: no progress bar, one decoding thread.
  bool oneOfMany = false;
};

struct ParseResult {
  std::optional<Command> command;
  std::string error;  // set when the command line is not usable
};

// args excludes the program name.
[[nodiscard]] ParseResult parseCommandLine(std::span<const std::string> args);

[[nodiscard]] std::string usageText();

// The input's name with the other format's extension: .tq1 for encoding, .bmp for decoding
// (or the extension of `format` when decoding to another image format).
[[nodiscard]] std::string defaultOutputName(const std::string& input, CommandKind kind,
                                            const std::string& format = {});

}  // namespace tq1::cli
