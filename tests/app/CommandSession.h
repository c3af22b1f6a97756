#pragma once

// A work folder with a replay folder and a favourites folder of generated replays, the main window's
// commands over them, and a file layer that fails on request.
#include "app/AppState.h"
#include "app/ListModel.h"
#include "app/MainCommands.h"
#include "app/ReplayList.h"
#include "base/FileOperations.h"
#include "base/TextCodec.h"
#include "samplegen/SampleReplay.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tapeloft::test {

namespace fs = std::filesystem;

// The real file system, with single operations made to fail on request.
class ScriptedFiles final : public FileOperations {
public:
    std::set<fs::path> failCopyFrom;    // copyFile refuses these sources outright
    std::set<fs::path> failRemove;      // removeFile fails for these files
    std::set<fs::path> readOnlyFolders; // nothing can be created in or removed from these folders
    int failNewFileAfterBytes = -1;     // >= 0: every copy stops after that many bytes (disk full)
    bool failRename = false;            // the finished copy cannot be put in place
    bool noTrash = false;               // the system offers no trash
    fs::path trashFolder;               // where moveToTrash puts files; the Session makes it
    int copies = 0;
    int partialCopies = 0; // copies that stopped after writing some bytes

    bool copyFile(const fs::path& from, const fs::path& to) override {
        ++copies;
        if (failCopyFrom.contains(from)) {
            setLastError(std::make_error_code(std::errc::permission_denied));
            return false;
        }
        return FileOperations::copyFile(from, to);
    }
    bool removeFile(const fs::path& file) override {
        if (failRemove.contains(file) || readOnlyFolders.contains(file.parent_path())) {
            setLastError(std::make_error_code(std::errc::permission_denied));
            return false;
        }
        return FileOperations::removeFile(file);
    }
    // A trash as the desktop's: the file leaves its folder whole, under a name of its own. What cannot
    // be removed cannot be trashed either.
    bool moveToTrash(const fs::path& file) override {
        if (noTrash || failRemove.contains(file) || readOnlyFolders.contains(file.parent_path())) {
            setLastError(std::make_error_code(std::errc::permission_denied));
            return false;
        }
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) return false;
        fs::rename(file, trashFolder / (std::to_string(++trashed) + "-" + file.filename().string()), ec);
        if (ec) setLastError(ec);
        return !ec;
    }
    int trashed = 0;

protected:
    NewFile copyToNewFile(const fs::path& from, const fs::path& to) override {
        if (readOnlyFolders.contains(to.parent_path())) {
            setLastError(std::make_error_code(std::errc::permission_denied));
            return NewFile::Failed;
        }
        if (failNewFileAfterBytes < 0) return FileOperations::copyToNewFile(from, to);
        std::ifstream in(from, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream out(to, std::ios::binary);
        out << bytes.substr(0, static_cast<std::size_t>(failNewFileAfterBytes));
        if (failNewFileAfterBytes > 0) ++partialCopies;
        setLastError(std::make_error_code(std::errc::no_space_on_device));
        return NewFile::Failed;
    }
    bool renameFile(const fs::path& from, const fs::path& to) override {
        if (!failRename) return FileOperations::renameFile(from, to);
        setLastError(std::make_error_code(std::errc::permission_denied));
        return false;
    }
};

class Listener final : public MainCommandsListener {
public:
    std::vector<ReplayListKind> folders;
    std::vector<std::u16string> notices;
    int statusUpdates = 0;
    void folderChanged(ReplayListKind kind) override { folders.push_back(kind); }
    void statusChanged() override { ++statusUpdates; }
    void notice(std::u16string_view text) override { notices.emplace_back(text); }
};

inline std::u16string withSeparator(const fs::path& folder) {
    return textFromPath(folder) + std::u16string(nativeSeparator());
}

struct Session {
    TempDir dir;
    FakePlatform platform;
    ScriptedFiles files;
    Listener listener;
    AppState state;
    ListModel replays;
    ListModel favourites;
    std::unique_ptr<MainCommands> commands;
    fs::path replayDir = dir.path() / "replays";
    fs::path favouriteDir = dir.path() / "favourites";

