#include "BenchData.h"

#include "samplegen/SampleReplay.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>

#ifdef _WIN32
#include <psapi.h>
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace tapeloft::bench {

std::optional<fs::path> replayFolder(const fs::path& dataDir, int count, std::string& error) {
    const fs::path folder = dataDir / ("replays-" + std::to_string(count));
    // The mark lies beside the folder: a file inside would count as one of the folder's files.
    const fs::path done = dataDir / ("replays-" + std::to_string(count) + ".done");
    std::error_code ec;
    if (fs::exists(done, ec) && fs::is_directory(folder, ec)) return folder;

    fs::remove_all(folder, ec); // an unfinished earlier attempt
    fs::create_directories(dataDir, ec);
    std::printf("Generating %d replays in %s ...\n", count, folder.string().c_str());
    std::fflush(stdout);
    const auto written = samples::writeSampleFolder(
        folder, count, 0xBE7C0000u + static_cast<std::uint32_t>(count), {}, false, &error);
    if (static_cast<int>(written.size()) != count) {
        if (error.empty()) error = "could not write the replays of " + folder.string();
        return std::nullopt;
    }
    std::ofstream(done) << count << "\n";
    return folder;
}

std::FILE* openForReading(const fs::path& file) {
#ifdef _WIN32
    return _wfopen(file.c_str(), L"rb");
#else
    return std::fopen(file.c_str(), "rb");
#endif
}

std::uint64_t warmFileCache(const fs::path& folder) {
    std::uint64_t total = 0;
    const auto buffer = std::make_unique<char[]>(1 << 16);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::FILE* file = openForReading(it->path());
        if (!file) continue;
        std::size_t n = 0;
        while ((n = std::fread(buffer.get(), 1, 1 << 16, file)) > 0)
            total += n;
        std::fclose(file);
    }
    return total;
}

std::uint64_t peakMemoryBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
#ifdef __APPLE__
    return static_cast<std::uint64_t>(usage.ru_maxrss); // bytes there
#else
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024; // kilobytes
#endif
#endif
}

namespace {

// The value after the colon of the first line of a /proc file that starts with key.
std::string procValue(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) {
            const auto colon = line.find(':');
            if (colon == std::string::npos) break;
            const auto start = line.find_first_not_of(" \t", colon + 1);
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    return {};
}

} // namespace

Machine describeMachine() {
    Machine machine;
    machine.cores = std::thread::hardware_concurrency();
    machine.cpu = procValue("/proc/cpuinfo", "model name");
    if (machine.cpu.empty()) machine.cpu = "unknown";
    const std::string total = procValue("/proc/meminfo", "MemTotal"); // "24684032 kB"
    if (!total.empty()) machine.memory = std::stoull(total) * 1024;
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32] = {};
    if (const std::tm* utc = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", utc);
    machine.date = text;
    return machine;
}

} // namespace tapeloft::bench
