// tq1 info: what .tq1 files declare, as aligned text for people or one JSON line per file
// for scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/InfoJson.h"
#include "cli/StandardStreams.h"
#include "codec/FileInfo.h"

namespace tq1::cli {

namespace {

void printText(const std::string& name, const FileInfo& info) {
  std::printf("file:            %s\n", name.c_str());
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
}

CodecStatus describe(const std::string& name, FileInfo& info) {
  FileBytes bytes;
  CodecStatus status = readInput(name, bytes);
  if (status) status = readFileInfo(bytes.span(), info);
  return status;
}

}  // namespace

int runInfo(const Command& command) {
  int exitStatus = kExitOk;
  bool first = true;
  for (const std::string& name : command.inputs) {
    FileInfo info;
    const CodecStatus status = describe(name, info);
    if (!status) exitStatus = kExitFailure;
    if (command.json) {
      const std::string line = status ? infoJson(name, info) : errorJson(name, status.message());
      std::printf("%s\n", line.c_str());
      continue;
    }
    if (!status) {
      std::fflush(stdout);  // the descriptions of earlier files come before the message
      std::fprintf(stderr, "tq1: error: %s: %s\n", inputName(name).c_str(), status.message().c_str());
      continue;
    }
    if (!first) std::printf("\n");
    first = false;
    printText(name, info);
  }
  return exitStatus;
}

}  // namespace tq1::cli
