#pragma once

#include "app/Platform.h"
#include "gui/ProgressWindow.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace tapeloft {

// "Description | pattern" pairs, as the commands give them, in Qt's "Description (pattern)" form, pairs
// joined by ";;". A description that already ends with its pattern in brackets is kept as it is. Empty
// for an empty text (all files).
QString qtFileFilter(std::u16string_view filter);

// The desktop with Qt: message boxes, file dialogs, the system's associated programs and the scan's
// progress window. Dialogs are centred over the parent widget.
class QtPlatform final : public Platform {
public:
    explicit QtPlatform(QWidget* parent = nullptr);
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

    void messageBox(std::u16string_view title, std::u16string_view text) override;
    bool askYesNo(std::u16string_view title, std::u16string_view text) override;
    // The folder ends with the native separator.
    std::optional<std::u16string> chooseFolder(std::u16string_view title) override;
    // Opens at startFolder when it exists.
    std::optional<std::u16string> chooseFolderFrom(std::u16string_view title,
                                                   std::u16string_view startFolder) override;
    std::optional<SaveFileChoice> chooseSaveFile(std::u16string_view title,
                                                 std::u16string_view filter) override;
    // Opens http and https addresses, file: addresses and existing local files; false for anything else
    // (other schemes, missing files) and when the desktop refused.
    bool openWithAssociatedProgram(std::u16string_view target) override;

    // While the window is up, user input to the program's windows and requests to close them (from the
    // window manager or close() alike) are dropped, so that no command and no shutdown can start in the
    // middle of a scan; a modal message box shown meanwhile still takes input and closes.
    void progressBegin(std::u16string_view title, std::u16string_view caption) override;
    void progressSetRange(int maximum) override;
    void progressSetFile(std::u16string_view path) override;
    void progressSetPosition(int position) override;
    void progressEnd() override;
    // Delivers the pending events that are there now (for a few milliseconds at most) without waiting for
    // more. Outside a progress window user input stays queued for the event loop. A scan calls this after
    // every file, and asking the system for events costs more than reading a small file: a call within
    // eventIntervalMilliseconds of the last delivery returns at once.
    void processOnePendingEvent() override;
    static constexpr int eventIntervalMilliseconds = 4;

    // The open progress window, or null.
    const ProgressWindow* progressWindow() const { return progress_; }

private:
    class InputBlocker;

    QPointer<QWidget> parent_;
    QPointer<ProgressWindow> progress_;
    std::unique_ptr<InputBlocker> blocker_;
    QElapsedTimer eventsDelivered_;
};

} // namespace tapeloft
