#include "cli/Cli.h"

#include "app/ListExport.h"
#include "app/ListModel.h"
#include "app/Platform.h"
#include "app/ReplayList.h"
#include "app/ReplayScan.h"
#include "base/Language.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "cli/JsonOutput.h"
#include "details/BattleDetails.h"
#include "library/LiveFolder.h"
#include "library/RecordCache.h"
#include "replay/BattleRecord.h"
#include "replay/FolderScan.h"
#include "replay/RecordColumns.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tapeloft::cli {

namespace {

constexpr std::string_view kHelp =
    "Usage: tapeloft-cli COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Reads Ironvale replays (*.ivlreplay) the way Tapeloft does, without a window.\n"
    "\n"
    "Commands:\n"
    "  list [--lang FILE] [--cache FILE] [--no-cache] FOLDER\n"
    "      Scans FOLDER and everything below it, as the program's folder scan does, and writes one\n"
    "      JSON line per list row, newest first: {\"cells\": [40 strings], \"tint\": true|false}.\n"
    "      \"tint\" is true for replays without readable results.\n"
    "  export [--lang FILE] [--cache FILE] [--no-cache] FOLDER OUT\n"
    "      Scans FOLDER as list does and writes the list to OUT, in the format OUT's name asks for:\n"
    "      a name ending in \".xlsx\" or \".csv\" (any letter case) gives an Excel workbook with typed\n"
    "      cells or UTF-8 comma-separated values of every row and columns 1 to 39; any other name an\n"
    "      Excel workbook (.xls) of columns 0 to 32, with \".xls\" appended when the name does not end\n"
    "      in it. Prints the name of the file written.\n"
    "  watch [--lang FILE] [--cache FILE] FOLDER\n"
    "      Writes the rows of FOLDER as list does, then follows the folder until interrupted (Ctrl+C):\n"
    "      one JSON line per change, once the file has stopped changing for a second:\n"
    "        {\"event\": \"added\", \"cells\": [...], \"tint\": ...}, the same with \"changed\",\n"
    "        {\"event\": \"removed\", \"path\": \"...\"}. Exits with 0 when interrupted.\n"
    "  details [--lang FILE] [--settings FILE] REPLAY\n"
    "      Reads REPLAY as the battle details window does and writes one JSON object on one line,\n"
    "      with the keys in this order:\n"
    "        status, playerText, mapText, nationText, vehicleText, dateText, priceKey, hasResults,\n"
    "        resultText, fragsText, xpText, creditsText, repairText, damageReceivedText, shotsText,\n"
    "        shellPriceText, ammoCostText, netCreditsText, team1Rows, team2Rows, achievements\n"
    "      \"status\" is \"Opened\", \"NotOpened\" (the file cannot be opened) or \"HeaderRejected\"\n"
    "      (the window would not open it: its first byte is not 0x12, or its description cannot\n"
    "      be read; the window reports both the same way). \"hasResults\" is true or false.\n"
    "      resultText ... netCreditsText are null where the window keeps its initial text.\n"
    "      team1Rows and team2Rows are arrays of {\"name\", \"clan\", \"vehicle\", \"fragsText\",\n"
    "      \"alive\" (a number), \"isPlayer\" (true|false)}; \"achievements\" is an array of names.\n"
    "      Unless \"status\" is \"Opened\", the texts are empty, the nullable ones null, \"hasResults\"\n"
    "      false and the arrays empty. The shell price is read from the settings file, never written.\n"
    "  help, --help\n"
    "      Shows this text.\n"
    "\n"
    "Options:\n"
    "  --lang FILE       language file for names and messages; default: the \"Lang\" setting of\n"
    "                    the settings file, else rus.lng\n"
    "  --settings FILE   settings file (details only); default: ./Settings.ini\n"
    "  --cache FILE      record cache (an SQLite database, created when missing): replays whose size\n"
    "                    and time are unchanged are not read again; default: no cache\n"
    "  --no-cache        read every replay, even with --cache (whose entries are then renewed)\n"
    "\n"
    "Message boxes the program would show are written to standard error as one line \"TITLE: TEXT\".\n"
    "Exit status: 0 on success, 2 for a usage error, 1 when the command could not be carried out.\n"
    "For details a replay that cannot be read is a result, not a failure: it exits with 0.\n";

// Text for the terminal. On POSIX a byte of a name that is not UTF-8 goes out as that byte again, so a
// printed name is the file's real name and a quoted argument reads as it was typed.
std::string terminalBytes(std::u16string_view text) {
#ifdef _WIN32
    return utf16ToUtf8(text);
#else
    return pathFromText(text).native();
#endif
}

// Message boxes become lines on standard error; there is nothing to ask or show.
class ConsolePlatform final : public WindowlessPlatform {
public:
    explicit ConsolePlatform(std::ostream& err) : err_(err) {}

