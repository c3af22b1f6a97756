#include "BenchData.h"

#include "samplegen/SampleReplay.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>

#ifdef _WIN32
// <psapi.h> needs the types of <windows.h> first; the blank line keeps clang-format from sorting them.
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace tapeloft::bench {

std::optional<fs::path> replayFolder(const fs::path& dataDir, int count, std::string& error) {
    return replayFolder(dataDir, count, error, samples::SampleOptions{}.tailBytes);
}

std::optional<fs::path> replayFolder(const fs::path& dataDir, int count, std::string& error,
                                     std::size_t tailBytes) {
    const fs::path folder = dataDir / ("replays-" + std::to_string(count));
    // The mark lies beside the folder: a file inside would count as one of the folder's files.
    const fs::path done = dataDir / ("replays-" + std::to_string(count) + ".done");
    std::error_code ec;
    if (fs::exists(done, ec) && fs::is_directory(folder, ec)) return folder;

    fs::remove_all(folder, ec); // an unfinished earlier attempt
    fs::create_directories(dataDir, ec);
    std::printf("Generating %d replays in %s ...\n", count, folder.string().c_str());
    std::fflush(stdout);
    samples::SampleOptions options;
    options.tailBytes = tailBytes;
    const auto written = samples::writeSampleFolder(
        folder, count, 0xBE7C0000u + static_cast<std::uint32_t>(count), options, false, &error);
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

double processCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * 1e-7;
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string first;
    in >> first;
    return first;
}

namespace {

// A path in quotes for the system's command interpreter.
std::string quoted(const fs::path& path) {
#ifdef _WIN32
    return "\"" + path.string() + "\"";
#else
    std::string text = "'";
    for (const char c : path.string())
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
#endif
}

} // namespace

bool prepareStartupFolder(const fs::path& work, const fs::path& replays, const fs::path& languageFile,
                          std::string& error, bool keepCache) {
    std::error_code ec;
    fs::create_directories(work / "favourites", ec);
    fs::remove(work / "ColumnOrder.Dat", ec);
    if (!keepCache)
        for (const char* name : {"RecordCache.sqlite", "RecordCache.sqlite-wal", "RecordCache.sqlite-shm"})
            fs::remove(work / name, ec);
    if (!fs::copy_file(languageFile, work / "rus.lng", fs::copy_options::overwrite_existing, ec)) {
        error = "cannot copy " + languageFile.string() + " to " + work.string();
        return false;
    }
    // As the program writes it: UTF-8 with a byte order mark, CR LF line ends.
    const auto text = [](const fs::path& path) {
        const std::u8string bytes = fs::absolute(path).u8string();
        return std::string(bytes.begin(), bytes.end());
    };
    std::ofstream settings(work / "Settings.ini", std::ios::binary | std::ios::trunc);
    settings << "\xEF\xBB\xBF\r\n[filepath]\r\nLang = rus.lng\r\npath_repl = " << text(replays)
             << "\r\npath_izbr = " << text(work / "favourites") << "\r\n";
    if (!settings) {
        error = "cannot write " + (work / "Settings.ini").string();
        return false;
    }
    return true;
}

namespace {

std::optional<double> timeCommand(const std::string& command) {
#ifdef _WIN32
    // cmd /c takes away the first and the last quote of a line that starts with one, which split the quoted
    // path of the program from its arguments: a pair of its own around the line goes instead.
    const std::string line = "\"" + command + "\"";
#else
    const std::string& line = command;
#endif
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(line.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) return std::nullopt;
    return seconds;
}

} // namespace

std::optional<double> timeCliList(const fs::path& cli, const fs::path& folder, const fs::path& cache) {
    std::error_code ec;
    if (!fs::is_regular_file(cli, ec)) return std::nullopt;
#ifdef _WIN32
    const char* const nothing = " >NUL 2>&1";
#else
    const char* const nothing = " >/dev/null 2>&1";
#endif
    const std::string cacheOption = cache.empty() ? "" : " --cache " + quoted(cache);
    return timeCommand(quoted(cli) + " list" + cacheOption + " " + quoted(folder) + nothing);
}

std::optional<double> timeStartup(const fs::path& program, const fs::path& work) {
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) return std::nullopt;
#ifdef _WIN32
    const std::string command = "cd /d " + quoted(work) +
                                " && set QT_QPA_PLATFORM=offscreen&& set TAPELOFT_EXIT_AFTER_START=1&& " +
                                quoted(program) + " >NUL 2>&1";
#else
    const std::string command = "cd " + quoted(work) +
                                " && QT_QPA_PLATFORM=offscreen TAPELOFT_EXIT_AFTER_START=1 exec " +
                                quoted(program) + " >/dev/null 2>&1";
#endif
    return timeCommand(command);
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
