// libFuzzer program of the xls target; the checks are in FuzzXls.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzXls(data, size);
    return 0;
}
