// libFuzzer program of the paths target; the checks are in FuzzPaths.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzPaths(data, size);
    return 0;
}