    void messageBox(std::u16string_view title, std::u16string_view text) override {
        err_ << terminalBytes(title) << ": " << terminalBytes(text) << '\n';
    }

private:
    std::ostream& err_;
};

struct Arguments {
    std::optional<std::u16string> lang;
    std::optional<std::u16string> settings;
    std::optional<std::u16string> cache;
    bool noCache = false;
    std::vector<std::u16string> positional;
};

// The options that take a file name, as "--name FILE" or "--name=FILE".
struct FileOption {
    std::u16string_view name;
    std::optional<std::u16string> Arguments::*value;
};
constexpr FileOption kFileOptions[] = {
    {u"--lang", &Arguments::lang}, {u"--settings", &Arguments::settings}, {u"--cache", &Arguments::cache}};

// Splits options from positional arguments; nullopt (after a message) on an unknown option.
std::optional<Arguments> parseArguments(const std::vector<std::u16string>& args, std::ostream& err) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        const FileOption* matched = nullptr;
        for (const FileOption& option : kFileOptions) {
            if (a == option.name) {
                if (i + 1 >= args.size()) {
                    err << "tapeloft-cli: " << utf16ToUtf8(option.name) << " needs a file name\n";
                    return std::nullopt;
                }
                parsed.*option.value = args[++i];
                matched = &option;
            } else if (a.starts_with(option.name) && a.size() > option.name.size() &&
                       a[option.name.size()] == u'=') {
                parsed.*option.value = a.substr(option.name.size() + 1);
                matched = &option;
            }
            if (matched) break;
        }
        if (matched) continue;
        if (a == u"--no-cache") {
            parsed.noCache = true;
            continue;
        }
        if (a.size() > 1 && a[0] == u'-' && a != u"-") {
            err << "tapeloft-cli: unknown option '" << terminalBytes(a) << "' (see tapeloft-cli --help)\n";
            return std::nullopt;
        }
        parsed.positional.push_back(a);
    }
    return parsed;
}

std::filesystem::path defaultSettingsFile() {
    return std::filesystem::path(settings::fileName);
}

Language loadLanguage(const std::u16string& explicitFile, const std::filesystem::path& settingsFile) {
    if (!explicitFile.empty()) return Language::load(pathFromText(explicitFile));
    const std::u16string name = readSettingText(settingsFile, settings::groupFolders,
                                                settings::keyLanguageFile, settings::defaultLanguageFile);
    return Language::load(pathFromText(name));
}

// The record cache named by --cache; none without it.
std::optional<RecordCache> openCache(const Arguments& arguments, std::ostream& err) {
    if (!arguments.cache) return std::nullopt;
    RecordCache cache = RecordCache::open(pathFromText(*arguments.cache));
    if (!cache.usable())
        err << "tapeloft-cli: the record cache '" << terminalBytes(*arguments.cache)
            << "' cannot be used; every replay is read\n";
    return cache;
}

