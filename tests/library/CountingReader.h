#pragma once

#include "base/Language.h"
#include "replay/FolderScan.h"

#include <atomic>
#include <string>

namespace tapeloft::test {

// Extracts as a scan does and counts the files it opens, from any thread.
class CountingReader final : public RecordSource {
public:
    explicit CountingReader(const Language& language) : extracting_(language) {}
    BattleRecord record(const std::u16string& path) const override {
        ++reads;
        return extracting_.record(path);
    }
    mutable std::atomic<int> reads{0};

private:
    ExtractingRecordSource extracting_;
};

} // namespace tapeloft::test
