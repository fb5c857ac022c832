// The encoder's choice between one thread and two for the passes that split.
#include "EncoderThreads.h"

#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace tq1 {

unsigned usableProcessors() {
#if defined(__linux__)
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    return static_cast<unsigned>(CPU_COUNT(&allowed));
  }
#endif
  const unsigned reported = std::thread::hardware_concurrency();
  return reported == 0 ? 1 : reported;
}

bool encodeOnTwoThreads(const CodecContext& context, std::uint64_t work, std::uint64_t minWork) {
  switch (context.encodeThreads) {
    case EncodeThreads::One:
      return false;
    case EncodeThreads::Two:
      return true;
    case EncodeThreads::Auto:
      break;
  }
  // The processor count is asked only for passes long enough to use it.
  return work >= minWork && usableProcessors() > 1;
}

}  // namespace tq1
