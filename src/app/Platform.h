#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tapeloft {

// What a save dialog returned.
struct SaveFileChoice final {
    std::u16string name;
    int fileType = 0; // which entry of the dialog's filter was selected, from 0
};

// Everything the core asks of the desktop. The GUI implements it with Qt; tests and the
// command-line tool implement it without windows.
class Platform {
public:
    virtual ~Platform() = default;

    // A modal message with one OK button.
    virtual void messageBox(std::u16string_view title, std::u16string_view text) = 0;
    // A modal Yes/No question; false for No or when it cannot be asked.
    virtual bool askYesNo(std::u16string_view title, std::u16string_view text) = 0;
    // Folder chooser; nullopt when cancelled.
    virtual std::optional<std::u16string> chooseFolder(std::u16string_view title) = 0;
    // The same, opening at startFolder where the desktop can; by default it opens where chooseFolder does.
    virtual std::optional<std::u16string> chooseFolderFrom(std::u16string_view title,
                                                           std::u16string_view /*startFolder*/) {
        return chooseFolder(title);
    }
    // Save dialog; nullopt when cancelled. filter is "Description | *.ext", and more such pairs after
    // further " | " for more file types.
    virtual std::optional<SaveFileChoice> chooseSaveFile(std::u16string_view title,
                                                         std::u16string_view filter) = 0;
    // Opens a file or address with its associated program; false when nothing was started.
    virtual bool openWithAssociatedProgram(std::u16string_view target) = 0;

    // The progress window of a folder scan; exists between begin and end.
    virtual void progressBegin(std::u16string_view title, std::u16string_view caption) = 0;
    virtual void progressSetRange(int maximum) = 0;
    virtual void progressSetFile(std::u16string_view path) = 0;
    virtual void progressSetPosition(int position) = 0;
    virtual void progressEnd() = 0;

    // Lets one pending window event through, so windows stay painted during long work.
    virtual void processOnePendingEvent() = 0;
};

// A platform without windows: messages are dropped, questions answered No, dialogs cancelled, nothing is
// opened and the progress window is not shown. Windowless callers override what they need.
class WindowlessPlatform : public Platform {
public:
    void messageBox(std::u16string_view, std::u16string_view) override {}
    bool askYesNo(std::u16string_view, std::u16string_view) override { return false; }
    std::optional<std::u16string> chooseFolder(std::u16string_view) override { return std::nullopt; }
    std::optional<SaveFileChoice> chooseSaveFile(std::u16string_view, std::u16string_view) override {
        return std::nullopt;
    }
    bool openWithAssociatedProgram(std::u16string_view) override { return false; }
    void progressBegin(std::u16string_view, std::u16string_view) override {}
    void progressSetRange(int) override {}
    void progressSetFile(std::u16string_view) override {}
    void progressSetPosition(int) override {}
    void progressEnd() override {}
    void processOnePendingEvent() override {}
};

} // namespace tapeloft
