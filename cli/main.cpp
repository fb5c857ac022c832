// The tq1 command-line tool: encode, decode, inspect and batch-convert images.
//
// Built twice from the same sources: `tq1`, free of Qt, converts plain bitmaps and .tq1 files
// and starts at once; `tq1-qt` also reads every image format Qt reads and list files. The
// light program hands any command it cannot do itself to the full one.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#endif

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "codec/LargeBuffer.h"
#ifdef TQ1_LIGHT
#include "cli/FullProgram.h"
#endif

namespace {

// The grids and the file read have memory of their own (codec/LargeBuffer.h); the lists that
// grow as a conversion goes (its blocks, tokens and the file written) stay on the heap.
//
// Those lists, a few megabytes, are each touched once page by page: on 4 KiB pages that is
// a thousand page faults, on 2 MiB pages a handful. Where the system gives huge pages only to
// memory that asks for them, the heap asks: it grows in one large step up front (address
// space only), and that range is advised.
void keepLargeBuffersOnTheHeap() {
#if defined(__GLIBC__)
  tq1::keepGrowingBuffersOnTheHeap();
#if defined(MADV_HUGEPAGE) && __GLIBC_PREREQ(2, 33)  // mallinfo2
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  constexpr std::size_t kHeldSlack = 4096;  // room for the allocator's own headers
  mallopt(M_TOP_PAD, 64 << 20);
  // Just more than the heap has spare, so that it grows by the pad.
  const std::size_t request = mallinfo2().keepcost + 1;
  void* grow = std::malloc(request);
  if (grow == nullptr) return;
  // The allocator writes the size of the remaining free space right behind the block. A 2 MiB
  // range that already has a page in it is served in small pages from then on, so the advice
  // starts behind that write.
  const std::uintptr_t written = reinterpret_cast<std::uintptr_t>(grow) + request + 64;
  const auto begin = (written + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
  if (end <= begin) {
    std::free(grow);
    return;
  }
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  // The heap below the advised range is then held by one block that is never touched (it
  // takes address space, not memory), so that the buffers allocated from now on lie in the
  // range. The block is kept to the end; the empty asm keeps the compiler from dropping it.
  std::free(grow);
  const std::size_t below = begin - reinterpret_cast<std::uintptr_t>(grow);
  if (below > kHeldSlack) {
    void* held = std::malloc(below - kHeldSlack);
    asm volatile("" : : "r"(held) : "memory");
  }
#endif
#endif
}

int dispatch(const tq1::cli::Command& command) {
  using tq1::cli::CommandKind;
  switch (command.kind) {
    case CommandKind::Help:
      std::fputs(tq1::cli::usageText().c_str(), stdout);
      return tq1::cli::kExitOk;
    case CommandKind::Version:
      std::printf("tq1 %s\n", TQ1_VERSION);
      return tq1::cli::kExitOk;
    case CommandKind::Encode: return tq1::cli::runEncode(command);
    case CommandKind::Decode: return tq1::cli::runDecode(command);
    case CommandKind::Info: return tq1::cli::runInfo(command);
    case CommandKind::Batch:
#ifdef TQ1_LIGHT
      return tq1::cli::kNeedsFullProgram;
#else
      return tq1::cli::runBatch(command);
#endif
  }
  return tq1::cli::kExitUsage;
}

// Text written with stdio (info, help) is checked once at the end: a reader that went away or
// a full disk must not end in a success.
int checkStandardOutput(int status) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  std::fprintf(stderr, "tq1: error: standard output: write failed: %s\n",
               errno == EPIPE ? "the reading end of the pipe was closed" : std::strerror(errno));
  return tq1::cli::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file size limit (ulimit -f) then fails with EFBIG, which the savers
  // report and clean up after, instead of killing the program halfway through a save.
  std::signal(SIGXFSZ, SIG_IGN);
  // Likewise a write into a pipe whose reader went away fails with EPIPE, which is reported
  // with status 1, instead of ending the program silently halfway through the output.
  std::signal(SIGPIPE, SIG_IGN);
  keepLargeBuffersOnTheHeap();
  tq1::mapBuffersOfOneConversion();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const tq1::cli::ParseResult parsed = tq1::cli::parseCommandLine(args);
  if (!parsed.command) {
    std::fprintf(stderr, "tq1: %s\nTry 'tq1 --help'.\n", parsed.error.c_str());
    return tq1::cli::kExitUsage;
  }
  const int status = dispatch(*parsed.command);
#ifdef TQ1_LIGHT
  if (status == tq1::cli::kNeedsFullProgram) return tq1::cli::runFullProgram(argv);
#endif
  return checkStandardOutput(status == tq1::cli::kNeedsFullProgram ? tq1::cli::kExitFailure : status);
}
