#include "app/LayoutScale.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tapeloft;

TEST(LayoutScale, ScalesByTheAverageCharacterAndNeverShrinks) {
    struct Case {
        const char* name;
        double width;
        double height;
        LayoutRect design;
        LayoutRect expected;
    };
    const Case cases[] = {
        {"the design font", 6, 13, {10, 35, 860, 562}, {10, 35, 860, 562}},
        {"twice as large", 12, 26, {10, 35, 860, 562}, {20, 70, 1720, 1124}},
        {"wider, not taller", 7.5, 13, {400, 25, 100, 15}, {500, 25, 125, 15}},
        {"a sans font of 9 points", 7.4, 14, {605, 45, 90, 15}, {746, 48, 111, 17}},
        {"smaller than the design", 5, 11, {75, 25, 130, 15}, {75, 25, 130, 15}},
        {"no font", 0, -1, {75, 25, 130, 15}, {75, 25, 130, 15}},
        {"negative places", 9, 19.5, {-10, -4, 20, 8}, {-15, -6, 30, 12}},
    };
    for (const Case& c : cases) {
        const LayoutScale scale = LayoutScale::forCharacter(c.width, c.height);
        EXPECT_EQ(scale.rect(c.design), c.expected) << c.name;
        EXPECT_GE(scale.horizontal(), 1.0) << c.name;
        EXPECT_GE(scale.vertical(), 1.0) << c.name;
    }
    EXPECT_EQ(LayoutScale().rect({1, 2, 3, 4}), (LayoutRect{1, 2, 3, 4}));
    EXPECT_EQ(LayoutScale::forCharacter(9, 19.5).size({880, 625}), (LayoutSize{1320, 938}));
}

TEST(LayoutScale, ControlsThatTouchInTheTableStillTouchAndNeverOverlap) {
    // Scaling x and width separately would round 1.3 x 35 and 1.3 x 45 both up and let the second control
    // start inside the first.
    const LayoutScale scale = LayoutScale::forCharacter(7.8, 13);
    for (int x = 0; x < 200; ++x) {
        for (int width = 1; width < 40; ++width) {
            const LayoutRect left = scale.rect({x, 0, width, 10});
            const LayoutRect right = scale.rect({x + width, 0, 17, 10});
            ASSERT_EQ(left.x + left.width, right.x) << x << " " << width;
        }
    }
}

TEST(LayoutScale, ARowSharesTheExtraWidthAmongItsStretchingItems) {
    // The main window's top row: two path fields with their buttons, three buttons at the right edge.
    const std::vector<RowItem> row{
        {10, 320, true, 80}, {335, 25, false, 0}, {420, 300, true, 80},
        {725, 25, false, 0}, {760, 32, false, 0}, {838, 32, false, 0},
    };
    struct Case {
        const char* name;
        int width;
        std::vector<RowSpan> expected;
    };
    const Case cases[] = {
        {"as designed", 880, {{10, 320}, {335, 25}, {420, 300}, {725, 25}, {760, 32}, {838, 32}}},
        {"wider", 1190, {{10, 480}, {495, 25}, {580, 450}, {1035, 25}, {1070, 32}, {1148, 32}}},
        {"narrower", 570, {{10, 160}, {175, 25}, {260, 150}, {415, 25}, {450, 32}, {528, 32}}},
        // The favourites field would go below its minimum first; the replay field gives the rest.
        {"at the minimum", 420, {{10, 80}, {95, 25}, {180, 80}, {265, 25}, {300, 32}, {378, 32}}},
        {"below the minimum", 300, {{10, 80}, {95, 25}, {180, 80}, {265, 25}, {300, 32}, {378, 32}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stretchRow(row, 880, c.width), c.expected) << c.name;
    EXPECT_EQ(rowMinimumWidth(row, 880), 420);

    // A row without stretching items keeps every place; its minimum is its design.
    const std::vector<RowItem> fixed{{10, 32, false, 0}, {47, 32, false, 0}};
    EXPECT_EQ(stretchRow(fixed, 300, 900), (std::vector<RowSpan>{{10, 32}, {47, 32}}));
    EXPECT_EQ(rowMinimumWidth(fixed, 300), 300);
}

TEST(LayoutScale, AStretchingItemAlreadyAtItsMinimumLeavesTheShrinkingToTheOthers) {
    const std::vector<RowItem> row{{0, 100, true, 100}, {100, 200, true, 50}, {300, 50, true, 0}};
    // 100 to lose: the first item cannot, the others lose in proportion 200 : 50.
    EXPECT_EQ(stretchRow(row, 350, 250), (std::vector<RowSpan>{{0, 100}, {100, 120}, {220, 30}}));
    // Growing, every stretching item grows in proportion to its width, the first one too.
    EXPECT_EQ(stretchRow(row, 350, 420), (std::vector<RowSpan>{{0, 120}, {120, 240}, {360, 60}}));
    EXPECT_EQ(rowMinimumWidth(row, 350), 150);
}
