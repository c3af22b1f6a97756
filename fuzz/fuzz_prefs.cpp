// libFuzzer program of the prefs target; the checks are in FuzzEntries.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzPrefs(data, size);
    return 0;
}
