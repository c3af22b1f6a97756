#pragma once

// The numbers of the windows and controls that events are dispatched on.
namespace tapeloft {

// Windows.
inline constexpr int kMainWindowId = 15;
inline constexpr int kAboutWindowId = 16;
inline constexpr int kDetailsWindowId = 17;
inline constexpr int kSettingsWindowId = 18;

// Events that are not about one control (closing a window, a key) carry this control number.
inline constexpr int kNoControl = -1;

// Controls of the main window.
inline constexpr int kReplayFolderButton = 0;
inline constexpr int kFavouritesFolderButton = 1;
inline constexpr int kRescanButton = 2;
inline constexpr int kExportReplaysButton = 3;
inline constexpr int kReplayDetailsButton = 4;
inline constexpr int kDeleteReplaysButton = 5;
inline constexpr int kMoveToFavouritesButton = 6;
inline constexpr int kExportFavouritesButton = 7;
inline constexpr int kFavouriteDetailsButton = 8;
inline constexpr int kDeleteFavouritesButton = 9;
inline constexpr int kMoveToReplaysButton = 10;
inline constexpr int kReplayFilterToggle = 11;
inline constexpr int kFavouriteFilterToggle = 12;
inline constexpr int kAboutButton = 13;
inline constexpr int kSettingsButton = 14;
inline constexpr int kStatisticsButton = 20;
inline constexpr int kMainTabs = 17;
inline constexpr int kReplayHintLabel = 46;
inline constexpr int kFavouriteHintLabel = 47;
inline constexpr int kReplayPathField = 53;
inline constexpr int kFavouritesPathField = 152;
inline constexpr int kReplayListId = 177;
inline constexpr int kFavouritesListId = 178;
inline constexpr int kMainStatusBar = 0; // not a control of its own; shares 0 with the folder button

// Controls of the About window.
inline constexpr int kAboutCloseButton = 16;
inline constexpr int kAboutTitleLabel = 42;
inline constexpr int kAboutSubtitleLabel = 43;
inline constexpr int kAboutLink = 44;
inline constexpr int kAboutCreditLabel = 45;
inline constexpr int kAboutBodyText = 170;

// What happened to a window or control.
enum class UiEvent {
    Click,        // a button was used (clicked, toggled or pressed with the keyboard)
    DoubleClick,  // a list row was double-clicked
    CloseRequest, // the user asked to close the window
    F3Pressed,    // F3 went down (auto-repeats do not count)
};

} // namespace tapeloft
