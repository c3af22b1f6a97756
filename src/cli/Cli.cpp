#include "cli/Cli.h"

#include "cli/JsonOutput.h"
#include "export/ListExport.h"
#include "replay/FolderScan.h"
#include "shell/Language.h"
#include "shell/ListModel.h"
#include "shell/Platform.h"
#include "shell/ReplayList.h"
#include "shell/Settings.h"
#include "json/TextCodec.h"

#include <filesystem>
#include <ostream>
#include <string_view>

namespace tapeloft::cli {

namespace {

constexpr std::string_view kHelp =
    "Usage: tapeloft-cli COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Reads Ironvale replays (*.ivlreplay) the way Tapeloft does, without a window.\n"
    "\n"
    "Commands:\n"
    "  list [--lang FILE] FOLDER\n"
    "      Scans FOLDER and everything below it, as the program's folder scan does, and writes one\n"
    "      JSON line per list row, newest first: {\"cells\": [40 strings], \"tint\": true|false}.\n"
    "      \"tint\" is true for replays without readable results.\n"
    "  export [--lang FILE] FOLDER OUT\n"
    "      Scans FOLDER as list does and writes the list as an Excel workbook (.xls) to OUT; \".xls\" is\n"
    "      appended when the file name does not end in it. Prints the name of the file written.\n"
    "  help, --help\n"
    "      Shows this text.\n"
    "\n"
    "Options:\n"
    "  --lang FILE   language file for names and messages; default: the \"Lang\" setting of\n"
    "                ./Settings.ini, else rus.lng\n"
    "\n"
    "Message boxes the program would show are written to standard error as one line \"TITLE: TEXT\".\n"
    "Exit status: 0 on success, 2 for a usage error, 1 when the command could not be carried out.\n";

// Message boxes become lines on standard error; there is nothing to ask or show.
class ConsolePlatform final : public Platform {
public:
    explicit ConsolePlatform(std::ostream& err) : err_(err) {}

    void messageBox(std::u16string_view title, std::u16string_view text) override {
        err_ << utf16ToUtf8(title) << ": " << utf16ToUtf8(text) << '\n';
    }
    bool askYesNo(std::u16string_view, std::u16string_view) override { return false; }
    std::optional<std::u16string> chooseFolder(std::u16string_view) override { return std::nullopt; }
    std::optional<std::u16string> chooseSaveFile(std::u16string_view, std::u16string_view) override {
        return std::nullopt;
    }
    bool openWithAssociatedProgram(std::u16string_view) override { return false; }
    void progressBegin(std::u16string_view, std::u16string_view) override {}
    void progressSetRange(int) override {}
    void progressSetFile(std::u16string_view) override {}
    void progressSetPosition(int) override {}
    void progressEnd() override {}
    void processOnePendingEvent() override {}

private:
    std::ostream& err_;
};

struct Arguments {
    std::string lang;
    std::vector<std::string> positional;
};

// Splits options from positional arguments; nullopt (after a message) on an unknown option.
std::optional<Arguments> parseArguments(const std::vector<std::string>& args, std::ostream& err) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--lang") {
            if (i + 1 >= args.size()) {
                err << "tapeloft-cli: --lang needs a file name\n";
                return std::nullopt;
            }
            parsed.lang = args[++i];
        } else if (a.rfind("--lang=", 0) == 0) {
            parsed.lang = a.substr(7);
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            err << "tapeloft-cli: unknown option '" << a << "' (see tapeloft-cli --help)\n";
            return std::nullopt;
        } else {
            parsed.positional.push_back(a);
        }
    }
    return parsed;
}

Language loadLanguage(const std::string& explicitFile) {
    if (!explicitFile.empty()) return Language::load(pathFromText(utf8ToUtf16(explicitFile)));
    const std::u16string name =
        readSettingText(std::filesystem::path(settings::fileName), settings::groupFilepath, settings::keyLang,
                        settings::defaultLang);
    return Language::load(pathFromText(name));
}

// The replay list of a folder, scanned as the program does; nullopt (after a message) when it is no folder.
std::optional<ListModel> scanFolderArgument(const std::string& argument, const Language& language,
                                            std::ostream& err) {
    const std::u16string folder = utf8ToUtf16(argument);
    std::error_code ec;
    if (!std::filesystem::is_directory(pathFromText(folder), ec)) {
        err << "tapeloft-cli: '" << argument << "' is not a folder\n";
        return std::nullopt;
    }
    ConsolePlatform platform(err);
    ListModel list = makeReplayListModel(language, ReplayListKind::Replays);
    scanReplayFolder(folder, list, u"*", kReplayExtension, language, platform);
    return list;
}

int listCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.positional.size() != 1) {
        err << "tapeloft-cli: list takes one FOLDER (see tapeloft-cli --help)\n";
        return 2;
    }
    const Language language = loadLanguage(arguments.lang);
    const std::optional<ListModel> scanned = scanFolderArgument(arguments.positional[0], language, err);
    if (!scanned) return 1;
    const ListModel& list = *scanned;

    std::string line;
    for (int row = 0; row < list.rowCount(); ++row) {
        line.assign("{\"cells\": [");
        for (int column = 0; column < list.columnCount(); ++column) {
            if (column > 0) line += ", ";
            appendJsonString(line, list.cell(row, column));
        }
        line += "], \"tint\": ";
        line += list.backgroundColour(row, 0).has_value() ? "true" : "false";
        line += "}\n";
        out << line;
    }
    out.flush();
    return out ? 0 : 1;
}

int exportCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.positional.size() != 2) {
        err << "tapeloft-cli: export takes FOLDER and OUT (see tapeloft-cli --help)\n";
        return 2;
    }
    const Language language = loadLanguage(arguments.lang);
    const std::optional<ListModel> scanned = scanFolderArgument(arguments.positional[0], language, err);
    if (!scanned) return 1;
    const ListExportResult result =
        exportSheetToXls(utf8ToUtf16(arguments.positional[1]), sheetSourceOf(*scanned));
    if (!result.written) {
        err << "tapeloft-cli: " << utf16ToUtf8(result.errorText) << '\n';
        return 1;
    }
    out << utf16ToUtf8(result.fileName) << '\n';
    return out ? 0 : 1;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kHelp;
        return 2;
    }
    const std::string& command = args[0];
    if (command == "help" || command == "--help" || command == "-h") {
        out << kHelp;
        return 0;
    }
    const auto arguments = parseArguments(args, err);
    if (!arguments) return 2;
    if (command == "list") return listCommand(*arguments, out, err);
    if (command == "export") return exportCommand(*arguments, out, err);
    err << "tapeloft-cli: unknown command '" << command << "' (see tapeloft-cli --help)\n";
    return 2;
}

} // namespace tapeloft::cli