    explicit Session(int replayCount = 5, int favouriteCount = 2) {
        state.language = Language::load(sourceDir() / "lang" / "rus.lng");
        state.replayFolder = withSeparator(replayDir);
        state.favouritesFolder = withSeparator(favouriteDir);
        replays = makeReplayListModel(state.language, ReplayListKind::Replays);
        favourites = makeReplayListModel(state.language, ReplayListKind::Favourites);
        fs::create_directories(replayDir);
        fs::create_directories(favouriteDir);
        files.trashFolder = dir.path() / "trash";
        fs::create_directories(files.trashFolder);
        samples::writeSampleFolder(replayDir, replayCount, 11, {}, true);
        samples::writeSampleFolder(favouriteDir, favouriteCount, 22, {}, true);
        commands = std::make_unique<MainCommands>(state, replays, favourites, platform, files, dir.path());
        commands->setListener(&listener);
        commands->rescan();
        listener = Listener();
    }

    const std::u16string& msg(int n) const { return state.message(n); }
    fs::path settings() const { return dir.path() / "Settings.ini"; }
    ListModel& list(ReplayListKind kind) { return kind == ReplayListKind::Replays ? replays : favourites; }
    const fs::path& folder(ReplayListKind kind) const {
        return kind == ReplayListKind::Replays ? replayDir : favouriteDir;
    }

    static std::vector<fs::path> paths(const ListModel& list) {
        std::vector<fs::path> out;
        for (int r = 0; r < list.rowCount(); ++r)
            out.push_back(pathFromText(list.cell(r, ColumnPath)));
        return out;
    }
    static std::set<std::string> names(const ListModel& list) {
        std::set<std::string> out;
        for (const auto& path : paths(list))
            out.insert(path.filename().string());
        return out;
    }
    static std::set<std::string> filesIn(const fs::path& folder) {
        std::set<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) out.insert(entry.path().filename().string());
        return out;
    }
    void select(ListModel& list, std::initializer_list<int> rows) {
        list.clearSelection();
        for (int row : rows)
            list.setSelected(row, true);
    }
};

// Every regular file below the folder, by path, with its bytes.
inline std::map<fs::path, std::string> contentsBelow(const fs::path& folder) {
    std::map<fs::path, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) out[entry.path()] = readBytes(entry.path());
    return out;
}

// The rows of a list (with the filter bar off) are exactly the replay files below its folder.
inline void expectListMatchesDisk(Session& s, ReplayListKind kind) {
    const ListModel& list = s.list(kind);
    std::multiset<fs::path> rows;
    for (int r = 0; r < list.rowCount(); ++r)
        rows.insert(fs::weakly_canonical(pathFromText(list.cell(r, ColumnPath))));
    std::multiset<fs::path> disk;
    for (const auto& entry : fs::recursive_directory_iterator(s.folder(kind)))
        if (entry.is_regular_file() && entry.path().extension() == ".ivlreplay")
            disk.insert(fs::weakly_canonical(entry.path()));
    EXPECT_EQ(rows, disk) << (kind == ReplayListKind::Replays ? "replay list" : "favourites list");
}

// Each of the given replays is somewhere below one of the two folders, byte for byte, and nothing but
// whole replays (and files the test put there itself) lies there.
inline void expectEveryReplayWhole(Session& s, const std::map<fs::path, std::string>& originals,
                                   const std::set<fs::path>& allowedOthers = {}) {
    std::multiset<std::string> present;
    for (const fs::path& folder : {s.replayDir, s.favouriteDir})
        for (const auto& [path, bytes] : contentsBelow(folder)) {
            const bool known = std::any_of(originals.begin(), originals.end(),
                                           [&](const auto& original) { return original.second == bytes; });
            EXPECT_TRUE(known || allowedOthers.contains(path)) << "stray or damaged file " << path;
            present.insert(bytes);
        }
    for (const auto& [path, bytes] : originals)
        EXPECT_TRUE(present.contains(bytes)) << "lost " << path;
}

} // namespace tapeloft::test
