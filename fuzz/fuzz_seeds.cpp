// fuzz_seeds OUTDIR [REPLAYDIR...]: writes the starting corpus of every fuzz target below OUTDIR
// (OUTDIR/json, OUTDIR/replay, ..., one folder per target): the built-in seeds, and for every replay file
// below each REPLAYDIR the file itself and its two JSON blocks.
#include "FuzzEntries.h"

#include "replay/ReplayReader.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;
using namespace tapeloft;

namespace {

bool writeFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: fuzz_seeds OUTDIR [REPLAYDIR...]\n";
        return 2;
    }
    const fs::path out(argv[1]);
    int written = 0;
    for (const auto target : fuzz::kAllTargets) {
        const fs::path folder = out / fuzz::targetName(target);
        std::error_code ec;
        fs::create_directories(folder, ec);
        for (const auto& seed : fuzz::builtInSeeds(target)) {
            if (!writeFile(folder / seed.name, seed.bytes)) {
                std::cerr << "fuzz_seeds: cannot write " << (folder / seed.name).string() << "\n";
                return 1;
            }
            ++written;
        }
    }
    for (int i = 2; i < argc; ++i) {
        std::error_code ec;
        int n = 0;
        for (fs::recursive_directory_iterator it(argv[i], ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (!it->is_regular_file(kind)) continue;
            const std::string name = "arg" + std::to_string(i - 1) + "-" + std::to_string(n++);
            std::error_code copied;
            fs::copy_file(it->path(), out / "replay" / name, fs::copy_options::overwrite_existing, copied);
            if (copied) continue;
            ++written;
            const ReplayBlocks blocks = readReplayBlocks(it->path(), HeaderTest::Scan);
            if (blocks.status != ReplayStatus::Opened) continue;
            written += writeFile(out / "json" / (name + "-description"), blocks.descriptionUtf8);
            if (!blocks.resultsUtf8.empty())
                written += writeFile(out / "json" / (name + "-results"), blocks.resultsUtf8);
        }
    }
    std::cout << "fuzz_seeds: " << written << " seed files below " << out.string() << "\n";
    return 0;
}
