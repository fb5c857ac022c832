// Parsing of the tq1 command line into a command and its options, without touching files.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "codec/CodecContext.h"

namespace tq1::cli {

enum class CommandKind { Help, Version, Encode, Decode, Info, Batch };

enum class OverwritePolicy { Ask, Always, Never };

struct Command {
  CommandKind kind = CommandKind::Help;
  std::string input;   // image, .tq1 file or list file
  std::string output;  // empty: derived from the input
  CodecParams params;  // encode, and batch --dir
  bool verbose = false;
  bool quiet = false;
  // batch only
  std::string directory;  // --dir: convert a folder instead of a list file
  unsigned jobs = 0;      // 0: one per core
  OverwritePolicy overwrite = OverwritePolicy::Ask;
};

struct ParseResult {
  std::optional<Command> command;
  std::string error;  // set when the command line is not usable
};

// args excludes the program name.
[[nodiscard]] ParseResult parseCommandLine(std::span<const std::string> args);

[[nodiscard]] std::string usageText();

// The input's name with the other format's extension: .tq1 for encoding, .bmp for decoding.
[[nodiscard]] std::string defaultOutputName(const std::string& input, CommandKind kind);

}  // namespace tq1::cli
