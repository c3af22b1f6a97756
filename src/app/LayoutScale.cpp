#include "app/LayoutScale.h"

#include <algorithm>
#include <cmath>

namespace tapeloft {

namespace {

double ratio(double actual, double design) {
    return actual > 0 ? std::max(actual / design, 1.0) : 1.0;
}

int scaled(int value, double factor) {
    return static_cast<int>(std::lround(value * factor));
}

// What each stretching item gains (or, negative, loses) of delta, before rounding.
std::vector<double> shares(std::span<const RowItem> items, int delta) {
    std::vector<double> change(items.size(), 0.0);
    std::vector<bool> open(items.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i)
        open[i] = items[i].stretches && (delta > 0 || items[i].width > items[i].minimumWidth);
    // Shrinking: whoever would go below the minimum stays there, and the others share the rest.
    for (;;) {
        double left = delta;
        double total = 0;
        int count = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (open[i]) {
                total += std::max(items[i].width, 0);
                ++count;
            } else {
                left -= change[i];
            }
        }
        if (count == 0) return change;
        bool clamped = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!open[i]) continue;
            change[i] = total > 0 ? left * std::max(items[i].width, 0) / total : left / count;
            const double floor = items[i].minimumWidth - items[i].width;
            if (delta < 0 && change[i] < floor) {
                change[i] = std::min(floor, 0.0);
                open[i] = false;
                clamped = true;
            }
        }
        if (!clamped) return change;
    }
}

} // namespace

LayoutScale LayoutScale::forCharacter(double averageWidth, double height) {
    return LayoutScale(ratio(averageWidth, kDesignCharWidth), ratio(height, kDesignCharHeight));
}

int LayoutScale::x(int designX) const {
    return scaled(designX, horizontal_);
}

int LayoutScale::y(int designY) const {
    return scaled(designY, vertical_);
}

LayoutRect LayoutScale::rect(const LayoutRect& design) const {
    const int left = x(design.x);
    const int top = y(design.y);
    return {left, top, x(design.x + design.width) - left, y(design.y + design.height) - top};
}

LayoutSize LayoutScale::size(const LayoutSize& design) const {
    return {x(design.width), y(design.height)};
}

std::vector<RowSpan> stretchRow(std::span<const RowItem> items, int designWidth, int width) {
    const std::vector<double> change = shares(items, width - designWidth);
    // Whole pixels by rounding the running sum, so that the gains add up to what was shared.
    std::vector<int> gain(items.size(), 0);
    double sum = 0;
    int rounded = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].stretches) continue;
        sum += change[i];
        const int next = static_cast<int>(std::lround(sum));
        gain[i] = next - rounded;
        rounded = next;
    }
    std::vector<RowSpan> spans;
    spans.reserve(items.size());
    for (const RowItem& item : items) {
        int shift = 0;
        for (std::size_t j = 0; j < items.size(); ++j)
            if (items[j].stretches && items[j].x < item.x) shift += gain[j];
        const std::size_t own = static_cast<std::size_t>(&item - items.data());
        spans.push_back({item.x + shift, item.width + gain[own]});
    }
    return spans;
}

int rowMinimumWidth(std::span<const RowItem> items, int designWidth) {
    int spare = 0;
    for (const RowItem& item : items)
        if (item.stretches) spare += std::max(item.width - item.minimumWidth, 0);
    return designWidth - spare;
}

} // namespace tapeloft
