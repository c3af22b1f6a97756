#pragma once

#include <span>

// Keeping a restored window within reach: its title bar must be on some screen, or the user cannot move it.
namespace tapeloft {

struct ScreenRect final {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// How tall the strip at the top of a window is that counts as its title bar, and how much of it must be
// on a screen: enough to grab it with the mouse.
inline constexpr int kTitleBarHeight = 30;
inline constexpr int kTitleBarGripWidth = 40;
inline constexpr int kTitleBarGripHeight = 10;

// Whether a window with this outer frame has at least a grip (40 x 10 pixels, less for a narrower window)
// of its title bar on one of the screens. False when there are no screens.
bool titleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens);

// The frame as given when its title bar is on a screen (or no screen is known); otherwise the same size
// centred on the primary screen, its top-left corner kept on that screen.
ScreenRect keepTitleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens,
                                 const ScreenRect& primary);

} // namespace tapeloft
