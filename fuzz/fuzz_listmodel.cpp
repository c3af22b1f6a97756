// libFuzzer program of the listmodel target; the checks are in FuzzListModel.cpp.
#include "FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tapeloft::fuzz::fuzzListModel(data, size);
    return 0;
}
