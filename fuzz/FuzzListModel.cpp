// The listmodel target: operations on a list, each followed by a comparison with a plain model of the list
// and with a view that knows only what the notifications told it.
#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "app/ListModel.h"
#include "app/ListSorter.h"
#include "app/ReplayList.h"
#include "base/Language.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tapeloft::fuzz {

namespace {

constexpr std::size_t kMaxSteps = 160;
constexpr std::size_t kMaxRows = 40;
constexpr std::size_t kMaxCellUnits = 24;
constexpr int kMaxBulkDepth = 3;

using Cells = std::vector<std::u16string>;

struct OwnColours {
    std::optional<ListColour> text;
    std::optional<ListColour> background;
};

struct PlainRow {
    Cells cells;
    bool selected = false;
    bool checked = false;
    RowColours colours;
    std::map<int, OwnColours> own; // cells coloured one by one
};

// The cells of a row text as the list documents them: LF-joined, missing ones empty, extra ones dropped.
Cells cellsOf(std::u16string_view text, int columns) {
    Cells cells;
    std::size_t start = 0;
    while (cells.size() < static_cast<std::size_t>(columns)) {
        const std::size_t lf = text.find(u'\n', start);
        cells.emplace_back(text.substr(start, lf == std::u16string_view::npos ? lf : lf - start));
        if (lf == std::u16string_view::npos) break;
        start = lf + 1;
    }
    cells.resize(static_cast<std::size_t>(columns));
    return cells;
}

bool beginsIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::optional<ListColour> expectedColour(const PlainRow& row, int column, bool background) {
    if (const auto own = row.own.find(column); own != row.own.end()) {
        const auto& colour = background ? own->second.background : own->second.text;
        if (colour) return colour;
    }
    return background ? row.colours.background : row.colours.text;
}

bool isPermutationOf(std::span<const int> order, int columns) {
    std::vector<int> sorted(order.begin(), order.end());
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k)
        if (sorted[k] != static_cast<int>(k)) return false;
    return sorted.size() == static_cast<std::size_t>(columns);
}

// A view that knows the list only through the notifications: the number of rows, which are selected,
// the arrow and the columns. Row notifications must not arrive during a bulk update.
class FollowingView final : public ListObserver {
public:
    FollowingView(const ListModel& list, const int& bulkDepth) : list_(list), bulkDepth_(bulkDepth) {
        readRows();
        arrow_ = list.sortIndicator();
        order_ = list.columnOrder();
        for (int column = 0; column < list.columnCount(); ++column) {
            widths_.push_back(list.columnWidth(column));
            alignments_.push_back(list.columnAlignment(column));
        }
    }

