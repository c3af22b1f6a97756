#include "replay/FolderScan.h"

#include "replay/BattleRecord.h"
#include "shell/Language.h"
#include "shell/ListModel.h"
#include "shell/Platform.h"
#include "json/TextCodec.h"

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace tapeloft {

namespace {

bool endsWithSeparator(std::u16string_view folder) {
    if (folder.empty()) return false;
    const char16_t last = folder.back();
#ifdef _WIN32
    return last == u'\\' || last == u'/';
#else
    return last == u'/';
#endif
}

std::u16string withSeparator(std::u16string_view folder) {
    std::u16string text(folder);
    if (!endsWithSeparator(folder)) text.append(nativeSeparator());
    return text;
}

enum class EntryType { File, Folder, Other };

// What an entry is without following links: a link to a folder (or a junction) is neither file nor
// folder, so a link loop cannot trap the walk. A link counts as a file only when it leads to a regular
// file: opening a pipe or a device behind a replay's name could block the scan for good.
EntryType entryType(const fs::directory_entry& entry) {
    std::error_code ec;
    const fs::file_status status = entry.symlink_status(ec);
    if (ec) return EntryType::Other;
    switch (status.type()) {
    case fs::file_type::directory:
        return EntryType::Folder;
    case fs::file_type::regular:
        return EntryType::File;
    case fs::file_type::symlink:
        return entry.is_regular_file(ec) && !ec ? EntryType::File : EntryType::Other;
    default:
        return EntryType::Other;
    }
}

// One open listing per level, as a recursive walk would keep; an explicit stack so that deep trees
// cannot exhaust the call stack.
struct Level {
    std::u16string folder; // with its trailing separator
    fs::directory_iterator it;
};

template <class OnEntry> void walkTree(std::u16string_view root, OnEntry&& onEntry) {
    std::vector<Level> stack;
    auto open = [&stack](std::u16string folder) {
        std::error_code ec;
        fs::directory_iterator it(pathFromText(folder), fs::directory_options::skip_permission_denied, ec);
        if (!ec) stack.push_back({std::move(folder), std::move(it)});
    };
    open(withSeparator(root));
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.it == fs::directory_iterator()) {
            stack.pop_back();
            continue;
        }
        const fs::directory_entry entry = *level.it;
        std::error_code ec;
        level.it.increment(ec);
        if (ec) level.it = fs::directory_iterator(); // a listing that fails part-way ends that folder
        const std::u16string name = textFromPath(entry.path().filename());
        switch (entryType(entry)) {
        case EntryType::File:
            onEntry(level.folder, name);
            break;
        case EntryType::Folder:
            open(level.folder + name + std::u16string(nativeSeparator()));
            break;
        case EntryType::Other:
            break;
        }
    }
}

bool acceptsName(std::u16string_view name, std::u16string_view nameFilter,
                 std::u16string_view extensionFilter) {
    const auto dot = name.rfind(u'.');
    const std::u16string_view extension =
        dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot + 1);
    const std::u16string_view base = dot == std::u16string_view::npos ? name : name.substr(0, dot);
    return (extensionFilter == u"*" || toLower(extension) == extensionFilter) &&
           (nameFilter == u"*" || toLower(base) == nameFilter);
}

} // namespace

std::int32_t countFolderFiles(std::u16string_view folder) {
    std::int32_t count = 0;
    walkTree(folder, [&count](const std::u16string&, const std::u16string&) { ++count; });
    return count;
}

void walkReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter,
                      const std::function<void(const std::u16string& path)>& onFile) {
    walkTree(folder, [&](const std::u16string& parent, const std::u16string& name) {
        if (acceptsName(name, nameFilter, extensionFilter)) onFile(parent + name);
    });
}

void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform) {
    platform.progressBegin(language.message(82), language.message(83) + std::u16string(folder));
    platform.progressSetRange(countFolderFiles(folder));
    list.beginBulkUpdate();
    std::int32_t counter = 0;
    walkReplayFolder(folder, nameFilter, extensionFilter, [&](const std::u16string& path) {
        platform.progressSetFile(path);
        platform.progressSetPosition(counter);
        addBattleRecord(path, list, language, platform);
        platform.processOnePendingEvent();
        ++counter;
    });
    list.endBulkUpdate();
    platform.progressEnd();
    list.sortList(1, SortDirection::Descending);
}

} // namespace tapeloft