// The replay list of a folder, scanned as the program does; nullopt (after a message) when it is no folder.
std::optional<ListModel> scanFolderArgument(const std::u16string& folder, const Language& language,
                                            const Arguments& arguments, std::ostream& err,
                                            std::optional<RecordCache>* keptCache = nullptr,
                                            std::unordered_map<std::u16string, FileStamp>* stamps = nullptr) {
    std::error_code ec;
    if (!std::filesystem::is_directory(pathFromText(folder), ec)) {
        err << "tapeloft-cli: '" << terminalBytes(folder) << "' is not a folder\n";
        return std::nullopt;
    }
    ConsolePlatform platform(err);
    std::optional<RecordCache> cache = openCache(arguments, err);
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    ReplayScanOptions options;
    options.cache = cache ? &*cache : nullptr;
    options.ignoreCache = arguments.noCache;
    options.stamps = stamps;
    scanReplayFolder(folder, list, u"*", kReplayExtension, language, platform, options);
    if (keptCache != nullptr) *keptCache = std::move(cache);
    return list;
}

// The checks and the scan that list and export share: the list, or the exit status after a message.
struct ScannedFolder {
    std::optional<ListModel> list;
    int status = 0;
};

ScannedFolder scanForCommand(const Arguments& arguments, std::string_view command, std::size_t positionals,
                             std::string_view takes, std::ostream& err) {
    if (arguments.settings) {
        err << "tapeloft-cli: " << command << " does not take --settings (see tapeloft-cli --help)\n";
        return {std::nullopt, 2};
    }
    if (arguments.positional.size() != positionals) {
        err << "tapeloft-cli: " << command << " takes " << takes << " (see tapeloft-cli --help)\n";
        return {std::nullopt, 2};
    }
    const Language language = loadLanguage(arguments.lang.value_or(u""), defaultSettingsFile());
    ScannedFolder scanned;
    scanned.list = scanFolderArgument(arguments.positional[0], language, arguments, err);
    scanned.status = scanned.list ? 0 : 1;
    return scanned;
}

// One row as a JSON line: {"cells": [...], "tint": ...}, with an event in front for watch.
void appendRowLine(std::string& line, std::string_view event, const std::vector<std::u16string_view>& cells,
                   bool tint) {
    line.assign("{");
    if (!event.empty()) {
        line += "\"event\": \"";
        line += event;
        line += "\", ";
    }
    line += "\"cells\": [";
    for (std::size_t column = 0; column < cells.size(); ++column) {
        if (column > 0) line += ", ";
        appendJsonString(line, cells[column]);
    }
    line += "], \"tint\": ";
    line += tint ? "true" : "false";
    line += "}\n";
}

void printRows(const ListModel& list, std::ostream& out) {
    std::string line;
    std::vector<std::u16string_view> cells;
    for (int row = 0; row < list.rowCount(); ++row) {
        cells.clear();
        for (int column = 0; column < list.columnCount(); ++column)
            cells.push_back(list.cell(row, column));
        appendRowLine(line, {}, cells, list.backgroundColour(row, 0).has_value());
        out << line;
    }
}

int listCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ScannedFolder scanned = scanForCommand(arguments, "list", 1, "one FOLDER", err);
    if (!scanned.list) return scanned.status;
    printRows(*scanned.list, out);
    out.flush();
    return out ? 0 : 1;
}

// How often watch looks at the folder: often enough that a replay settles within a second or so.
constexpr int kWatchPollMilliseconds = 250;

volatile std::sig_atomic_t stopWatching = 0;

extern "C" void onStopSignal(int) {
    stopWatching = 1;
}

// The cells of a record's row.
std::vector<std::u16string_view> cellsOf(std::u16string_view row) {
    std::vector<std::u16string_view> cells;
    for (;;) {
        const std::size_t lf = row.find(u'\n');
        cells.push_back(row.substr(0, lf));
        if (lf == std::u16string_view::npos) return cells;
        row.remove_prefix(lf + 1);
    }
}

int watchCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.settings || arguments.positional.size() != 1) {
        err << "tapeloft-cli: watch takes one FOLDER and no --settings (see tapeloft-cli --help)\n";
        return 2;
    }
    const std::u16string& folder = arguments.positional[0];
    const Language language = loadLanguage(arguments.lang.value_or(u""), defaultSettingsFile());
    std::optional<RecordCache> cache;
    std::unordered_map<std::u16string, FileStamp> stamps;
    const std::optional<ListModel> scanned =
        scanFolderArgument(folder, language, arguments, err, &cache, &stamps);
    if (!scanned) return 1;
    printRows(*scanned, out);
    out.flush();
    std::unordered_set<std::u16string> scannedRowPaths;
    for (int row = 0; row < scanned->rowCount(); ++row)
        scannedRowPaths.emplace(scanned->cell(row, ColumnPath));

    stopWatching = 0;
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    ConsolePlatform platform(err);
    const ExtractingRecordSource reader(language);
    LiveFolder live(folder, reader);
    live.reset(std::move(stamps));
    std::string line;
    while (!stopWatching && out) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kWatchPollMilliseconds));
        std::vector<FreshRecord> fresh;
        for (const LiveChange& change : live.poll(std::chrono::steady_clock::now())) {
            const bool hadRow = scannedRowPaths.contains(change.path);
            if (change.kind == LiveChange::Kind::Removed || change.kind == LiveChange::Kind::Unreadable) {
                if (change.kind == LiveChange::Kind::Unreadable)
                    reportUnreadable(change.path, language, platform);
                if (!hadRow) continue;
                scannedRowPaths.erase(change.path);
                line.assign("{\"event\": \"removed\", \"path\": ");
                appendJsonString(line, change.path);
                line += "}\n";
                out << line;
                continue;
            }
            fresh.push_back({change.path, change.stamp, change.record});
            appendRowLine(line, hadRow ? "changed" : "added", cellsOf(change.record.rowText),
                          change.record.kind == BattleRecordKind::NoResults);
            scannedRowPaths.insert(change.path);
            out << line;
        }
        out.flush();
        if (cache && !fresh.empty())
            cache->update(withTrailingSeparator(folder), fresh, nullptr, language.fingerprint());
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return out ? 0 : 1;
}

int exportCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ScannedFolder scanned = scanForCommand(arguments, "export", 2, "FOLDER and OUT", err);
    if (!scanned.list) return scanned.status;
    // The command line has no view: the new formats hold every column.
    const ListExportResult result =
        writeListFile(exportTargetOf(arguments.positional[1]), *scanned.list, ExportedColumns::All);
    if (!result.written) {
        err << "tapeloft-cli: " << terminalBytes(result.errorText) << '\n';
        return 1;
    }
    out << terminalBytes(result.fileName) << '\n';
    return out ? 0 : 1;
}

// The window reports an unreadable description like a rejected header, so the output does too.
std::string_view statusName(BattleDetailsStatus status) {
    switch (status) {
    case BattleDetailsStatus::Opened:
        return "Opened";
    case BattleDetailsStatus::NotOpened:
        return "NotOpened";
    case BattleDetailsStatus::HeaderRejected:
    case BattleDetailsStatus::DescriptionUnreadable:
        break;
    }
    return "HeaderRejected";
}

void appendKey(std::string& out, std::string_view key) {
    if (out.back() != '{') out += ", ";
    out += '"';
    out += key;
    out += "\": ";
}

void appendText(std::string& out, std::string_view key, std::u16string_view text) {
    appendKey(out, key);
    appendJsonString(out, text);
}

void appendOptionalText(std::string& out, std::string_view key, const std::optional<std::u16string>& text) {
    appendKey(out, key);
    if (text)
        appendJsonString(out, *text);
    else
        out += "null";
}

void appendRows(std::string& out, std::string_view key, const std::vector<TeamRow>& rows) {
    appendKey(out, key);
    out += '[';
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TeamRow& row = rows[i];
        if (i > 0) out += ", ";
        out += '{';
        appendText(out, "name", row.name);
        appendText(out, "clan", row.clan);
        appendText(out, "vehicle", row.vehicle);
        appendText(out, "fragsText", row.fragsText);
        appendKey(out, "alive");
        out += std::to_string(row.alive);
        appendKey(out, "isPlayer");
        out += row.isPlayer ? "true" : "false";
        out += '}';
    }
    out += ']';
}