    void rowsAboutToBeInserted(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first == last && first >= 0 && first <= count());
    }
    void rowsInserted(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first == last && first >= 0 && first <= count());
        selected_.insert(selected_.begin() + first, false);
        FUZZ_CHECK(list_.rowCount() == count());
    }
    void rowsAboutToBeRemoved(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first == last && first >= 0 && first < count());
    }
    void rowsRemoved(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first == last && first >= 0 && first < count());
        selected_.erase(selected_.begin() + first);
        FUZZ_CHECK(list_.rowCount() == count());
    }
    void modelAboutToBeReset() override { rowEvent(); }
    void modelReset() override {
        rowEvent();
        readRows();
    }
    void layoutAboutToBeChanged() override { rowEvent(); }
    // Selection follows the rows; rows that were hidden show unselected.
    void layoutChanged(std::span<const int> newRowOfOldRow) override {
        rowEvent();
        FUZZ_CHECK(newRowOfOldRow.size() == selected_.size());
        const int now = list_.rowCount();
        std::vector<char> selected(static_cast<std::size_t>(now), 0);
        std::vector<char> taken(static_cast<std::size_t>(now), 0);
        for (std::size_t old = 0; old < newRowOfOldRow.size(); ++old) {
            const int row = newRowOfOldRow[old];
            FUZZ_CHECK(row >= -1 && row < now);
            if (row < 0) continue;
            FUZZ_CHECK(!taken[static_cast<std::size_t>(row)]);
            taken[static_cast<std::size_t>(row)] = 1;
            selected[static_cast<std::size_t>(row)] = selected_[old];
        }
        selected_ = std::move(selected);
    }
    void rowsChanged(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first >= 0 && first <= last && last < count());
    }
    void selectionChanged(int first, int last) override {
        rowEvent();
        FUZZ_CHECK(first >= 0 && first <= last && last < count());
        for (int row = first; row <= last; ++row)
            selected_[static_cast<std::size_t>(row)] = list_.isSelected(row);
    }
    void columnAlignmentChanged(int column) override {
        FUZZ_CHECK(column >= 0 && column < list_.columnCount());
        alignments_[static_cast<std::size_t>(column)] = list_.columnAlignment(column);
    }
    void columnWidthChanged(int column) override {
        FUZZ_CHECK(column >= 0 && column < list_.columnCount());
        widths_[static_cast<std::size_t>(column)] = list_.columnWidth(column);
    }
    void columnOrderChanged() override { order_ = list_.columnOrder(); }
    void sortIndicatorChanged() override { arrow_ = list_.sortIndicator(); }

    // What the view shows is what the list holds.
    void check() const {
        FUZZ_CHECK(count() == list_.rowCount());
        for (int row = 0; row < count(); ++row)
            FUZZ_CHECK((selected_[static_cast<std::size_t>(row)] != 0) == list_.isSelected(row));
        FUZZ_CHECK(arrow_ == list_.sortIndicator());
        FUZZ_CHECK(order_ == list_.columnOrder());
        for (int column = 0; column < list_.columnCount(); ++column) {
            FUZZ_CHECK(widths_[static_cast<std::size_t>(column)] == list_.columnWidth(column));
            FUZZ_CHECK(alignments_[static_cast<std::size_t>(column)] == list_.columnAlignment(column));
        }
    }

private:
    int count() const { return static_cast<int>(selected_.size()); }
    void rowEvent() const { FUZZ_CHECK(bulkDepth_ == 0); }
    void readRows() {
        selected_.assign(static_cast<std::size_t>(list_.rowCount()), 0);
        for (int row = 0; row < count(); ++row)
            selected_[static_cast<std::size_t>(row)] = list_.isSelected(row) ? 1 : 0;
    }

    const ListModel& list_;
    const int& bulkDepth_;
    std::vector<char> selected_;
    std::optional<SortIndicator> arrow_;
    std::vector<int> order_;
    std::vector<int> widths_;
    std::vector<ColumnAlignment> alignments_;
};

// One run: the list, the plain model beside it, and the view.
class ListRun final {
public:
    explicit ListRun(FuzzInput& input) : input_(input), list_(makeList()), view_(list_, bulkDepth_) {
        columns_ = list_.columnCount();
        filters_.resize(static_cast<std::size_t>(columns_));
        for (int column = 0; column < columns_; ++column) {
            widths_.push_back(list_.columnWidth(column));
            alignments_.push_back(list_.columnAlignment(column));
            order_.push_back(column);
            kinds_.push_back(list_.sortKind(column));
        }
        list_.setObserver(&view_);
    }
    ~ListRun() { list_.setObserver(nullptr); }
    ListRun(const ListRun&) = delete;
    ListRun& operator=(const ListRun&) = delete;

