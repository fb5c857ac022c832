// tq1 batch: converts the entries of a list file, or the .tq1 and .bmp files of a folder,
// with a line per file, a summary, and questions on the terminal before replacing files.
#include "Commands.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "batch/BatchRun.h"
#include "batch/DirectoryScan.h"
#include "batch/ListFile.h"
#include "batch/QtBatchIo.h"
#include "cli/TerminalQuestion.h"

namespace tq1::cli {

namespace {

QString qPath(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string text(const QString& path) { return QFile::encodeName(path).toStdString(); }

void printError(const std::string& message) {
  std::fprintf(stderr, "tq1: error: %s\n", message.c_str());
}

EntrySettings settingsFrom(const CodecParams& params, std::int32_t marker) {
  return {params.tolerance, params.smoothThreshold, params.bits[0], params.bits[1],
          params.bits[2], marker};
}

struct Entries {
  std::vector<ListEntry> list;
  std::string error;  // set when there is nothing to run
};

// The entries of a list file with their stored settings; the command's encode options only
// fill settings that a list cut short in its last record lacks.
Entries listFileEntries(const Command& command) {
  ListReadResult read = readListFile(qPath(command.input), settingsFrom(command.params, kNoMarker));
  if (!read.status.ok()) return {{}, read.status.message().toStdString()};
  return {std::move(read.entries), {}};
}

// The folder's .tq1 files, then its .bmp files, in the order the file system lists them,
// each with the command's encode options as its own settings. Hidden, read-only and special
// files are left out, as the desktop app's list does when it adds a folder.
Entries folderEntries(const Command& command) {
  const QString folder = qPath(command.directory);
  if (!QFileInfo(folder).isDir()) return {{}, "'" + command.directory + "' is not a folder"};
  const QStringList files = scanDirectory(folder, "*.tq1") + scanDirectory(folder, "*.bmp");
  Entries entries;
  for (const QString& file : files) {
    const auto position = static_cast<std::int32_t>(entries.list.size());
    entries.list.push_back({file, settingsFrom(command.params, position)});
  }
  return entries;
}

// Without a terminal to ask on, existing targets are kept: a script must never replace files
// that nobody agreed to replace.
tq1::OverwritePolicy overwritePolicy(const Command& command) {
  switch (command.overwrite) {
    case cli::OverwritePolicy::Always: return tq1::OverwritePolicy::Replace;
    case cli::OverwritePolicy::Never: return tq1::OverwritePolicy::Keep;
    case cli::OverwritePolicy::Ask: break;
  }
  return canAskOnTerminal() ? tq1::OverwritePolicy::Ask : tq1::OverwritePolicy::Keep;
}

class TerminalReporter : public BatchReporter {
 public:
  explicit TerminalReporter(bool quiet) : quiet_(quiet) {}

  bool confirmOverwrite(std::size_t, const QString& target) override {
    return confirmOverwriteOnTerminal(text(target));
  }

  void entryFinished(const EntryResult& result, std::size_t, std::size_t) override {
    const std::string source = text(result.source);
    switch (result.outcome) {
      case EntryOutcome::Converted:
        if (!quiet_) {
          std::printf("%s -> %s: %ju -> %ju bytes\n", source.c_str(), text(result.target).c_str(),
                      std::uintmax_t{result.bytesIn}, std::uintmax_t{result.bytesOut});
        }
        break;
      case EntryOutcome::Skipped:
        if (quiet_) break;
        if (result.skipReason == SkipReason::TargetKept) {
          std::printf("%s: skipped, '%s' exists\n", source.c_str(), text(result.target).c_str());
        } else {
          std::printf("%s: skipped, not a .bmp or .tq1 file\n", source.c_str());
        }
        break;
      case EntryOutcome::Failed:
        std::fflush(stdout);
        printError(result.error);
        break;
    }
  }

 private:
  bool quiet_;
};

void printSummary(const BatchSummary& summary, std::chrono::duration<double> time) {
  std::printf("%zu converted, %zu skipped, %zu failed; %ju bytes in, %ju bytes out; %.2f s\n",
              summary.converted, summary.skipped, summary.failed, std::uintmax_t{summary.bytesIn},
              std::uintmax_t{summary.bytesOut}, time.count());
}

}  // namespace

int runBatch(const Command& command) {
  const auto start = std::chrono::steady_clock::now();
  Entries entries = command.directory.empty() ? listFileEntries(command) : folderEntries(command);
  if (!entries.error.empty()) {
    printError(entries.error);
    return kExitFailure;
  }
  BatchOptions options;
  options.overwrite = overwritePolicy(command);
  options.jobs = command.jobs != 0 ? command.jobs : std::max(1u, std::thread::hardware_concurrency());

  TerminalReporter reporter(command.quiet);
  BatchRun run(std::move(entries.list), qtBatchIo(), options);
  const BatchSummary summary = run.run(reporter);
  if (!command.quiet) printSummary(summary, std::chrono::steady_clock::now() - start);
  return summary.anyFailed() ? kExitFailure : kExitOk;
}

}  // namespace tq1::cli
