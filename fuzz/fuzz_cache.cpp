// libFuzzer program of the cache target; the checks are in FuzzCache.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzCache(data, size);
    return 0;
}