    void run() {
        compare();
        for (std::size_t step = 0; step < kMaxSteps && !input_.empty(); ++step) {
            this->step();
            compare();
        }
        while (bulkDepth_ > 0)
            endBulk();
        compare();
    }

private:
    ListModel makeList() {
        const std::size_t kind = input_.below(3);
        if (kind < 2) {
            registered_ = arrow_ = true;
            return makeReplayListModel(Language(),
                                       kind == 0 ? ReplayListKind::Replays : ReplayListKind::Favourites);
        }
        std::vector<ListColumn> columns(1 + input_.below(6));
        for (std::size_t c = 0; c < columns.size(); ++c) {
            columns[c].header = u"H" + decimal(static_cast<std::int64_t>(c));
            columns[c].width = static_cast<int>(input_.byte()) - 16; // the list makes negative widths 0
        }
        return ListModel(std::move(columns));
    }

    // --- The plain model ------------------------------------------------------------------------------

    bool passes(const PlainRow& row) const {
        for (int column = 0; column < columns_; ++column) {
            const std::u16string& filter = filters_[static_cast<std::size_t>(column)];
            if (!filter.empty() && !beginsIgnoringCase(row.cells[static_cast<std::size_t>(column)], filter))
                return false;
        }
        return true;
    }
    std::vector<std::size_t> shown() const {
        std::vector<std::size_t> indices;
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (passes(rows_[i])) indices.push_back(i);
        return indices;
    }
    int shownRowOf(std::size_t index) const {
        const std::vector<std::size_t> visible = shown();
        const auto it = std::find(visible.begin(), visible.end(), index);
        return it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
    }
    bool validColumn(int column) const { return column >= 0 && column < columns_; }
    bool filtered() const {
        return std::any_of(filters_.begin(), filters_.end(), [](const auto& f) { return !f.empty(); });
    }
    std::optional<SortIndicator> expectedArrow() const {
        if (!registered_ || !arrow_ || lastColumn_ < 0) return std::nullopt;
        return SortIndicator{lastColumn_, lastDirection_};
    }

    // --- Choices from the input -----------------------------------------------------------------------

    // A row index of the shown rows, one off either end now and then.
    int anyRow(std::size_t shownCount) { return static_cast<int>(input_.below(shownCount + 2)) - 1; }
    int anyColumn() { return static_cast<int>(input_.below(static_cast<std::size_t>(columns_) + 2)) - 1; }
    ListColour colour() { return {input_.byte(), input_.byte(), input_.byte()}; }

    std::u16string rowText() {
        // The text as it comes, so that its line breaks split it, or a few cells put in place.
        if (input_.flag()) return input_.text(2 * kMaxCellUnits);
        Cells cells(static_cast<std::size_t>(columns_) + 1);
        for (std::size_t n = 1 + input_.below(4); n > 0; --n)
            cells[input_.below(cells.size())] = input_.text(kMaxCellUnits);
        while (!cells.empty() && cells.back().empty())
            cells.pop_back();
        std::u16string text;
        for (std::size_t c = 0; c < cells.size(); ++c)
            text += (c > 0 ? u"\n" : u"") + cells[c];
        return text;
    }

    RowColours rowColours() {
        RowColours colours;
        const std::uint8_t which = input_.byte();
        if (which & 1) colours.text = colour();
        if (which & 2) colours.background = colour();
        return colours;
    }

    // Often the start of a shown cell, so that filters keep some rows; otherwise any text.
    std::u16string filterText(int column) {
        const std::vector<std::size_t> visible = shown();
        if (input_.flag() && validColumn(column) && !visible.empty()) {
            const auto& cell =
                rows_[visible[input_.below(visible.size())]].cells[static_cast<std::size_t>(column)];
            std::u16string prefix = cell.substr(0, input_.below(cell.size() + 1));
            return input_.flag() ? toLower(prefix) : prefix;
        }
        return input_.text(8);
    }

    // --- Operations -----------------------------------------------------------------------------------

