// Whether the codec takes its SSE2 paths. Each has a plain twin that gives the same results;
// defining TQ1_SCALAR_ONLY (the CMake option of that name) builds the twins instead, so that
// the tests check them as well.
#pragma once

#if defined(__SSE2__) && !defined(TQ1_SCALAR_ONLY)
#define TQ1_USE_SSE2 1
#include <emmintrin.h>
#endif
