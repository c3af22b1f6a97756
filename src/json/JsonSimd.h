#pragma once

// TAPELOFT_JSON_NO_SSE2 builds the portable code paths on x86 too, to test them.
#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) &&                    \
    !defined(TAPELOFT_JSON_NO_SSE2)
#include <emmintrin.h>
#define TAPELOFT_JSON_SSE2 1
#endif
