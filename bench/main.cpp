// tapeloft-bench: measures every figure of docs/performance.md in one run and prints one table.
#include "BenchData.h"
#include "Floor.h"

#include "app/ListExport.h"
#include "app/ListModel.h"
#include "app/ReplayList.h"
#include "app/ReplayScan.h"
#include "base/Language.h"
#include "base/TextCodec.h"
#include "library/FileStamp.h"
#include "library/LiveFolder.h"
#include "replay/FolderScan.h"
#include "samplegen/HostileJson.h"
#include "json/Json.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tapeloft;
using namespace tapeloft::bench;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    bool quick = false;
    bool prepareOnly = false;
    bool scanOnly = false;
    fs::path data = fs::path("build") / "bench" / "data";
    std::vector<int> sizes{1000, 10000, 50000}; // the middle one is the main scan
    int rows = 20000;
    int workers = 0; // 0: sized to the hardware
    int repeats = 3;
    fs::path language = fs::path(TAPELOFT_SOURCE_DIR) / "lang" / "rus.lng";
#ifdef TAPELOFT_PROGRAM
    fs::path program = TAPELOFT_PROGRAM;
#else
    fs::path program;
#endif
#ifdef TAPELOFT_CLI
    fs::path cli = TAPELOFT_CLI;
#else
    fs::path cli;
#endif
    int cacheScale = 100000; // the scale point of the record cache figures
};

// Targets of the figures.
constexpr double kScanOverFloor = 2.0;
constexpr double kPeakMemoryMb = 150.0;
constexpr double kPerFileSpread = 0.20;
constexpr double kSortMs = 30.0;
constexpr double kFilterMs = 50.0;
constexpr double kExportSeconds = 0.3;
constexpr double kExportSpeedUp = 5.0;
constexpr double kXlsxExportSeconds = 1.0;
constexpr double kCsvExportSeconds = 0.1;
constexpr double kStartupOverScan = 1.5;
constexpr double kCollidingKeysOverOrdinary = 5.0;
constexpr double kWarmListOverCold = 0.3;
constexpr double kWarmStartOverCold = 0.5;
constexpr double kLiveLookMs = 50.0;
// The scale folder's replays carry a short tail: the readers never get that far, and the disk is spared.
constexpr std::size_t kScaleTailBytes = 256;

void usage() {
    std::fputs(
        "Usage: tapeloft-bench [--quick] [--prepare] [--scan-only] [--data DIR] [--sizes A,B,C] [--rows N]\n"
        "                      [--workers N] [--repeats N] [--language FILE] [--program FILE] [--cli FILE]\n"
        "                      [--cache-scale N]\n"
        "  --quick     tiny sizes, one repeat: proves that every figure can be measured\n"
        "  --prepare   only generate the replay folders\n"
        "  --scan-only only scan the main folder, --repeats times (for a profiler)\n"
        "  --sizes     three folder sizes, the middle one is the main scan (default 1000,10000,50000)\n"
        "  --rows      rows of the sort, filter and export figures (default 20000)\n"
        "  --workers   scan workers, 0 = one per core, 1 = the plain walk (default 0)\n"
        "  --repeats   runs per figure, the best counts (default 3)\n"
        "  --program   the tapeloft program for the start-up figure (default: the one built alongside)\n"
        "  --cli       the tapeloft-cli program for the record cache figures (default: the one built "
        "alongside)\n"
        "  --cache-scale N  replays of the larger record cache figure (default 100000)\n",
        stderr);
}

