#include "app/ListSheet.h"

#include "app/ListModel.h"
#include "replay/RecordColumns.h"

#include <charconv>
#include <optional>
#include <vector>

namespace tapeloft {

namespace {

// The longest number text read as a number; longer digit runs are no count a list shows.
constexpr std::size_t kMaxNumberText = 40;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Digits with an optional sign and fraction, nothing else.
std::optional<double> plainNumber(std::u16string_view text) {
    if (text.empty() || text.size() > kMaxNumberText) return std::nullopt;
    std::size_t i = text[0] == u'-' ? 1 : 0;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i == intStart) return std::nullopt;
    if (i < text.size() && text[i] == u'.') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == fractionStart) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    char ascii[kMaxNumberText];
    for (std::size_t k = 0; k < text.size(); ++k)
        ascii[k] = static_cast<char>(text[k]);
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), value);
    if (error != std::errc() || end != ascii + text.size()) return std::nullopt;
    return value;
}

SheetCell numericCell(std::u16string_view text) {
    SheetCell cell;
    cell.text = text;
    std::u16string_view digits = text;
    const bool percent = digits.ends_with(u'%');
    if (percent) {
        digits.remove_suffix(1);
        if (digits.ends_with(u' ')) digits.remove_suffix(1);
    }
    if (const std::optional<double> value = plainNumber(digits)) {
        cell.kind = percent ? SheetCellKind::Percent : SheetCellKind::Number;
        cell.number = percent ? *value / 100 : *value;
    }
    return cell;
}

// Two digits at text[at]; -1 unless both are digits.
int twoDigits(std::u16string_view text, std::size_t at) {
    if (!isDigit(text[at]) || !isDigit(text[at + 1])) return -1;
    return (text[at] - u'0') * 10 + (text[at + 1] - u'0');
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "dd.mm.yyyy hh:mm:ss" naming a real moment from 1900 on (the first year a spreadsheet date can hold).
std::optional<SheetDateTime> dateTimeOf(std::u16string_view text) {
    constexpr std::u16string_view pattern = u"dd.mm.yyyy hh:mm:ss";
    if (text.size() != pattern.size()) return std::nullopt;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if ((pattern[i] == u'.' || pattern[i] == u' ' || pattern[i] == u':') && text[i] != pattern[i])
            return std::nullopt;
    const int century = twoDigits(text, 6);
    const int yearOfCentury = twoDigits(text, 8);
    SheetDateTime moment{century * 100 + yearOfCentury, twoDigits(text, 3),  twoDigits(text, 0),
                         twoDigits(text, 11),           twoDigits(text, 14), twoDigits(text, 17)};
    if (century < 0 || yearOfCentury < 0 || moment.year < 1900) return std::nullopt;
    constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (moment.month < 1 || moment.month > 12) return std::nullopt;
    const int days = kDaysInMonth[moment.month - 1] + (moment.month == 2 && isLeapYear(moment.year) ? 1 : 0);
    if (moment.day < 1 || moment.day > days) return std::nullopt;
    if (moment.hour < 0 || moment.hour > 23 || moment.minute < 0 || moment.minute > 59 || moment.second < 0 ||
        moment.second > 59)
        return std::nullopt;
    return moment;
}

struct ExportedColumn {
    int column = 0;
    SortKind kind = SortKind::Text;
};

SortKind exportedKind(const ListModel& list, int column) {
    return column == ColumnLifeTime ? SortKind::Text : list.sortKind(column);
}

Sheet sheetOf(const ListModel& list, const std::vector<int>& columns) {
    Sheet sheet;
    std::vector<ExportedColumn> exported;
    for (const int column : columns) {
        sheet.columns.push_back({std::u16string(list.headerText(column)), list.columnWidth(column)});
        exported.push_back({column, exportedKind(list, column)});
    }
    sheet.rowCount = list.rowCount();
    sheet.fillRow = [&list, exported = std::move(exported)](int row, std::span<SheetCell> cells) {
        for (std::size_t i = 0; i < exported.size() && i < cells.size(); ++i)
            cells[i] = typedCell(list.cell(row, exported[i].column), exported[i].kind);
    };
    return sheet;
}

} // namespace

SheetCell typedCell(std::u16string_view text, SortKind kind) {
    switch (kind) {
    case SortKind::Integer:
    case SortKind::Decimal:
        return numericCell(text);
    case SortKind::Date:
        if (const std::optional<SheetDateTime> moment = dateTimeOf(text))
            return {SheetCellKind::DateTime, text, 0, *moment};
        break;
    case SortKind::Text:
        break;
    }
    SheetCell cell;
    cell.text = text;
    return cell;
}

Sheet sheetOfView(const ListModel& list) {
    std::vector<int> shown;
    for (const int column : list.columnOrder())
        if (column != ColumnCheck && list.columnWidth(column) > 0) shown.push_back(column);
    return sheetOf(list, shown);
}

Sheet sheetOfAllColumns(const ListModel& list) {
    std::vector<int> all;
    for (int column = ColumnDate; column < list.columnCount(); ++column)
        all.push_back(column);
    return sheetOf(list, all);
}

} // namespace tapeloft
