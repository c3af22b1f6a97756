// libFuzzer program of the json target; the checks are in FuzzEntries.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzJson(data, size);
    return 0;
}
