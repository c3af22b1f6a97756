#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A sheet as the typed export formats take it: a header row, then rows of cells that each say what they
// hold. The application layer builds it from what a list shows; the writers know nothing of lists.
namespace tapeloft {

enum class SheetCellKind {
    Text,     // the text as shown
    Number,   // number holds the value
    Percent,  // number holds the fraction: 0.58 for "58 %"
    DateTime, // dateTime holds the moment
};

struct SheetDateTime final {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const SheetDateTime&, const SheetDateTime&) = default;
};

struct SheetCell final {
    SheetCellKind kind = SheetCellKind::Text;
    std::u16string_view text; // as shown, whatever the kind: text-only formats write this
    double number = 0;
    SheetDateTime dateTime;
};

struct SheetColumn final {
    std::u16string header;
    int widthPixels = 100;
};

struct Sheet final {
    std::vector<SheetColumn> columns;
    int rowCount = 0;
    // Fills one cell per column for data row `row` (0 .. rowCount - 1). The texts stay valid until the next
    // call.
    std::function<void(int row, std::span<SheetCell> cells)> fillRow;
};

} // namespace tapeloft