std::optional<int> number(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 10'000'000) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quick") {
            options.quick = true;
            options.sizes = {40, 80, 160};
            options.rows = 200;
            options.repeats = 1;
            options.cacheScale = 400;
        } else if (arg == "--scan-only") {
            options.scanOnly = true;
        } else if (arg == "--prepare") {
            options.prepareOnly = true;
        } else if (arg == "--data" && hasValue) {
            options.data = argv[++i];
        } else if (arg == "--program" && hasValue) {
            options.program = argv[++i];
        } else if (arg == "--cli" && hasValue) {
            options.cli = argv[++i];
        } else if (arg == "--cache-scale" && hasValue) {
            const auto value = number(argv[++i]);
            if (!value || *value == 0) return std::nullopt;
            options.cacheScale = *value;
        } else if (arg == "--language" && hasValue) {
            options.language = argv[++i];
        } else if (arg == "--sizes" && hasValue) {
            options.sizes.clear();
            std::string list = argv[++i];
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                const auto value = number(list.substr(start, comma - start).c_str());
                if (!value || *value == 0) return std::nullopt;
                options.sizes.push_back(*value);
                start = comma + 1;
            }
            if (options.sizes.size() != 3) return std::nullopt;
        } else if ((arg == "--rows" || arg == "--workers" || arg == "--repeats") && hasValue) {
            const auto value = number(argv[++i]);
            if (!value) return std::nullopt;
            (arg == "--rows"      ? options.rows
             : arg == "--workers" ? options.workers
                                  : options.repeats) = *value;
        } else {
            return std::nullopt;
        }
    }
    if (options.rows == 0 || options.repeats == 0) return std::nullopt;
    return options;
}

// "10,000"
std::string grouped(long long value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The best of `repeats` runs of f, which returns the seconds of one run.
double bestOf(int repeats, const std::function<double()>& f) {
    double best = f();
    for (int i = 1; i < repeats; ++i)
        best = std::min(best, f());
    return best;
}

struct TableRow {
    std::string figure, measured, target, met;
};

std::string yesNo(bool met) {
    return met ? "yes" : "no";
}

void printTable(const std::vector<TableRow>& rows) {
    std::size_t w[4] = {6, 8, 6, 3};
    for (const auto& row : rows) {
        w[0] = std::max(w[0], row.figure.size());
        w[1] = std::max(w[1], row.measured.size());
        w[2] = std::max(w[2], row.target.size());
        w[3] = std::max(w[3], row.met.size());
    }
    const auto line = [&](const std::string& a, const std::string& b, const std::string& c,
                          const std::string& d) {
        std::printf("| %-*s | %*s | %-*s | %-*s |\n", static_cast<int>(w[0]), a.c_str(),
                    static_cast<int>(w[1]), b.c_str(), static_cast<int>(w[2]), c.c_str(),
                    static_cast<int>(w[3]), d.c_str());
    };
    line("Figure", "Measured", "Target", "Met");
    std::printf("|%s|%s:|%s|%s|\n", std::string(w[0] + 2, '-').c_str(), std::string(w[1] + 1, '-').c_str(),
                std::string(w[2] + 2, '-').c_str(), std::string(w[3] + 2, '-').c_str());
    for (const auto& row : rows)
        line(row.figure, row.measured, row.target, row.met);
}

struct ScanResult {
    double seconds = 0;
    ListModel list;
    CountingPlatform platform;
};

ScanResult scanOnce(const fs::path& folder, const Language& language, int workers) {
    ScanResult result;
    result.list = makeReplayListModel(language, ReplayListKind::Replays);
    const std::u16string text = textFromPath(folder);
    const auto start = Clock::now();
    scanReplayFolder(text, result.list, u"*", kReplayExtension, language, result.platform, workers);
    result.seconds = seconds(Clock::now() - start);
    return result;
}

// One list row as the scan appended it: the cells joined by line feeds, with the row's background.
struct SavedRow {
    std::u16string text;
    RowColours colours;
};

std::vector<SavedRow> shuffledRows(const ListModel& list, int count) {
    std::vector<SavedRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count && list.rowCount() > 0; ++i) {
        const int r = i % list.rowCount();
        SavedRow row;
        for (int c = 0; c < list.columnCount(); ++c) {
            if (c > 0) row.text.push_back(u'\n');
            row.text.append(list.cell(r, c));
        }
        row.colours.background = list.backgroundColour(r, 0);
        rows.push_back(std::move(row));
    }
    // A fixed shuffle: the scan leaves the rows sorted by date, which would flatter the sorts.
    std::mt19937 random(20150612);
    for (std::size_t i = rows.size(); i > 1; --i)
        std::swap(rows[i - 1], rows[random() % i]);
    return rows;
}

