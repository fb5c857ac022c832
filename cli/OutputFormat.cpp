// The choice of decode's output format, from the options and the output's name.
#include "cli/OutputFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/OtherFormats.h"
#include "cli/StandardStreams.h"

namespace tq1::cli {

namespace {

std::string extensionOf(const std::string& output) {
  if (isStandardStream(output)) return {};
  std::string extension = std::filesystem::path(output).extension().string();
  if (!extension.empty()) extension.erase(0, 1);  // the dot
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool isBitmap(const std::string& format) {
  return format.empty() || format == kBitmapFormat || format == "dib";
}

}  // namespace

FormatChoice chooseOutputFormat(const Command& command) {
  const bool named = !command.format.empty();
  const std::string format = named ? command.format : extensionOf(command.output);
  if (isBitmap(format)) return {kBitmapFormat, kExitOk};
  if (!hasOtherFormats()) return {{}, kNeedsFullProgram};
  if (canWriteFormat(format)) return {format, kExitOk};
  // Outputs have always been bitmaps whatever their names ("out.tmp"), and stay so.
  if (!named) return {kBitmapFormat, kExitOk};
  std::fprintf(stderr, "tq1: no writer for the format '%s'; known formats: %s\nTry 'tq1 --help'.\n",
               format.c_str(), writableFormats().c_str());
  return {{}, kExitUsage};
}

}  // namespace tq1::cli
