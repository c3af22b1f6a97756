#pragma once

#include "app/Platform.h"
#include "support/TempDir.h"

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace tapeloft::test {

// Records every request; answers come from queues the test fills.
class FakePlatform final : public Platform {
public:
    struct Message {
        std::u16string title;
        std::u16string text;
    };

    std::vector<Message> messages;
    std::vector<Message> questions;
    std::vector<std::u16string> opened;
    std::vector<std::u16string> folderTitles; // one per folder chooser shown
    std::vector<std::u16string> folderStarts; // where chooseFolderFrom was asked to open
    std::vector<Message> saveDialogs;         // title and filter of every save dialog shown
    std::vector<std::u16string> progressFiles;
    std::vector<int> progressPositions;
    std::vector<int> progressRanges;
    std::vector<std::u16string> progressCaptions;
    int progressOpen = 0;
    int pendingEventsProcessed = 0;

    std::deque<bool> yesNoAnswers;                           // empty: answers No
    std::deque<std::optional<std::u16string>> folderAnswers; // empty: cancelled
    std::deque<std::optional<std::u16string>> saveAnswers;   // empty: cancelled
    std::deque<int> saveFileTypes;                           // picked with each save answer; empty: the first
    bool openSucceeds = true;

    void messageBox(std::u16string_view title, std::u16string_view text) override;
    bool askYesNo(std::u16string_view title, std::u16string_view text) override;
    std::optional<std::u16string> chooseFolder(std::u16string_view title) override;
    std::optional<std::u16string> chooseFolderFrom(std::u16string_view title,
                                                   std::u16string_view startFolder) override;
    std::optional<SaveFileChoice> chooseSaveFile(std::u16string_view title,
                                                 std::u16string_view filter) override;
    bool openWithAssociatedProgram(std::u16string_view target) override;
    void progressBegin(std::u16string_view title, std::u16string_view caption) override;
    void progressSetRange(int maximum) override;
    void progressSetFile(std::u16string_view path) override;
    void progressSetPosition(int position) override;
    void progressEnd() override;
    void processOnePendingEvent() override;
};

} // namespace tapeloft::test