    void step() {
        switch (input_.below(24)) {
        case 0:
        case 1:
        case 2:
        case 3:
            return append();
        case 4:
        case 5:
            return insert();
        case 6:
        case 7:
            return remove();
        case 8:
            return removeAll();
        case 9:
        case 10:
            return select();
        case 11:
            return clearSelection();
        case 12:
            return check();
        case 13:
        case 14:
            return filter();
        case 15:
            return clearFilter();
        case 16:
            return sort(false);
        case 17:
            return sort(true);
        case 18:
            return sorter();
        case 19:
            return sortKind();
        case 20:
            return input_.flag() ? beginBulk() : endBulk();
        case 21:
            return colourRow();
        case 22:
            return colourCell();
        default:
            return columnChange();
        }
    }

    void append() {
        if (rows_.size() >= kMaxRows) return;
        const std::u16string text = rowText();
        const RowColours colours = rowColours();
        rows_.push_back({cellsOf(text, columns_), false, false, colours, {}});
        FUZZ_CHECK(list_.appendRow(text, colours) == shownRowOf(rows_.size() - 1));
    }

    void insert() {
        if (rows_.size() >= kMaxRows) return;
        const std::vector<std::size_t> visible = shown();
        const int position = anyRow(visible.size() + 2) - 1;
        const std::u16string text = rowText();
        const RowColours colours = rowColours();
        // Before the shown row at the position, clamped to the shown rows; past the last at the very end.
        const auto at = static_cast<std::size_t>(std::clamp(position, 0, static_cast<int>(visible.size())));
        const std::size_t index = at < visible.size() ? visible[at] : rows_.size();
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index),
                     PlainRow{cellsOf(text, columns_), false, false, colours, {}});
        FUZZ_CHECK(list_.insertRow(position, text, colours) == shownRowOf(index));
    }

    void remove() {
        const std::vector<std::size_t> visible = shown();
        const int row = anyRow(visible.size());
        const bool valid = row >= 0 && row < static_cast<int>(visible.size());
        FUZZ_CHECK(list_.removeRow(row) == valid);
        if (valid)
            rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(visible[static_cast<std::size_t>(row)]));
    }

    void removeAll() {
        list_.removeAllRows();
        rows_.clear();
    }

    void select() {
        const std::vector<std::size_t> visible = shown();
        const int row = anyRow(visible.size());
        const bool selected = input_.flag();
        const bool valid = row >= 0 && row < static_cast<int>(visible.size());
        FUZZ_CHECK(list_.setSelected(row, selected) == valid);
        if (valid) rows_[visible[static_cast<std::size_t>(row)]].selected = selected;
    }

    void clearSelection() {
        list_.clearSelection();
        for (PlainRow& row : rows_)
            row.selected = false;
    }

    void check() {
        const std::vector<std::size_t> visible = shown();
        const int row = anyRow(visible.size());
        const bool checked = input_.flag();
        const bool valid = row >= 0 && row < static_cast<int>(visible.size());
        FUZZ_CHECK(list_.setChecked(row, checked) == valid);
        if (valid) rows_[visible[static_cast<std::size_t>(row)]].checked = checked;
    }

    // Hidden rows lose their selection whenever the filter changes.
    void deselectHidden() {
        for (PlainRow& row : rows_)
            if (!passes(row)) row.selected = false;
    }

    void filter() {
        const int column = anyColumn();
        const std::u16string text = filterText(column);
        FUZZ_CHECK(list_.setFilterText(column, text) == validColumn(column));
        if (!validColumn(column)) return;
        filters_[static_cast<std::size_t>(column)] = text;
        deselectHidden();
    }

    void clearFilter() {
        list_.clearFilter();
        for (auto& text : filters_)
            text.clear();
    }

    // sortList, or a header click that picks the direction itself.
    void sort(bool click) {
        const int column = anyColumn();
        SortDirection direction = input_.flag() ? SortDirection::Descending : SortDirection::Ascending;
        bool sorts = validColumn(column) && !rows_.empty();
        if (click) {
            sorts = sorts && registered_;
            direction = column == lastColumn_ && lastDirection_ == SortDirection::Ascending
                            ? SortDirection::Descending
                            : SortDirection::Ascending;
            FUZZ_CHECK(list_.headerClicked(column) == sorts);
        } else {
            FUZZ_CHECK(list_.sortList(column, direction) == sorts);
        }
        if (!sorts) return;
        const SortKind kind = kinds_[static_cast<std::size_t>(column)];
        const auto c = static_cast<std::size_t>(column);
        std::stable_sort(rows_.begin(), rows_.end(), [&](const PlainRow& a, const PlainRow& b) {
            return direction == SortDirection::Ascending ? compareCells(kind, a.cells[c], b.cells[c]) < 0
                                                         : compareCells(kind, b.cells[c], a.cells[c]) < 0;
        });
        lastColumn_ = column;
        lastDirection_ = direction;
        // Whatever the plain model says, the shown order is the sorter's.
        for (int row = 1; row < list_.rowCount(); ++row) {
            int order = compareCells(kind, list_.cell(row - 1, column), list_.cell(row, column));
            if (direction == SortDirection::Descending) order = -order;
            FUZZ_CHECK(order <= 0);
        }
    }

    void sorter() {
        lastColumn_ = -1;
        lastDirection_ = SortDirection::Ascending;
        if (input_.flag()) {
            arrow_ = input_.flag();
            registered_ = true;
            list_.registerListSorter(arrow_);
        } else {
            registered_ = arrow_ = false;
            list_.unregisterListSorter();
        }
    }

    void sortKind() {
        const int column = anyColumn();
        const auto kind = static_cast<SortKind>(input_.below(4));
        FUZZ_CHECK(list_.setSortKind(column, kind) == validColumn(column));
        if (validColumn(column)) kinds_[static_cast<std::size_t>(column)] = kind;
    }

    void beginBulk() {
        if (bulkDepth_ >= kMaxBulkDepth) return;
        ++bulkDepth_;
        list_.beginBulkUpdate();
    }

    // One end too many now and then is harmless.
    void endBulk() {
        if (bulkDepth_ > 0) --bulkDepth_;
        list_.endBulkUpdate();
    }

    void colourRow() {
        const std::vector<std::size_t> visible = shown();
        const int row = anyRow(visible.size());
        const bool background = input_.flag();
        const ListColour colour = this->colour();
        const bool valid = row >= 0 && row < static_cast<int>(visible.size());
        FUZZ_CHECK((background ? list_.setRowBackgroundColour(row, colour)
                               : list_.setRowTextColour(row, colour)) == valid);
        if (!valid) return;
        PlainRow& plain = rows_[visible[static_cast<std::size_t>(row)]];
        (background ? plain.colours.background : plain.colours.text) = colour;
        for (auto& [column, own] : plain.own)
            (background ? own.background : own.text).reset();
    }

    void colourCell() {
        const std::vector<std::size_t> visible = shown();
        const int row = anyRow(visible.size());
        const int column = anyColumn();
        const bool background = input_.flag();
        const ListColour colour = this->colour();
        const bool valid = row >= 0 && row < static_cast<int>(visible.size()) && validColumn(column);
        FUZZ_CHECK((background ? list_.setBackgroundColour(row, column, colour)
                               : list_.setTextColour(row, column, colour)) == valid);
        if (!valid) return;
        OwnColours& own = rows_[visible[static_cast<std::size_t>(row)]].own[column];
        (background ? own.background : own.text) = colour;
    }

    // Widths, alignments and the column order.
    void columnChange() {
        const int column = anyColumn();
        const bool valid = validColumn(column);
        switch (input_.below(3)) {
        case 0: {
            const int width = input_.flag() ? input_.int32() : static_cast<int>(input_.byte()) - 16;
            FUZZ_CHECK(list_.setColumnWidth(column, width) == valid);
            if (valid) widths_[static_cast<std::size_t>(column)] = std::max(width, 0);
            return;
        }
        case 1: {
            const auto alignment = static_cast<ColumnAlignment>(input_.below(3));
            FUZZ_CHECK(list_.setColumnAlignment(column, alignment) == valid);
            if (valid) alignments_[static_cast<std::size_t>(column)] = alignment;
            return;
        }
        default: {
            // A shuffle of the current order, or any numbers at all.
            std::vector<int> order = order_;
            if (input_.flag()) {
                for (std::size_t i = order.size(); i > 1; --i)
                    std::swap(order[i - 1], order[input_.below(i)]);
            } else {
                order.resize(input_.below(static_cast<std::size_t>(columns_) + 2));
                for (int& entry : order)
                    entry = anyColumn();
            }
            const bool permutation = isPermutationOf(order, columns_);
            FUZZ_CHECK(list_.setColumnOrder(order) == permutation);
            if (permutation) order_ = order;
            return;
        }
        }
    }

    // --- The comparison -------------------------------------------------------------------------------

    void compare() const {
        const std::vector<std::size_t> visible = shown();
        FUZZ_CHECK(list_.columnCount() == columns_);
        FUZZ_CHECK(list_.totalRowCount() == static_cast<int>(rows_.size()));
        FUZZ_CHECK(list_.rowCount() == static_cast<int>(visible.size()));
        FUZZ_CHECK(list_.rowCount() <= list_.totalRowCount());
        FUZZ_CHECK(list_.isFiltered() == filtered());
        int current = -1;
        for (int row = 0; row < list_.rowCount(); ++row) {
            const PlainRow& plain = rows_[visible[static_cast<std::size_t>(row)]];
            for (int column = 0; column < columns_; ++column) {
                FUZZ_CHECK(list_.cell(row, column) == plain.cells[static_cast<std::size_t>(column)]);
                FUZZ_CHECK(list_.textColour(row, column) == expectedColour(plain, column, false));
                FUZZ_CHECK(list_.backgroundColour(row, column) == expectedColour(plain, column, true));
            }
            FUZZ_CHECK(list_.isSelected(row) == plain.selected);
            FUZZ_CHECK(list_.isChecked(row) == plain.checked);
            if (plain.selected && current < 0) current = row;
        }
        FUZZ_CHECK(list_.currentRow() == current);
        FUZZ_CHECK(list_.cell(list_.rowCount(), 0).empty() && !list_.isSelected(list_.rowCount()));
        for (int column = 0; column < columns_; ++column) {
            const auto c = static_cast<std::size_t>(column);
            FUZZ_CHECK(list_.cell(-1, column) == list_.headerText(column));
            FUZZ_CHECK(list_.filterText(column) == filters_[c]);
            FUZZ_CHECK(list_.columnWidth(column) == widths_[c]);
            FUZZ_CHECK(list_.columnAlignment(column) == alignments_[c]);
            FUZZ_CHECK(list_.sortKind(column) == kinds_[c]);
        }
        FUZZ_CHECK(list_.columnOrder() == order_);
        FUZZ_CHECK(list_.isSorterRegistered() == registered_);
        FUZZ_CHECK(list_.sortIndicator() == expectedArrow());
        if (bulkDepth_ == 0) view_.check();
    }

    FuzzInput& input_;
    bool registered_ = false;
    bool arrow_ = false;
    int bulkDepth_ = 0;
    ListModel list_;
    FollowingView view_;

    int columns_ = 0;
    std::vector<PlainRow> rows_; // every row in list order, hidden ones too
    std::vector<std::u16string> filters_;
    std::vector<int> widths_;
    std::vector<ColumnAlignment> alignments_;
    std::vector<int> order_;
    std::vector<SortKind> kinds_;
    int lastColumn_ = -1;
    SortDirection lastDirection_ = SortDirection::Ascending;
};

} // namespace

void fuzzListModel(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(asBytes(data, size));
    ListRun run(input);
    run.run();
}

} // namespace tapeloft::fuzz