// The texts of the output in their order, the nullable ones apart.
constexpr std::pair<std::string_view, std::u16string BattleDetails::*> kDetailsTexts[] = {
    {"playerText", &BattleDetails::playerText}, {"mapText", &BattleDetails::mapText},
    {"nationText", &BattleDetails::nationText}, {"vehicleText", &BattleDetails::vehicleText},
    {"dateText", &BattleDetails::dateText},     {"priceKey", &BattleDetails::priceKey},
};
constexpr std::pair<std::string_view, std::optional<std::u16string> BattleDetails::*>
    kDetailsOptionalTexts[] = {
        {"resultText", &BattleDetails::resultText},
        {"fragsText", &BattleDetails::fragsText},
        {"xpText", &BattleDetails::xpText},
        {"creditsText", &BattleDetails::creditsText},
        {"repairText", &BattleDetails::repairText},
        {"damageReceivedText", &BattleDetails::damageReceivedText},
        {"shotsText", &BattleDetails::shotsText},
        {"shellPriceText", &BattleDetails::shellPriceText},
        {"ammoCostText", &BattleDetails::ammoCostText},
        {"netCreditsText", &BattleDetails::netCreditsText},
};

// Every key is always written; a record that is not Opened carries only its status.
std::string detailsJson(const BattleDetails& read) {
    const bool opened = read.status == BattleDetailsStatus::Opened;
    const BattleDetails nothing;
    const BattleDetails& d = opened ? read : nothing;
    std::string out = "{";
    appendKey(out, "status");
    out += '"';
    out += statusName(read.status);
    out += '"';
    for (const auto& [key, field] : kDetailsTexts)
        appendText(out, key, d.*field);
    appendKey(out, "hasResults");
    out += d.hasResults ? "true" : "false";
    for (const auto& [key, field] : kDetailsOptionalTexts)
        appendOptionalText(out, key, d.*field);
    appendRows(out, "team1Rows", d.team1Rows);
    appendRows(out, "team2Rows", d.team2Rows);
    appendKey(out, "achievements");
    out += '[';
    for (std::size_t i = 0; i < d.achievements.size(); ++i) {
        if (i > 0) out += ", ";
        appendJsonString(out, d.achievements[i]);
    }
    out += "]}\n";
    return out;
}

int detailsCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.positional.size() != 1) {
        err << "tapeloft-cli: details takes one REPLAY (see tapeloft-cli --help)\n";
        return 2;
    }
    const std::filesystem::path settingsFile =
        arguments.settings ? pathFromText(*arguments.settings) : defaultSettingsFile();
    const Language language = loadLanguage(arguments.lang.value_or(u""), settingsFile);
    const BattleDetails details = readBattleDetails(arguments.positional[0], language, settingsFile);
    out << detailsJson(details);
    out.flush();
    return out ? 0 : 1;
}

} // namespace

std::vector<std::u16string> argumentsFromCommandLine(int argc,
                                                     const std::filesystem::path::value_type* const* argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(textFromPath(std::filesystem::path(argv[i])));
    return args;
}

int run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kHelp;
        return 2;
    }
    const std::u16string& command = args[0];
    if (command == u"help" || command == u"--help" || command == u"-h") {
        out << kHelp;
        return 0;
    }
    const auto arguments = parseArguments(args, err);
    if (!arguments) return 2;
    if (command == u"list") return listCommand(*arguments, out, err);
    if (command == u"export") return exportCommand(*arguments, out, err);
    if (command == u"details") return detailsCommand(*arguments, out, err);
    if (command == u"watch") return watchCommand(*arguments, out, err);
    err << "tapeloft-cli: unknown command '" << terminalBytes(command) << "' (see tapeloft-cli --help)\n";
    return 2;
}

} // namespace tapeloft::cli
