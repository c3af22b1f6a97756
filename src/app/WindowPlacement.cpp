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

ScreenRect screenAreaFor(const ScreenRect& frame, std::span<const ScreenRect> screens,
                         const ScreenRect& primary) {
    ScreenRect best = primary;
    std::int64_t bestArea = 0;
    for (const ScreenRect& screen : screens) {
        const std::int64_t across = overlap(frame.x, std::max(frame.width, 1), screen.x, screen.width);
        const std::int64_t down = overlap(frame.y, std::max(frame.height, 1), screen.y, screen.height);
        if (across <= 0 || down <= 0) continue;
        if (across * down > bestArea) {
            bestArea = across * down;
            best = screen;
        }
    }
    return best;
}

ScreenRect fitIntoArea(const ScreenRect& frame, const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return frame;
    ScreenRect fitted = frame;
    if (frame.width > area.width) {
        fitted.width = area.width;
        fitted.x = area.x;
    }
    if (frame.height > area.height) {
        fitted.height = area.height;
        fitted.y = area.y;
    }
    return fitted;
}

ScreenRect keepInsideArea(const ScreenRect& frame, const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return frame;
    ScreenRect inside = fitIntoArea(frame, area);
    const std::int64_t right = std::int64_t{area.x} + area.width - inside.width;
    const std::int64_t bottom = std::int64_t{area.y} + area.height - inside.height;
    inside.x = static_cast<int>(std::clamp<std::int64_t>(inside.x, area.x, right));
    inside.y = static_cast<int>(std::clamp<std::int64_t>(inside.y, area.y, bottom));
    return inside;
}

ScreenRect placeStoredFrame(const ScreenRect& frame, std::span<const ScreenRect> screens,
                            const ScreenRect& primary) {
    const ScreenRect fitted = fitIntoArea(frame, screenAreaFor(frame, screens, primary));
    return keepTitleBarOnScreens(fitted, screens, primary);
}

} // namespace tapeloft