ListModel listOf(const std::vector<SavedRow>& rows, const Language& language) {
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    list.beginBulkUpdate();
    for (const auto& row : rows)
        list.appendRow(row.text, row.colours);
    list.endBulkUpdate();
    return list;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "tapeloft-bench: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const auto parsed = parseOptions(argc, argv);
    if (!parsed) {
        usage();
        return 2;
    }
    const Options& options = *parsed;

    // The folders first, in their own run when scripts/bench prepares them, so that generating them
    // does not count towards the peak memory.
    std::vector<fs::path> folders;
    for (const int size : options.sizes) {
        std::string error;
        const auto folder = replayFolder(options.data, size, error);
        if (!folder) return fail(error);
        folders.push_back(*folder);
    }
    std::string scaleError;
    const auto scaleFolder = replayFolder(options.data, options.cacheScale, scaleError, kScaleTailBytes);
    if (!scaleFolder) return fail(scaleError);
    if (options.prepareOnly) return 0;

    const Machine machine = describeMachine();
    const std::string loadAtStart = loadAverage();
    const Language language = Language::load(options.language);
    const int repeats = options.repeats;
    const int mainSize = options.sizes[1];
    const fs::path& mainFolder = folders[1];
    std::vector<TableRow> table;

    if (options.scanOnly) {
        for (int i = 0; i < repeats; ++i)
            std::printf("scan of %s: %.3f s\n", mainFolder.string().c_str(),
                        scanOnce(mainFolder, language, options.workers).seconds);
        return 0;
    }

    std::uint64_t warmed = 0;
    for (const auto& folder : folders)
        warmed += warmFileCache(folder);

    // Scan of the main folder against the floor, their runs taking turns so that both meet the same
    // conditions on a shared machine.
    const FloorPlan plan = planFloor(mainFolder);
    FloorTime floor;
    std::uint64_t peakAfterScan = 0;
    double scanSeconds = 0, scanCpuSeconds = 0;
    int scanRows = 0;
    for (int i = 0; i < repeats; ++i) {
        const FloorTime floorRun = measureFloor(plan);
        if (i == 0 || floorRun.total() < floor.total()) floor = floorRun;

        const double cpuBefore = processCpuSeconds();
        ScanResult scan = scanOnce(mainFolder, language, options.workers);
        const double cpu = processCpuSeconds() - cpuBefore;
        if (i == 0) peakAfterScan = peakMemoryBytes();
        if (i == 0 || scan.seconds < scanSeconds) {
            scanSeconds = scan.seconds;
            scanCpuSeconds = cpu;
        }
        scanRows = scan.list.rowCount();
        if (scan.platform.files != static_cast<int>(plan.files.size()) || scan.platform.messages != 0)
            return fail("the scan did not read every replay of " + mainFolder.string());
    }
    const double plainSeconds = bestOf(repeats, [&] { return scanOnce(mainFolder, language, 1).seconds; });

    const std::string mainCount = grouped(mainSize);
    const std::string workersText =
        options.workers == 0 ? "one worker per core" : std::to_string(options.workers) + " worker(s)";
    if (floor.parserAvailable) {
        table.push_back({"scan " + mainCount + " replays into a list, headless (" + workersText + ")",
                         fixed(scanSeconds, 3) + " s = " + fixed(scanSeconds / floor.total(), 2) + " x floor",
                         "<= " + fixed(kScanOverFloor, 0) + " x floor",
                         yesNo(scanSeconds <= kScanOverFloor * floor.total())});
        table.push_back({"  floor: open, read, close " + fixed(floor.readSeconds, 3) + " s + simdjson " +
                             fixed(floor.parseSeconds, 3) + " s",
                         fixed(floor.total(), 3) + " s", "", ""});
    } else {
        table.push_back({"scan " + mainCount + " replays into a list, headless (" + workersText + ")",
                         fixed(scanSeconds, 3) + " s", "<= 2 x floor", "n/a"});
        table.push_back(
            {"  floor: open, read, close " + fixed(floor.readSeconds, 3) + " s + simdjson (not built in)",
             "n/a", "", ""});
    }
    table.push_back({"  CPU time of that scan, all threads", fixed(scanCpuSeconds, 3) + " s", "", ""});
    table.push_back(
        {"  the same scan as the plain walk (1 worker)",
         fixed(plainSeconds, 3) + " s" +
             (floor.parserAvailable ? " = " + fixed(plainSeconds / floor.total(), 2) + " x floor" : ""),
         "", ""});
    const double peakMb = static_cast<double>(peakAfterScan) / (1024.0 * 1024.0);
    table.push_back({"peak memory after that scan (" + grouped(scanRows) + " rows)", fixed(peakMb, 1) + " MB",
                     "<= " + fixed(kPeakMemoryMb, 0) + " MB",
                     yesNo(peakAfterScan > 0 && peakMb <= kPeakMemoryMb)});

    // Linear growth: mean per-file times of the three sizes. Every round gives each size about the same
    // number of files (the small folders run several times), and the sizes take turns, so that a change
    // in the machine's load reaches all of them alike. (The best of a few runs would favour the small
    // folders: a short run meets a quiet moment more easily.) The floor goes along, to tell growth of
    // ours from growth of the system's costs per file.
    std::vector<double> scanTotal(3), floorTotal(3);
    std::vector<long long> files(3), floorFiles(3);
    const std::vector<FloorPlan> plans{planFloor(folders[0]), plan, planFloor(folders[2])};
    std::vector<ListModel> largest;
    for (int round = 0; round < repeats; ++round) {
        for (std::size_t s = 0; s < 3; ++s) {
            const int runs = std::clamp(options.sizes[2] / options.sizes[s], 1, 100);
            for (int k = 0; k < runs; ++k) {
                const FloorTime run = measureFloor(plans[s]);
                floorTotal[s] += run.parserAvailable ? run.total() : run.readSeconds;
                floorFiles[s] += options.sizes[s];
            }
            for (int k = 0; k < runs; ++k) {
                ScanResult scan = scanOnce(folders[s], language, options.workers);
                if (scan.platform.files != options.sizes[s])
                    return fail("the scan did not read every replay of " + folders[s].string());
                scanTotal[s] += scan.seconds;
                files[s] += options.sizes[s];
                if (s == 2 && largest.empty()) largest.push_back(std::move(scan.list));
            }
        }
    }
    // "a / b / c (spread x %)" of the per-file times; the spread is the largest over the smallest, less 1.
    const auto perFileText = [&](const std::vector<double>& total, const std::vector<long long>& count,
                                 double& spread) {
        std::vector<double> perFile(3);
        for (std::size_t s = 0; s < 3; ++s)
            perFile[s] = total[s] / static_cast<double>(count[s]);
        const auto [low, high] = std::minmax_element(perFile.begin(), perFile.end());
        spread = *high / *low - 1.0;
        std::string text;
        for (std::size_t s = 0; s < 3; ++s)
            text += (s ? " / " : "") + fixed(perFile[s] * 1e6, 1);
        return text + " (spread " + fixed(spread * 100, 1) + " %)";
    };
    double spread = 0, floorSpread = 0;
    const std::string sizesText =
        grouped(options.sizes[0]) + " / " + mainCount + " / " + grouped(options.sizes[2]);
    table.push_back({"scan " + sizesText + ": mean per-file time (us)", perFileText(scanTotal, files, spread),
                     "within " + fixed(kPerFileSpread * 100, 0) + " %", yesNo(spread <= kPerFileSpread)});
    table.push_back(
        {std::string("  the floor's per-file time") + (floor.parserAvailable ? "" : " (reading only)"),
         perFileText(floorTotal, floorFiles, floorSpread), "", ""});

    // Sorting and filtering a list of `rows` rows in a shuffled order.
    const std::vector<SavedRow> rows = shuffledRows(largest.front(), options.rows);
    largest.clear();
    const std::string rowCount = grouped(options.rows);
    struct SortCase {
        const char* what;
        int column;
    };
    for (const SortCase sort :
         {SortCase{"the date column", ColumnDate}, SortCase{"an integer column (credits)", ColumnCredits},
          SortCase{"a text column (vehicle)", 6}}) {
        const double best = bestOf(std::max(repeats, 3), [&] {
            ListModel list = listOf(rows, language);
            const auto start = Clock::now();
            list.sortList(sort.column, SortDirection::Ascending);
            return seconds(Clock::now() - start);
        });
        table.push_back({"sort " + rowCount + " rows by " + sort.what, fixed(best * 1e3, 1) + " ms",
                         "<= " + fixed(kSortMs, 0) + " ms", yesNo(best * 1e3 <= kSortMs)});
    }
    {
        // Typing two letters of a vehicle name into a header filter, then emptying it: the slowest step.
        ListModel probe = listOf(rows, language);
        const std::u16string first(probe.cell(0, 6).substr(0, 2));
        double slowest = 0;
        for (const std::u16string_view text :
             {std::u16string_view(first).substr(0, 1), std::u16string_view(first), std::u16string_view()}) {
            const double best = bestOf(std::max(repeats, 3), [&] {
                ListModel list = listOf(rows, language);
                for (const std::u16string_view before :
                     {std::u16string_view(first).substr(0, 1), std::u16string_view(first)}) {
                    if (before == text) break;
                    list.setFilterText(6, before);
                }
                const auto start = Clock::now();
                list.setFilterText(6, text);
                return seconds(Clock::now() - start);
            });
            slowest = std::max(slowest, best);
        }
        table.push_back({"one filter change over " + rowCount + " rows", fixed(slowest * 1e3, 1) + " ms",
                         "<= " + fixed(kFilterMs, 0) + " ms", yesNo(slowest * 1e3 <= kFilterMs)});
    }

    // Keys made to share one value of an unkeyed hash, against ordinary keys of the same shape.
    {
        const int keys = options.quick ? 2000 : 100000;
        const auto parseSeconds = [&](const std::string& text) {
            bool parsed = true;
            const double best = bestOf(repeats, [&] {
                const auto start = Clock::now();
                parsed = parsed && parseJsonUtf8(text).has_value();
                return seconds(Clock::now() - start);
            });
            return parsed ? best : -1.0;
        };
        const double ordinary = parseSeconds(samples::ordinaryKeysObject(keys));
        const double colliding = parseSeconds(samples::collidingKeysObject(keys));
        if (ordinary < 0 || colliding < 0) return fail("the key objects did not parse");
        table.push_back(
            {"parse " + grouped(keys) + " colliding keys",
             fixed(colliding * 1e3, 1) + " ms = " + fixed(colliding / ordinary, 2) + " x ordinary keys",
             "<= " + fixed(kCollidingKeysOverOrdinary, 0) + " x",
             yesNo(colliding <= kCollidingKeysOverOrdinary * ordinary)});
    }

    // Export, buffered and with one unbuffered write per record.
    {
        const ListModel list = listOf(rows, language);
        const fs::path out = options.data / "export.xls";
        const std::u16string name = textFromPath(out);
        bool written = true;
        const auto exportOnce = [&](XlsWriter::Sink sink) {
            const auto start = Clock::now();
            const ListExportResult result = exportSheetToXls(name, sheetSourceOf(list), sink);
            const double s = seconds(Clock::now() - start);
            written = written && result.written;
            return s;
        };
        const double buffered = bestOf(repeats, [&] { return exportOnce(XlsWriter::Sink::Buffered); });
        const double unbuffered =
            bestOf(std::min(repeats, 2), [&] { return exportOnce(XlsWriter::Sink::Unbuffered); });
        std::error_code ec;
        fs::remove(out, ec);
        if (!written) return fail("the export could not be written to " + out.string());
        table.push_back({"export " + rowCount + " rows", fixed(buffered, 3) + " s",
                         "<= " + fixed(kExportSeconds, 1) + " s", yesNo(buffered <= kExportSeconds)});
        table.push_back(
            {"  the same export, one unbuffered write per record", fixed(unbuffered, 3) + " s", "", ""});
        table.push_back({"  export speed-up over that", fixed(unbuffered / buffered, 1) + " x",
                         ">= " + fixed(kExportSpeedUp, 0) + " x",
                         yesNo(unbuffered / buffered >= kExportSpeedUp)});
    }

    // The typed formats, of what a fresh list shows: columns 1 to 39 in their own order.
    {
        const ListModel list = listOf(rows, language);
        struct FormatCase {
            const char* what;
            const char* file;
            ExportFormat format;
            double target;
        };
        for (const FormatCase& c : {FormatCase{"XLSX", "export.xlsx", ExportFormat::Xlsx, kXlsxExportSeconds},
                                    FormatCase{"CSV", "export.csv", ExportFormat::Csv, kCsvExportSeconds}}) {
            const fs::path out = options.data / c.file;
            const ExportTarget target{textFromPath(out), c.format};
            bool written = true;
            const double best = bestOf(repeats, [&] {
                const auto start = Clock::now();
                written = writeListFile(target, list, ExportedColumns::View).written && written;
                return seconds(Clock::now() - start);
            });
            std::error_code ec;
            fs::remove(out, ec);
            if (!written) return fail("the export could not be written to " + out.string());
            table.push_back({"export " + rowCount + " rows to " + c.what, fixed(best, 3) + " s",
                             "<= " + fixed(c.target, 1) + " s", yesNo(best <= c.target)});
        }
    }

    // Start-up of the program on the main folder, against the headless scan of the same folder.
    {
        const std::string figure =
            "start-up of tapeloft with " + mainCount + " replays to a shown, sorted window";
        const std::string target = "<= " + fixed(kStartupOverScan, 1) + " x scan";
        const fs::path work = options.data / "startup";
        std::string error;
        double best = -1; // none yet
        if (!options.program.empty() && prepareStartupFolder(work, mainFolder, options.language, error) &&
            timeStartup(options.program, work)) { // the first run only loads the program and its libraries
            for (int i = 0; i < repeats; ++i) {
                const auto run = prepareStartupFolder(work, mainFolder, options.language, error)
                                     ? timeStartup(options.program, work)
                                     : std::nullopt;
                if (!run) {
                    best = -1;
                    break;
                }
                best = best < 0 ? *run : std::min(best, *run);
            }
        }
        if (best >= 0)
            table.push_back({figure, fixed(best, 3) + " s = " + fixed(best / scanSeconds, 2) + " x scan",
                             target, yesNo(best <= kStartupOverScan * scanSeconds)});
        else if (options.program.empty())
            table.push_back({figure, "n/a (no program built)", target, "n/a"});
        else
            return fail("the program " + options.program.string() + " could not be started" +
                        (error.empty() ? "" : ": " + error));
    }

    // The record cache: the command-line list, cold against warm, side by side; the cold run is the same
    // folder without the cache. Then the start-up of the program with a warm cache against without one.
    const fs::path cacheFile = options.data / "bench-cache.sqlite";
    const auto removeCache = [&] {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(fs::path(cacheFile) += suffix, ec);
    };
    for (const auto& [folder, count] :
         {std::pair{mainFolder, mainSize}, std::pair{*scaleFolder, options.cacheScale}}) {
        const std::string figure =
            "tapeloft-cli list of " + grouped(count) + " unchanged replays, warm record cache";
        const std::string target = "<= " + fixed(kWarmListOverCold, 1) + " x uncached";
        if (options.cli.empty()) {
            table.push_back({figure, "n/a (no tapeloft-cli built)", target, "n/a"});
            continue;
        }
        removeCache();
        double cold = -1, warm = -1;
        bool ran = timeCliList(options.cli, folder, cacheFile).has_value(); // fills the cache
        for (int i = 0; ran && i < repeats; ++i) {
            const auto uncached = timeCliList(options.cli, folder);
            const auto cached = timeCliList(options.cli, folder, cacheFile);
            ran = uncached && cached;
            if (!ran) break;
            cold = cold < 0 ? *uncached : std::min(cold, *uncached);
            warm = warm < 0 ? *cached : std::min(warm, *cached);
        }
        removeCache();
        if (!ran) return fail("tapeloft-cli " + options.cli.string() + " could not list " + folder.string());
        table.push_back(
            {figure,
             fixed(warm, 3) + " s = " + fixed(warm / cold, 2) + " x uncached " + fixed(cold, 3) + " s",
             target, yesNo(warm <= kWarmListOverCold * cold)});
    }
    {
        const std::string figure = "start-up of tapeloft with " + mainCount + " replays, warm record cache";
        const std::string target = "<= " + fixed(kWarmStartOverCold, 1) + " x uncached start";
        const fs::path work = options.data / "startup";
        std::string error;
        double cold = -1, warm = -1;
        bool ran = !options.program.empty();
        for (int i = 0; ran && i < repeats; ++i) {
            std::optional<double> uncached, cached;
            ran = prepareStartupFolder(work, mainFolder, options.language, error) &&
                  (uncached = timeStartup(options.program, work)) &&
                  prepareStartupFolder(work, mainFolder, options.language, error, true) &&
                  (cached = timeStartup(options.program, work));
            if (!ran) break;
            cold = cold < 0 ? *uncached : std::min(cold, *uncached);
            warm = warm < 0 ? *cached : std::min(warm, *cached);
        }
        if (ran)
            table.push_back(
                {figure,
                 fixed(warm, 3) + " s = " + fixed(warm / cold, 2) + " x uncached " + fixed(cold, 3) + " s",
                 target, yesNo(warm <= kWarmStartOverCold * cold)});
        else if (options.program.empty())
            table.push_back({figure, "n/a (no program built)", target, "n/a"});
        else
            return fail("the program could not be started with a record cache" +
                        (error.empty() ? "" : ": " + error));
    }

    // A look at the main folder for changes when nothing changed: a listing and a stamp per file.
    {
        ExtractingRecordSource reader(language);
        LiveFolder live(textFromPath(mainFolder), reader);
        std::unordered_map<std::u16string, FileStamp> stamps;
        for (const std::u16string& path :
             listReplayFolder(textFromPath(mainFolder), u"*", kReplayExtension).files)
            if (const auto stamp = stampOf(pathFromText(path))) stamps.emplace(path, *stamp);
        live.reset(std::move(stamps));
        bool quiet = true;
        const double best = bestOf(std::max(repeats, 3), [&] {
            const auto start = Clock::now();
            quiet = quiet && live.poll(Clock::now()).empty();
            return seconds(Clock::now() - start);
        });
        if (!quiet) return fail("an unchanged folder was reported as changed");
        table.push_back({"a look for changes in " + mainCount + " unchanged replays",
                         fixed(best * 1e3, 1) + " ms", "<= " + fixed(kLiveLookMs, 0) + " ms",
                         yesNo(best * 1e3 <= kLiveLookMs)});
    }

    std::printf("\nTapeloft benchmark, %s%s\n", machine.date.c_str(),
                options.quick ? " (quick run, tiny sizes)" : "");
    std::printf("Machine: %u cores, %s, %s MB memory; load average %s at the start, %s at the end\n",
                machine.cores, machine.cpu.c_str(),
                grouped(static_cast<long long>(machine.memory >> 20)).c_str(),
                loadAtStart.empty() ? "n/a" : loadAtStart.c_str(),
                loadAverage().empty() ? "n/a" : loadAverage().c_str());
    std::printf("%s MB read to warm the file cache; best of %d run(s) per figure\n\n",
                grouped(static_cast<long long>(warmed >> 20)).c_str(), repeats);
    printTable(table);
    if (floor.parseErrors > 0 || plan.blocksNotInFile > 0)
        std::printf("\nNote: %d floor parse error(s), %d block(s) not found as one run of the file\n",
                    floor.parseErrors, plan.blocksNotInFile);
    return 0;
}
