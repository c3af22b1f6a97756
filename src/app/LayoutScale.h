#pragma once

#include <span>
#include <vector>

// The windows' layout tables are drawn for the 8-point dialog font of Windows at 96 dpi. Like the dialog
// units of Windows, they are scaled by how much wider and taller the average character of the font in use
// is, so that a text that fitted its control at that font fits it at any other.
namespace tapeloft {

struct LayoutRect final {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

struct LayoutSize final {
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutSize&, const LayoutSize&) = default;
};

// The design font's average character in pixels: the width of "A".."Z" and "a".."z" over 52, and the
// height of a line.
inline constexpr double kDesignCharWidth = 6.0;
inline constexpr double kDesignCharHeight = 13.0;

class LayoutScale final {
public:
    // The design font itself: every place as in the table.
    LayoutScale() = default;

    // For a font whose average character is that wide and tall. Never below the design: the image buttons
    // keep the pixel size of their pictures, so a layout may grow but not shrink. Sizes that are not
    // positive (no font) give the design.
    static LayoutScale forCharacter(double averageWidth, double height);

    double horizontal() const { return horizontal_; }
    double vertical() const { return vertical_; }

    int x(int designX) const;
    int y(int designY) const;
    // Both edges scaled, the size their distance: controls that touch in the table touch when scaled, and
    // rounding never makes them overlap.
    LayoutRect rect(const LayoutRect& design) const;
    LayoutSize size(const LayoutSize& design) const;

private:
    LayoutScale(double horizontal, double vertical) : horizontal_(horizontal), vertical_(vertical) {}

    double horizontal_ = 1.0;
    double vertical_ = 1.0;
};

// One control of a row of controls that follows the window's width, its place already scaled.
struct RowItem final {
    int x = 0;
    int width = 0;
    // A stretching item takes a share of what the window is wider or narrower than the row's scaled design,
    // in proportion to its width and never below minimumWidth; the others keep their width.
    bool stretches = false;
    int minimumWidth = 0;
};

struct RowSpan final {
    int x = 0;
    int width = 0;
    friend bool operator==(const RowSpan&, const RowSpan&) = default;
};

// The items of a row designed for designWidth, placed in a width that wide: each item moves by what the
// stretching items to its left gained or lost, so items right of every stretching one follow the right
// edge. Below rowMinimumWidth the stretching items stay at their minimum and the rest is cut off.
std::vector<RowSpan> stretchRow(std::span<const RowItem> items, int designWidth, int width);

// The narrowest width whose row keeps every stretching item at its minimum or wider.
int rowMinimumWidth(std::span<const RowItem> items, int designWidth);

} // namespace tapeloft
