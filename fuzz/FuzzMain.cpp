// The libFuzzer program for one entry of FuzzEntries.h, named at build time: a broken
// promise aborts, so that libFuzzer keeps the input that shows it.
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzEntries.h"

namespace {

tq1::fuzz::Entry chosenEntry() {
  for (const auto& named : tq1::fuzz::kEntries) {
    if (named.name == std::string_view(TQ1_FUZZ_ENTRY_NAME)) return named.entry;
  }
  std::fprintf(stderr, "tq1 fuzz: no entry named %s\n", TQ1_FUZZ_ENTRY_NAME);
  std::abort();
}

}  // namespace

// Qt's image readers warn about every damaged file they meet; millions of such lines would
// only slow the search and bury the one report that matters.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tq1::fuzz::Entry entry = chosenEntry();
  const std::string problem = entry({data, size});
  if (!problem.empty()) {
    std::fprintf(stderr, "tq1 fuzz (%s): %s\n", TQ1_FUZZ_ENTRY_NAME, problem.c_str());
    std::abort();
  }
  return 0;
}
