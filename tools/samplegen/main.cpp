// tapeloft-sample: writes a folder of realistic replay files for trying the program and for tests.
#include "samplegen/SampleReplay.h"

#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tapeloft::samples::ResultsLayout;
using tapeloft::samples::SampleOptions;

constexpr int usageError = 2;

void printHelp(std::ostream& out) {
    out << "Usage: tapeloft-sample OUTDIR --count N --seed S [options]\n"
           "\n"
           "Writes N replay files below OUTDIR, spread over a few nested folders, and prints how many it\n"
           "wrote. The same seed always gives the same files. Existing files are never overwritten.\n"
           "\n"
           "Options:\n"
           "  --count N                 number of files, 0..1000000 (required)\n"
           "  --seed S                  seed, 0..4294967295 (required)\n"
           "  --layout current|earlier  results layout and client version (default current)\n"
           "  --no-results              leave the results block out\n"
           "  --header-rejected         write headers that fail both header tests\n"
           "  --description-unreadable  cut the description short so that it does not parse\n"
           "  --tail-bytes B            random bytes after the blocks, 0..67108864 (default 32768)\n"
           "  --vehicles V              participants per battle, 2..100 (default 30)\n"
           "  --flat                    put every file directly into OUTDIR\n"
           "  --progress                the player wins more and deals more damage in later battles\n"
           "                            and plays a few vehicles most\n"
           "  --help                    show this text\n";
}

std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t maximum) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > maximum)
        return std::nullopt;
    return value;
}

int usage(const std::string& message) {
    std::cerr << "tapeloft-sample: " << message << " (see tapeloft-sample --help)\n";
    return usageError;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> outDir;
    std::optional<std::uint64_t> count;
    std::optional<std::uint64_t> seed;
    std::optional<std::string> layout;
    SampleOptions options;
    bool noResults = false;
    bool flat = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            printHelp(std::cout);
            return 0;
        }
        const auto valueOf = [&](std::uint64_t maximum, const char* what) -> std::optional<std::uint64_t> {
            if (i + 1 >= args.size()) {
                usage(arg + " needs " + what);
                return std::nullopt;
            }
            const auto value = parseNumber(args[++i], maximum);
            if (!value) usage("bad value '" + args[i] + "' for " + arg + ": expected " + what);
            return value;
        };
        if (arg == "--count") {
            if (!(count = valueOf(1'000'000, "a number from 0 to 1000000"))) return usageError;
        } else if (arg == "--seed") {
            if (!(seed = valueOf(0xFFFFFFFFu, "a number from 0 to 4294967295"))) return usageError;
        } else if (arg == "--tail-bytes") {
            const auto value = valueOf(64 * 1024 * 1024, "a number from 0 to 67108864");
            if (!value) return usageError;
            options.tailBytes = static_cast<std::size_t>(*value);
        } else if (arg == "--vehicles") {
            const auto value = valueOf(100, "a number from 2 to 100");
            if (!value) return usageError;
            if (*value < 2)
                return usage("bad value '" + args[i] + "' for --vehicles: expected a number from 2 to 100");
            options.vehicleCount = static_cast<int>(*value);
        } else if (arg == "--layout") {
            if (i + 1 >= args.size()) return usage("--layout needs current or earlier");
            layout = args[++i];
            if (*layout != "current" && *layout != "earlier")
                return usage("bad value '" + *layout + "' for --layout: expected current or earlier");
        } else if (arg == "--no-results") {
            noResults = true;
        } else if (arg == "--header-rejected") {
            options.headerRejected = true;
        } else if (arg == "--description-unreadable") {
            options.descriptionUnreadable = true;
        } else if (arg == "--flat") {
            flat = true;
        } else if (arg == "--progress") {
            options.progress = true;
        } else if (arg.starts_with("-") && arg != "-") {
            return usage("unknown option '" + arg + "'");
        } else if (outDir) {
            return usage("more than one output folder given ('" + *outDir + "' and '" + arg + "')");
        } else {
            outDir = arg;
        }
    }
    if (!outDir) return usage("no output folder given");
    if (!count) return usage("--count is required");
    if (!seed) return usage("--seed is required");
    if (noResults && layout) return usage("--no-results and --layout exclude each other");
    options.layout = noResults                        ? ResultsLayout::None
                     : layout && *layout == "earlier" ? ResultsLayout::Earlier
                                                      : ResultsLayout::Current;

    // The folder name arrives in the system's narrow encoding; path takes it in that encoding too.
    const std::filesystem::path folder(*outDir);
    std::string error;
    const auto written = tapeloft::samples::writeSampleFolder(
        folder, static_cast<int>(*count), static_cast<std::uint32_t>(*seed), options, flat, &error);
    if (!error.empty()) {
        std::cerr << "tapeloft-sample: " << error << "; nothing was written\n";
        return 1;
    }
    std::cout << "wrote " << written.size() << " replay file" << (written.size() == 1 ? "" : "s") << " below "
              << *outDir << "\n";
    return 0;
}
