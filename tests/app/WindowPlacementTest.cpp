#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace tapeloft;

TEST(WindowPlacement, KeepsAWindowWhoseTitleBarCanBeGrabbed) {
    const std::vector<ScreenRect> screens{{0, 0, 1280, 800}, {1280, -200, 1024, 768}};
    struct Case {
        const char* name;
        ScreenRect frame;
        bool reachable;
    };
    const Case cases[] = {
        {"default", {100, 80, 880, 660}, true},
        {"partly left of the screen", {-800, 80, 880, 660}, true},
        {"only a sliver on the left", {-860, 80, 880, 660}, false},
        {"on the second screen", {1500, -150, 880, 660}, true},
        {"above the second screen's top", {1500, -260, 880, 660}, false},
        {"title bar above the first screen", {100, -25, 880, 660}, false},
        {"title bar just reaching the first screen", {100, -20, 880, 660}, true},
        {"far right", {2000 + 1280, 80, 880, 660}, false},
        {"below every screen", {100, 800, 880, 660}, false},
        {"narrow window fully on screen", {10, 10, 20, 50}, true},
        {"huge coordinates", {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, false},
        {"huge negative coordinates", {INT_MIN, INT_MIN, 880, 660}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleBarOnScreens(c.frame, screens), c.reachable) << c.name;
    EXPECT_FALSE(titleBarOnScreens({0, 0, 100, 100}, {}));
}

TEST(WindowPlacement, MovesAnUnreachableWindowOntoThePrimaryScreen) {
    const ScreenRect primary{0, 0, 1280, 800};
    const std::vector<ScreenRect> screens{primary};
    const ScreenRect kept{100, 80, 880, 660};
    EXPECT_EQ(keepTitleBarOnScreens(kept, screens, primary), kept);

    const ScreenRect moved = keepTitleBarOnScreens({2000, 80, 880, 660}, screens, primary);
    EXPECT_EQ(moved, (ScreenRect{200, 70, 880, 660}));
    EXPECT_TRUE(titleBarOnScreens(moved, screens));

    // Larger than the screen: the top-left corner stays on it.
    const ScreenRect big = keepTitleBarOnScreens({-5000, -5000, 3000, 2000}, screens, primary);
    EXPECT_EQ(big.x, 0);
    EXPECT_EQ(big.y, 0);
    EXPECT_TRUE(titleBarOnScreens(big, screens));

    // A primary screen that does not start at 0, 0.
    const ScreenRect offset{-1920, 100, 1920, 1080};
    const ScreenRect placed = keepTitleBarOnScreens({5000, 5000, 920, 680}, std::vector{offset}, offset);
    EXPECT_EQ(placed, (ScreenRect{-1420, 300, 920, 680}));

    // Nothing known about the screens: left alone.
    EXPECT_EQ(keepTitleBarOnScreens({5000, 5000, 10, 10}, {}, primary), (ScreenRect{5000, 5000, 10, 10}));
}
