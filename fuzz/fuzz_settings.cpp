// libFuzzer program of the settings target; the checks are in FuzzSettings.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzSettings(data, size);
    return 0;
}
