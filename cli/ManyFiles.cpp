// Runs one encode or decode per input on a few worker threads. Each file reports its own
// failure and -v line as it finishes; what is skipped and the summary are told here.
#include "cli/ManyFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/Commands.h"
#include "cli/OtherFormats.h"
#include "cli/OutputFormat.h"
#include "cli/TerminalQuestion.h"

namespace tq1::cli {

namespace {

namespace fs = std::filesystem;

enum class Plan { Convert, Keep, Clash };

struct Task {
  std::string input;
  std::string output;
  Plan plan = Plan::Convert;
  std::string clashesWith;  // for Clash: the earlier input with the same output
  int status = kExitOk;
};

std::uintmax_t sizeOf(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : size;
}

// Two names of one file lead to the same key.
std::string fileKey(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path : canonical.string();
}

// An existing output is replaced when allowed, asked about on a terminal, else kept.
Plan planFor(const std::string& output, OverwritePolicy policy) {
  std::error_code error;
  if (!fs::exists(output, error)) return Plan::Convert;
  switch (policy) {
    case OverwritePolicy::Always: return Plan::Convert;
    case OverwritePolicy::Never: return Plan::Keep;
    case OverwritePolicy::Ask: break;
  }
  return canAskOnTerminal() && confirmOverwriteOnTerminal(output) ? Plan::Convert : Plan::Keep;
}

// The outputs, and which of them to write. Outputs are decided, and questions asked, before
// any file is converted: the workers never wait for a person. Two inputs with one output
// (a.bmp and a.png both give a.tq1) would overwrite each other's work; the later one is not
// converted.
std::vector<Task> planTasks(const Command& command) {
  std::vector<Task> tasks;
  std::map<std::string, std::string> firstWithOutput;
  for (const std::string& input : command.inputs) {
    Task task;
    task.input = input;
    task.output = defaultOutputName(input, command.kind, command.format);
    const auto [earlier, isNew] = firstWithOutput.emplace(fileKey(task.output), input);
    if (!isNew) {
      task.plan = Plan::Clash;
      task.clashesWith = earlier->second;
    } else {
      task.plan = planFor(task.output, command.overwrite);
    }
    tasks.push_back(std::move(task));
  }
  return tasks;
}

int convertOne(const Command& command, const Task& task) {
  Command one = command;
  one.input = task.input;
  one.inputs = {task.input};
  one.output = task.output;
  one.overwrite = OverwritePolicy::Always;  // decided when the tasks were planned
  one.oneOfMany = true;
  try {
    const int status = command.kind == CommandKind::Encode ? runEncode(one) : runDecode(one);
    return status == kExitOk ? kExitOk : kExitFailure;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tq1: error: %s: %s\n", task.input.c_str(), error.what());
    return kExitFailure;
  }
}

void runTasks(const Command& command, std::vector<Task>& tasks) {
  const auto toConvert = static_cast<unsigned>(
      std::count_if(tasks.begin(), tasks.end(), [](const Task& t) { return t.plan == Plan::Convert; }));
  const unsigned jobs = command.jobs != 0 ? command.jobs : std::max(1u, std::thread::hardware_concurrency());
  const unsigned workers = std::min(jobs, std::max(1u, toConvert));
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < tasks.size(); i = next++) {
      if (tasks[i].plan == Plan::Convert) tasks[i].status = convertOne(command, tasks[i]);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned w = 1; w < workers; ++w) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
}

void reportUnconverted(const Command& command, std::vector<Task>& tasks) {
  for (Task& task : tasks) {
    if (task.plan == Plan::Keep && !command.quiet) {
      std::fprintf(stderr, "%s: skipped, '%s' exists\n", task.input.c_str(), task.output.c_str());
    } else if (task.plan == Plan::Clash) {
      std::fprintf(stderr, "tq1: error: %s: not converted: its output '%s' is also the output of '%s'\n",
                   task.input.c_str(), task.output.c_str(), task.clashesWith.c_str());
      task.status = kExitFailure;
    }
  }
}

void printSummary(const std::vector<Task>& tasks, std::chrono::duration<double> time) {
  std::size_t converted = 0, skipped = 0, failed = 0;
  std::uintmax_t bytesIn = 0, bytesOut = 0;
  for (const Task& task : tasks) {
    if (task.status != kExitOk) {
      ++failed;
    } else if (task.plan == Plan::Keep) {
      ++skipped;
    } else {
      ++converted;
      bytesIn += sizeOf(task.input);
      bytesOut += sizeOf(task.output);
    }
  }
  std::fprintf(stderr, "%zu converted, %zu skipped, %zu failed; %ju bytes in, %ju bytes out; %.2f s\n",
               converted, skipped, failed, bytesIn, bytesOut, time.count());
}

}  // namespace

int runManyFiles(const Command& command) {
  const auto start = std::chrono::steady_clock::now();
  // The full program reads every image format; one start of it serves every file.
  if (command.kind == CommandKind::Encode && !hasOtherFormats()) return kNeedsFullProgram;
  if (command.kind == CommandKind::Decode) {
    Command first = command;
    first.output = defaultOutputName(command.inputs.front(), command.kind, command.format);
    if (const FormatChoice choice = chooseOutputFormat(first); choice.status != kExitOk) return choice.status;
  }
  std::vector<Task> tasks = planTasks(command);
  reportUnconverted(command, tasks);
  runTasks(command, tasks);
  if (!command.quiet) printSummary(tasks, std::chrono::steady_clock::now() - start);
  const bool anyFailed =
      std::any_of(tasks.begin(), tasks.end(), [](const Task& t) { return t.status != kExitOk; });
  return anyFailed ? kExitFailure : kExitOk;
}

}  // namespace tq1::cli
