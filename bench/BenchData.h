#pragma once

#include "app/Platform.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the benchmark needs around the measurements: the replay folders, the machine and a headless platform.
namespace tapeloft::bench {

// The folder of `count` sample replays (default sizes, fixed seed) below dataDir, generated on first use.
// A folder is reused only when a previous run finished writing it. nullopt, with the reason in error,
// when it cannot be written.
std::optional<std::filesystem::path> replayFolder(const std::filesystem::path& dataDir, int count,
                                                  std::string& error, std::size_t tailBytes);
std::optional<std::filesystem::path> replayFolder(const std::filesystem::path& dataDir, int count,
                                                  std::string& error);

// The file opened for binary reading, nullptr when it cannot be.
std::FILE* openForReading(const std::filesystem::path& file);

// Reads every file below the folder once, so that the measurements start from a warm file cache.
// Returns the number of bytes read.
std::uint64_t warmFileCache(const std::filesystem::path& folder);

// Peak resident memory of the process so far, in bytes; 0 where the system does not tell.
std::uint64_t peakMemoryBytes();

// CPU time the process has used so far, all threads, in seconds; 0 where the system does not tell.
double processCpuSeconds();

// The one-minute load average ("1.52"), or empty where the system does not tell.
std::string loadAverage();

// A working folder for the program (below `work`) whose Settings.ini names `replays` as the replay folder
// and an empty favourites folder, with the language file beside it. False, with error set, on failure.
// keepCache leaves the record cache of an earlier start in place; otherwise the start reads every replay.
bool prepareStartupFolder(const std::filesystem::path& work, const std::filesystem::path& replays,
                          const std::filesystem::path& languageFile, std::string& error,
                          bool keepCache = false);

// Runs the program in that folder on the offscreen platform until its main window is shown and sorted,
// and returns the seconds from start to exit; nullopt when it could not be run or failed.
std::optional<double> timeStartup(const std::filesystem::path& program, const std::filesystem::path& work);

// Runs `tapeloft-cli list` over the folder, with the record cache when one is named, its rows thrown away;
// the seconds from start to exit, nullopt when it failed.
std::optional<double> timeCliList(const std::filesystem::path& cli, const std::filesystem::path& folder,
                                  const std::filesystem::path& cache = {});

struct Machine {
    unsigned cores = 0;
    std::string cpu;          // "unknown" where the system does not tell
    std::uint64_t memory = 0; // bytes, 0 when unknown
    std::string date;         // UTC, "yyyy-mm-dd hh:mm"
};
Machine describeMachine();

// A platform without windows that only counts what the scan asks of it.
class CountingPlatform final : public WindowlessPlatform {
public:
    int messages = 0;
    int files = 0;
    int events = 0;
    int range = 0;

    void messageBox(std::u16string_view, std::u16string_view) override { ++messages; }
    void progressSetRange(int maximum) override { range = maximum; }
    void progressSetFile(std::u16string_view) override { ++files; }
    void processOnePendingEvent() override { ++events; }
};

} // namespace tapeloft::bench
