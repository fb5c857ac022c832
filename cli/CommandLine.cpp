// Command-line parsing for tq1: subcommands, options with ranges, and usage text.
#include "CommandLine.h"

#include <charconv>
#include <filesystem>
#include <vector>

namespace tq1::cli {

namespace {

std::optional<unsigned> parseNumber(const std::string& text, unsigned maximum) {
  unsigned value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || value > maximum) return std::nullopt;
  return value;
}

// "--bits 5" sets all three components; "--bits 5,6,5" sets red, green and blue.
bool parseBits(const std::string& text, CodecParams& params) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (parts.size() != 1 && parts.size() != 3) return false;
  for (std::size_t c = 0; c < 3; ++c) {
    const auto bits = parseNumber(parts[parts.size() == 1 ? 0 : c], kMaxBits);
    if (!bits) return false;
    params.bits[c] = static_cast<std::uint8_t>(*bits);
  }
  return true;
}

ParseResult failure(std::string message) { return {std::nullopt, std::move(message)}; }

class Parser {
 public:
  explicit Parser(std::span<const std::string> args) : args_(args) {}

  ParseResult run() {
    if (args_.empty()) return failure("no command given");
    const std::string& first = args_[0];
    if (first == "-h" || first == "--help" || first == "help") return done(CommandKind::Help);
    if (first == "-V" || first == "--version" || first == "version") return done(CommandKind::Version);
    if (first == "encode") command_.kind = CommandKind::Encode;
    else if (first == "decode") command_.kind = CommandKind::Decode;
    else if (first == "info") command_.kind = CommandKind::Info;
    else if (first == "batch") command_.kind = CommandKind::Batch;
    else return failure("unknown command '" + first + "'");

    for (next_ = 1; next_ < args_.size(); ++next_) {
      if (std::string error = option(args_[next_]); !error.empty()) return failure(error);
    }
    return finish();
  }

 private:
  ParseResult done(CommandKind kind) {
    command_.kind = kind;
    return {command_, {}};
  }

  bool encodes() const {
    return command_.kind == CommandKind::Encode || command_.kind == CommandKind::Batch;
  }

  // The value after an option, or nullopt at the end of the arguments.
  std::optional<std::string> value() {
    if (next_ + 1 >= args_.size()) return std::nullopt;
    return args_[++next_];
  }

  std::string option(const std::string& arg) {
    if (arg == "-h" || arg == "--help") {
      command_.kind = CommandKind::Help;
      return {};
    }
    if (arg == "-v" || arg == "--verbose") {
      command_.verbose = true;
      return {};
    }
    if (arg == "-q" || arg == "--quiet") {
      command_.quiet = true;
      return {};
    }
    if ((arg == "-o" || arg == "--output") && command_.kind != CommandKind::Info &&
        command_.kind != CommandKind::Batch) {
      const auto v = value();
      if (!v || v->empty()) return "option " + arg + " needs a file name";
      command_.output = *v;
      return {};
    }
    if (encodes() && (arg == "-t" || arg == "--tolerance")) return rangeOption(arg, kMaxToleranceUi, command_.params.tolerance);
    if (encodes() && (arg == "-s" || arg == "--smoothing")) return rangeOption(arg, kMaxSmoothingUi, command_.params.smoothThreshold);
    if (encodes() && (arg == "-b" || arg == "--bits")) {
      const auto v = value();
      if (!v || !parseBits(*v, command_.params)) return "option " + arg + " needs N or R,G,B with each from 0 to 8";
      return {};
    }
    if (command_.kind == CommandKind::Batch) return batchOption(arg);
    if (arg.size() > 1 && arg[0] == '-') return "unknown option '" + arg + "'";
    return positional(arg);
  }

  std::string rangeOption(const std::string& arg, unsigned maximum, std::uint8_t& target) {
    const auto v = value();
    const auto number = v ? parseNumber(*v, maximum) : std::nullopt;
    if (!number) return "option " + arg + " needs a number from 0 to " + std::to_string(maximum);
    target = static_cast<std::uint8_t>(*number);
    return {};
  }

