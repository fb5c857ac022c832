// The tq1 command-line tool: encode, decode, inspect and batch-convert images.
#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"

int main(int argc, char** argv) {
  // No QCoreApplication: Qt finds its image plugins without one, and creating it costs more
  // than converting a small image.
  const std::vector<std::string> args(argv + 1, argv + argc);
  const tq1::cli::ParseResult parsed = tq1::cli::parseCommandLine(args);
  if (!parsed.command) {
    std::fprintf(stderr, "tq1: %s\nTry 'tq1 --help'.\n", parsed.error.c_str());
    return tq1::cli::kExitUsage;
  }
  using tq1::cli::CommandKind;
  switch (parsed.command->kind) {
    case CommandKind::Help:
      std::fputs(tq1::cli::usageText().c_str(), stdout);
      return tq1::cli::kExitOk;
    case CommandKind::Version:
      std::printf("tq1 %s\n", TQ1_VERSION);
      return tq1::cli::kExitOk;
    case CommandKind::Encode: return tq1::cli::runEncode(*parsed.command);
    case CommandKind::Decode: return tq1::cli::runDecode(*parsed.command);
    case CommandKind::Info: return tq1::cli::runInfo(*parsed.command);
    case CommandKind::Batch: return tq1::cli::runBatch(*parsed.command);
  }
  return tq1::cli::kExitUsage;
}
