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
// on a screen: enough to grab it with the mouse. Until the window manager has framed a window, its frame is
// taken to be such a title bar and borders kFrameBorder wide.
inline constexpr int kTitleBarHeight = 30;
inline constexpr int kFrameBorder = 4;
inline constexpr int kTitleBarGripWidth = 40;
inline constexpr int kTitleBarGripHeight = 10;

// Whether a window with this outer frame has at least a grip (40 x 10 pixels, less for a narrower window)
// of its title bar on one of the screens. False when there are no screens.
bool titleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens);

// The frame as given when its title bar is on a screen (or no screen is known); otherwise the same size
// centred on the primary screen, its top-left corner kept on that screen.
ScreenRect keepTitleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens,
                                 const ScreenRect& primary);

// The area a window opens in: that of the screen its frame overlaps most, the primary one's when it
// overlaps none.
ScreenRect screenAreaFor(const ScreenRect& frame, std::span<const ScreenRect> screens,
                         const ScreenRect& primary);

// A frame no larger than the area: a side longer than the area's is cut to the area's and the frame moved
// into the area along it, so that its title bar buttons and its bottom edge can be reached. A side that
// fits is left as it is. An empty area changes nothing.
ScreenRect fitIntoArea(const ScreenRect& frame, const ScreenRect& area);

// A frame wholly inside the area: no larger than the area (as fitIntoArea), then moved the least way
// that brings it inside. An empty area changes nothing.
ScreenRect keepInsideArea(const ScreenRect& frame, const ScreenRect& area);

// A stored frame as the window opens with it: fitted into the area of the screen it opens on, then with its
// title bar brought onto a screen (keepTitleBarOnScreens).
ScreenRect placeStoredFrame(const ScreenRect& frame, std::span<const ScreenRect> screens,
                            const ScreenRect& primary);

} // namespace tapeloft
