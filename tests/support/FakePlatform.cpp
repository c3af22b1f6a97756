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

std::optional<SaveFileChoice> FakePlatform::chooseSaveFile(std::u16string_view title,
                                                           std::u16string_view filter) {
    saveDialogs.push_back({std::u16string(title), std::u16string(filter)});
    int fileType = 0;
    if (!saveFileTypes.empty()) {
        fileType = saveFileTypes.front();
        saveFileTypes.pop_front();
    }
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    if (!answer) return std::nullopt;
    return SaveFileChoice{std::move(*answer), fileType};
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

} // namespace tapeloft::test
