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

TEST(WindowPlacement, AStoredFrameLargerThanItsScreenIsCutToTheScreensArea) {
    const ScreenRect left{0, 0, 1600, 960};    // the primary screen, less its panel
    const ScreenRect right{1600, 0, 800, 500}; // a second screen at 2x: half the logical size
    const std::vector<ScreenRect> screens{left, right};
    struct Case {
        const char* name;
        ScreenRect stored;
        ScreenRect expected;
    };
    const Case cases[] = {
        {"fits: left where it is", {100, 80, 880, 660}, {100, 80, 880, 660}},
        {"fits, partly off the right edge: as today", {1000, 80, 880, 660}, {1000, 80, 880, 660}},
        {"too wide", {200, 50, 3000, 660}, {0, 50, 1600, 660}},
        {"too tall", {200, 50, 880, 2000}, {200, 0, 880, 960}},
        {"twice the screen", {10, 20, 3120, 1880}, {0, 0, 1600, 960}},
        {"mostly on the small screen", {1700, 40, 1560, 940}, {1600, 0, 800, 500}},
        {"as large as the screen", {0, 0, 1600, 960}, {0, 0, 1600, 960}},
        // On no screen: cut to the primary screen, and then its title bar is on it.
        {"off every screen and too large", {9000, 9000, 2000, 1200}, {0, 0, 1600, 960}},
        {"off every screen", {9000, 9000, 800, 600}, {400, 180, 800, 600}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeStoredFrame(c.stored, screens, left), c.expected) << c.name;
}

TEST(WindowPlacement, TheScreenAWindowOpensOnIsTheOneItOverlapsMost) {
    const ScreenRect left{0, 0, 1600, 960};
    const ScreenRect right{1600, -100, 800, 500};
    const std::vector<ScreenRect> screens{left, right};
    EXPECT_EQ(screenAreaFor({100, 100, 800, 600}, screens, left), left);
    EXPECT_EQ(screenAreaFor({1500, 0, 800, 300}, screens, left), right);
    EXPECT_EQ(screenAreaFor({1000, 0, 800, 300}, screens, left), left);
    EXPECT_EQ(screenAreaFor({-5000, 0, 800, 300}, screens, right), right);
    EXPECT_EQ(screenAreaFor({100, 100, 800, 600}, {}, left), left);

    // An empty area leaves the frame alone.
    EXPECT_EQ(fitIntoArea({5, 5, 3000, 3000}, {}), (ScreenRect{5, 5, 3000, 3000}));
}

TEST(WindowPlacement, AWindowKeptInsideAnAreaIsCutAndMovedTheLeastWay) {
    const ScreenRect area{0, 0, 800, 500}; // 1600 x 1000 at 2x
    struct Case {
        const char* name;
        ScreenRect frame;
        ScreenRect expected;
    };
    const Case cases[] = {
        {"inside", {100, 50, 300, 200}, {100, 50, 300, 200}},
        {"below the bottom", {495, 158, 324, 459}, {476, 41, 324, 459}},
        {"left of the area", {-40, 10, 300, 200}, {0, 10, 300, 200}},
        {"too wide and too tall", {73, 15, 1004, 680}, {0, 0, 800, 500}},
        {"far off", {9000, -9000, 100, 100}, {700, 0, 100, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keepInsideArea(c.frame, area), c.expected) << c.name;
    EXPECT_EQ(keepInsideArea({5, 5, 3000, 3000}, {}), (ScreenRect{5, 5, 3000, 3000}));
}