  std::string batchOption(const std::string& arg) {
    if (arg == "-j" || arg == "--jobs") {
      const auto v = value();
      const auto number = v ? parseNumber(*v, 256) : std::nullopt;
      if (!number || *number == 0) return "option " + arg + " needs a number of workers from 1 to 256";
      command_.jobs = *number;
      return {};
    }
    if (arg == "--overwrite") {
      command_.overwrite = OverwritePolicy::Always;
      return {};
    }
    if (arg == "--no-overwrite") {
      command_.overwrite = OverwritePolicy::Never;
      return {};
    }
    if (arg == "--dir") {
      const auto v = value();
      if (!v || v->empty()) return "option --dir needs a folder";
      command_.directory = *v;
      return {};
    }
    if (arg.size() > 1 && arg[0] == '-') return "unknown option '" + arg + "'";
    return positional(arg);
  }

  std::string positional(const std::string& arg) {
    if (!command_.input.empty()) return "unexpected argument '" + arg + "'";
    command_.input = arg;
    return {};
  }

  ParseResult finish() {
    if (command_.kind == CommandKind::Help) return {command_, {}};
    if (command_.kind == CommandKind::Batch) {
      if (command_.input.empty() == command_.directory.empty()) {
        return failure("batch needs either a list file or --dir FOLDER");
      }
      return {command_, {}};
    }
    if (command_.input.empty()) return failure("no input file given");
    if (command_.output.empty() && command_.kind != CommandKind::Info) {
      command_.output = defaultOutputName(command_.input, command_.kind);
    }
    return {command_, {}};
  }

  std::span<const std::string> args_;
  std::size_t next_ = 0;
  Command command_;
};

}  // namespace

ParseResult parseCommandLine(std::span<const std::string> args) { return Parser(args).run(); }

std::string defaultOutputName(const std::string& input, CommandKind kind) {
  std::filesystem::path path(input);
  path.replace_extension(kind == CommandKind::Decode ? ".bmp" : ".tq1");
  return path.string();
}

std::string usageText() {
  return R"(Usage:
  tq1 encode IN [-o OUT.tq1] [-t|--tolerance 0..50] [-s|--smoothing 0..150]
                [-b|--bits N | --bits R,G,B] [-v]
  tq1 decode IN.tq1 [-o OUT.bmp] [-v]
  tq1 info IN.tq1
  tq1 batch LIST.lst [-j|--jobs N] [--overwrite | --no-overwrite]
  tq1 batch --dir DIR [-j N] [--overwrite | --no-overwrite] [encode options]
  tq1 --help | --version

encode   compresses a bitmap (or any image Qt reads) into a .tq1 file
decode   turns a .tq1 file into a 24-bit .bmp file
info     describes a .tq1 file without decoding it
batch    converts the entries of a list file, or the .bmp and .tq1 files of a folder:
         .bmp entries are encoded to .tq1 and .tq1 entries decoded to .bmp

Options:
  -o, --output FILE     output file (default: the input's name with the other extension)
  -t, --tolerance N     largest colour spread inside one block, 0 (finest) to 50; default 0
  -s, --smoothing N     largest neighbour difference blended at block edges, 0 to 150;
                        default 0 (no smoothing)
  -b, --bits N|R,G,B    bits kept per colour component, 0 to 8; default 8
  -j, --jobs N          files converted at once (default: one per processor core)
  --overwrite           replace existing outputs without asking
  --no-overwrite        keep existing outputs (the default without a terminal)
  -v, --verbose         print sizes, bits per pixel and quality after each file
  -q, --quiet           print nothing but errors
  -h, --help            this text
  -V, --version         the program's version

Exit status: 0 success, 1 a file could not be converted, 2 the command line is wrong.
)";
}

}  // namespace tq1::cli
