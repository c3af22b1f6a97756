#pragma once

#include "app/ListSorter.h"
#include "export/Sheet.h"

#include <string_view>

// A replay list as the sheet the typed export formats write.
namespace tapeloft {

class ListModel;

// A list cell as a sheet cell of its column's kind. In integer and decimal columns a whole number ("-150",
// "12.5") is a number and a number with a percent sign ("58 %") a percentage; in date columns a valid
// "dd.mm.yyyy hh:mm:ss" is a date-time. Every other cell, and any cell not of its column's form (empty,
// "1200(x2)", a placeholder text), is its text.
SheetCell typedCell(std::u16string_view text, SortKind kind);

// What the user sees of a replay list: the shown rows in the shown order (the filter applies), the columns
// of width above 0 in the order the user dragged them into, column 0 (always empty) left out; the headers
// and widths of the list. The lifetime column stays text: "mm.ss" is no decimal number to count with.
Sheet sheetOfView(const ListModel& list);

// Every shown row and the record columns 1 ... 39 in creation order, whatever their width: for callers that
// have no view.
Sheet sheetOfAllColumns(const ListModel& list);

} // namespace tapeloft
