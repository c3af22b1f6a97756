#include "support/FakePlatform.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>

namespace tapeloft::test {

void FakePlatform::messageBox(std::u16string_view title, std::u16string_view text) {
    messages.push_back({std::u16string(title), std::u16string(text)});
}

bool FakePlatform::askYesNo(std::u16string_view title, std::u16string_view text) {
    questions.push_back({std::u16string(title), std::u16string(text)});
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<std::u16string> FakePlatform::chooseFolderFrom(std::u16string_view title,
                                                             std::u16string_view startFolder) {
    folderStarts.emplace_back(startFolder);
    return chooseFolder(title);
}

std::optional<std::u16string> FakePlatform::chooseFolder(std::u16string_view title) {
    folderTitles.emplace_back(title);
    if (folderAnswers.empty()) return std::nullopt;
    auto answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<std::u16string> FakePlatform::chooseSaveFile(std::u16string_view title,
                                                           std::u16string_view filter) {
    saveDialogs.push_back({std::u16string(title), std::u16string(filter)});
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool FakePlatform::openWithAssociatedProgram(std::u16string_view target) {
    opened.emplace_back(target);
    return openSucceeds;
}

void FakePlatform::progressBegin(std::u16string_view, std::u16string_view caption) {
    ++progressOpen;
    progressCaptions.emplace_back(caption);
}
void FakePlatform::progressSetRange(int maximum) {
    progressRanges.push_back(maximum);
}
void FakePlatform::progressSetFile(std::u16string_view path) {
    progressFiles.emplace_back(path);
}
void FakePlatform::progressSetPosition(int position) {
    progressPositions.push_back(position);
}
void FakePlatform::progressEnd() {
    --progressOpen;
}
void FakePlatform::processOnePendingEvent() {
    ++pendingEventsProcessed;
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() /
                ("tapeloft-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(path_, ec)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so they can go.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code pec;
        if (!it->is_symlink(pec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, pec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::filesystem::path& relative, std::string_view bytes) const {
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CurrentDirScope::CurrentDirScope(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentDirScope::~CurrentDirScope() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

std::filesystem::path sourceDir() {
    const char* dir = std::getenv("TAPELOFT_SOURCE_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

} // namespace tapeloft::test
