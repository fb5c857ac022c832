// Command-line parsing for tq1: subcommands, options with ranges, and usage text.
#include "CommandLine.h"

#include <algorithm>
#include <cctype>
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
    if (command_.kind == CommandKind::Decode && arg == "--format") return formatOption(arg);
    if (command_.kind == CommandKind::Info && arg == "--json") {
      command_.json = true;
      return {};
    }
    if (command_.kind != CommandKind::Info) return runOption(arg);
    if (isOption(arg)) return "unknown option '" + arg + "'";
    return positional(arg);
  }

  // A lone "-" is standard input, not an option.
  static bool isOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

  std::string formatOption(const std::string& arg) {
    const auto v = value();
    const auto letterOrDigit = [](unsigned char c) { return std::isalnum(c) != 0; };
    if (!v || v->empty() || !std::all_of(v->begin(), v->end(), letterOrDigit)) {
      return "option " + arg + " needs an image format such as bmp or png";
    }
    command_.format = *v;
    std::transform(command_.format.begin(), command_.format.end(), command_.format.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return {};
  }

  std::string rangeOption(const std::string& arg, unsigned maximum, std::uint8_t& target) {
    const auto v = value();
    const auto number = v ? parseNumber(*v, maximum) : std::nullopt;
    if (!number) return "option " + arg + " needs a number from 0 to " + std::to_string(maximum);
    target = static_cast<std::uint8_t>(*number);
    return {};
  }

  // The options of batch and of encode or decode: workers, overwriting, and for batch a folder.
  std::string runOption(const std::string& arg) {
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
    if (command_.kind == CommandKind::Batch && arg == "--dir") {
      const auto v = value();
      if (!v || v->empty()) return "option --dir needs a folder";
      command_.directory = *v;
      return {};
    }
    if (isOption(arg)) return "unknown option '" + arg + "'";
    return positional(arg);
  }

  std::string positional(const std::string& arg) {
    if (command_.kind == CommandKind::Batch && !command_.input.empty()) {
      return "unexpected argument '" + arg + "'";
    }
    if (command_.input.empty()) command_.input = arg;
    command_.inputs.push_back(arg);
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
    if (command_.inputs.empty()) return failure("no input file given");
    const bool several = command_.inputs.size() > 1;
    // info may read standard input among files; a conversion's output is named after its
    // input, which standard input has not.
    const auto fromStandardInput = std::count(command_.inputs.begin(), command_.inputs.end(), kStandardStream);
    if (fromStandardInput > 1 || (several && fromStandardInput != 0 && command_.kind != CommandKind::Info)) {
      return failure("standard input ('-') can only be the one input");
    }
    if (several && !command_.output.empty()) {
      return failure("option -o names the output of one input; with several inputs each output "
                     "is named after its input");
    }
    if (command_.output.empty() && command_.kind != CommandKind::Info) {
      // What comes in on standard input goes out on standard output unless -o says otherwise.
      command_.output = command_.input == kStandardStream
                            ? std::string(kStandardStream)
                            : defaultOutputName(command_.input, command_.kind, command_.format);
    }
    return {command_, {}};
  }

  std::span<const std::string> args_;
  std::size_t next_ = 0;
  Command command_;
};

}  // namespace

ParseResult parseCommandLine(std::span<const std::string> args) { return Parser(args).run(); }

std::string defaultOutputName(const std::string& input, CommandKind kind, const std::string& format) {
  std::filesystem::path path(input);
  if (kind != CommandKind::Decode) path.replace_extension(".tq1");
  else path.replace_extension(format.empty() ? std::string(".bmp") : "." + format);
  return path.string();
}

std::string usageText() {
  return R"(Usage:
  tq1 encode IN... [-o OUT.tq1] [-t|--tolerance 0..50] [-s|--smoothing 0..150]
                [-b|--bits N | --bits R,G,B] [-j N] [--overwrite | --no-overwrite] [-v]
  tq1 decode IN.tq1... [-o OUT] [--format bmp|png|...] [-j N]
                [--overwrite | --no-overwrite] [-v]
  tq1 info [--json] IN.tq1...
  tq1 batch LIST.lst [-j|--jobs N] [--overwrite | --no-overwrite]
  tq1 batch --dir DIR [-j N] [--overwrite | --no-overwrite] [encode options]
  tq1 --help | --version

encode   compresses a bitmap (or any image Qt reads) into a .tq1 file
decode   turns a .tq1 file into a 24-bit .bmp file, or another format (see --format)
info     describes a .tq1 file without decoding it
batch    converts the entries of a list file, or the .bmp and .tq1 files of a folder:
         .bmp entries are encoded to .tq1 and .tq1 entries decoded to .bmp

IN may be '-' for standard input; with -o - the result goes to standard output, which
must not be a terminal. Input from '-' goes to standard output unless -o says otherwise.
Several inputs are converted at once, each to its own name with the other extension;
existing outputs are then asked about on a terminal and kept otherwise.

Options:
  -o, --output FILE     output file (default: the input's name with the other extension);
                        decode writes the format the extension names (.png, .jpg, ...)
                        and a 24-bit bitmap for .bmp and for names Qt does not write
  --format FMT          decode: the output format, whatever the name (default: bmp on
                        standard output); with several inputs, also the outputs' extension
  --json                info: one JSON object per file, on one line each
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

Messages, progress and -v lines go to standard error; standard output carries only
images and the text of info.

Examples:
  tq1 encode photo.bmp -t 10 -s 30            # writes photo.tq1
  tq1 encode *.bmp -t 10 -j 4 --no-overwrite  # a .tq1 beside each bitmap
  tq1 decode photo.tq1 -o photo.png
  tq1 decode photo.tq1 -o - | convert - -resize 50% small.jpg
  tar -xOf photos.tar a.tq1 | tq1 decode - --format png > a.png
  tq1 info --json *.tq1

Exit status: 0 success, 1 a file could not be converted (or read, for info), 2 the command
line is wrong.
)";
}

}  // namespace tq1::cli
