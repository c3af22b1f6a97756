#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace tapeloft {

namespace {

// 64-bit edges: stored positions and sizes can be anything a settings file holds.
std::int64_t overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
    return std::min(a + aLength, b + bLength) - std::max(a, b);
}

} // namespace

bool titleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens) {
    const std::int64_t width = std::max(frame.width, 1);
    const std::int64_t needWidth = std::min<std::int64_t>(kTitleBarGripWidth, width);
    for (const ScreenRect& screen : screens) {
        if (screen.width <= 0 || screen.height <= 0) continue;
        if (overlap(frame.x, width, screen.x, screen.width) >= needWidth &&
            overlap(frame.y, kTitleBarHeight, screen.y, screen.height) >= kTitleBarGripHeight)
            return true;
    }
    return false;
}

ScreenRect keepTitleBarOnScreens(const ScreenRect& frame, std::span<const ScreenRect> screens,
                                 const ScreenRect& primary) {
    if (screens.empty() || titleBarOnScreens(frame, screens)) return frame;
    ScreenRect placed = frame;
    const std::int64_t x = primary.x + (std::int64_t{primary.width} - frame.width) / 2;
    const std::int64_t y = primary.y + (std::int64_t{primary.height} - frame.height) / 2;
    placed.x = static_cast<int>(std::max<std::int64_t>(x, primary.x));
    placed.y = static_cast<int>(std::max<std::int64_t>(y, primary.y));
    return placed;
}

} // namespace tapeloft
