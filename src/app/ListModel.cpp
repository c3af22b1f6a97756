#include "app/ListModel.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <limits>

namespace tapeloft {

namespace {

constexpr char16_t lineFeed = u'\n';

bool beginsWithLowered(std::u16string_view text, std::u16string_view loweredPrefix) {
    if (text.size() < loweredPrefix.size()) return false;
    for (std::size_t i = 0; i < loweredPrefix.size(); ++i)
        if (toLowerChar(text[i]) != loweredPrefix[i]) return false;
    return true;
}

} // namespace

template <typename Call> void ListModel::notify(Call call) {
    if (observer_) call(*observer_);
}

// Row notifications wait for the end of a bulk update, which then sends a single reset.
template <typename Call> void ListModel::notifyRows(Call call) {
    if (bulkDepth_ > 0) {
        bulkDirty_ = true;
        return;
    }
    notify(call);
}

ListModel::ListModel(std::vector<ListColumn> columns)
    : columns_(std::move(columns)), sortKinds_(columns_.size(), SortKind::Text),
      filterTexts_(columns_.size()) {
    order_.reserve(columns_.size());
    for (auto& column : columns_) {
        column.width = std::max(column.width, 0);
        order_.push_back(static_cast<int>(order_.size()));
    }
}

// --- Columns -------------------------------------------------------------------------------------------

std::u16string_view ListModel::headerText(int column) const {
    return validColumn(column) ? std::u16string_view(columns_[column].header) : std::u16string_view();
}

int ListModel::columnWidth(int column) const {
    return validColumn(column) ? columns_[column].width : 0;
}

bool ListModel::setColumnWidth(int column, int width) {
    if (!validColumn(column)) return false;
    width = std::max(width, 0);
    if (columns_[column].width != width) {
        columns_[column].width = width;
        notify([&](ListObserver& o) { o.columnWidthChanged(column); });
    }
    return true;
}

ColumnAlignment ListModel::columnAlignment(int column) const {
    return validColumn(column) ? columns_[column].alignment : ColumnAlignment::Left;
}

bool ListModel::setColumnAlignment(int column, ColumnAlignment alignment) {
    if (!validColumn(column)) return false;
    if (columns_[column].alignment != alignment) {
        columns_[column].alignment = alignment;
        notify([&](ListObserver& o) { o.columnAlignmentChanged(column); });
    }
    return true;
}

bool ListModel::setColumnOrder(std::span<const int> order) {
    // Anything but a permutation (a file of zeros, a short file) would lose or repeat columns.
    if (order.size() != columns_.size()) return false;
    std::vector<bool> seen(columns_.size(), false);
    for (int column : order) {
        if (!validColumn(column) || seen[column]) return false;
        seen[column] = true;
    }
    if (!std::equal(order.begin(), order.end(), order_.begin())) {
        order_.assign(order.begin(), order.end());
        notify([](ListObserver& o) { o.columnOrderChanged(); });
    }
    return true;
}

// --- Rows ----------------------------------------------------------------------------------------------

int ListModel::rowCount() const {
    return static_cast<int>(isFiltered() ? shown_.size() : rows_.size());
}

std::size_t ListModel::allIndex(int row) const {
    return isFiltered() ? shown_[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

std::u16string_view ListModel::cellOf(const Row& row, int column) const {
    const std::size_t start = row.starts[column];
    const std::size_t end =
        column + 1 < columnCount() ? std::size_t{row.starts[column + 1]} - 1 : row.text.size();
    return std::u16string_view(row.text).substr(start, end - start);
}

std::u16string_view ListModel::cell(int row, int column) const {
    if (row == -1) return headerText(column);
    if (!validRow(row) || !validColumn(column)) return {};
    return cellOf(rowAt(row), column);
}

ListModel::Row ListModel::makeRow(std::u16string_view text, const RowColours& colours) const {
    // Offsets are 32-bit; a row beyond that size keeps what fits.
    text = text.substr(0, std::numeric_limits<std::uint32_t>::max() / 2);
    Row row;
    const std::size_t count = columns_.size();
    row.starts = std::make_unique<std::uint32_t[]>(count);
    // Keep the first count cells as given; the cells that are missing become empty.
    std::size_t pos = 0, kept = 0, cells = 0;
    for (; cells < count; ++cells) {
        if (pos > text.size()) break;
        row.starts[cells] = static_cast<std::uint32_t>(pos);
        const std::size_t lf = text.find(lineFeed, pos);
        kept = lf == std::u16string_view::npos ? text.size() : lf;
        pos = kept + 1;
    }
    row.text.reserve(kept + (count - cells));
    row.text.assign(text.substr(0, kept));
    for (; cells < count; ++cells) {
        if (cells > 0) row.text.push_back(lineFeed);
        row.starts[cells] = static_cast<std::uint32_t>(row.text.size());
    }
    if (colours.text || colours.background) {
        row.colours = std::make_unique<ColourTable>();
        row.colours->row = colours;
    }
    return row;
}

bool ListModel::matchesFilter(const Row& row) const {
    for (const auto& filter : activeFilters_)
        if (!beginsWithLowered(cellOf(row, filter.column), filter.lowered)) return false;
    return true;
}

int ListModel::insertAt(std::size_t all, std::u16string_view text, const RowColours& colours) {
    return insertRowAt(all, makeRow(text, colours));
}

int ListModel::insertRowAt(std::size_t all, Row row) {
    if (!isFiltered()) {
        const int shownRow = static_cast<int>(all);
        notifyRows([&](ListObserver& o) { o.rowsAboutToBeInserted(shownRow, shownRow); });
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(all), std::move(row));
        notifyRows([&](ListObserver& o) { o.rowsInserted(shownRow, shownRow); });
        return shownRow;
    }
    const bool visible = matchesFilter(row);
    const auto next = std::lower_bound(shown_.begin(), shown_.end(), static_cast<std::uint32_t>(all));
    const int shownRow = static_cast<int>(next - shown_.begin());
    if (visible) notifyRows([&](ListObserver& o) { o.rowsAboutToBeInserted(shownRow, shownRow); });
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(all), std::move(row));
    for (auto it = next; it != shown_.end(); ++it)
        ++*it;
    if (!visible) return -1;
    shown_.insert(next, static_cast<std::uint32_t>(all));
    notifyRows([&](ListObserver& o) { o.rowsInserted(shownRow, shownRow); });
    return shownRow;
}

int ListModel::appendRow(std::u16string_view text, const RowColours& colours) {
    return insertAt(rows_.size(), text, colours);
}

int ListModel::insertRow(int position, std::u16string_view text, const RowColours& colours) {
    position = std::clamp(position, 0, rowCount());
    const std::size_t all = position < rowCount() ? allIndex(position) : rows_.size();
    return insertAt(all, text, colours);
}

int ListModel::addRowInOrder(std::u16string_view text, const RowColours& colours) {
    Row row = makeRow(text, colours);
    std::size_t all = rows_.size();
    if (validColumn(lastSortColumn_)) {
        const int column = lastSortColumn_;
        const SortKind kind = sortKinds_[column];
        const bool ascending = lastDirection_ == SortDirection::Ascending;
        const std::u16string_view value = cellOf(row, column);
        // After the rows it equals: where a stable sort puts a row that came last.
        const auto at =
            std::upper_bound(rows_.begin(), rows_.end(), value, [&](std::u16string_view v, const Row& other) {
                const int c = compareCells(kind, v, cellOf(other, column));
                return ascending ? c < 0 : c > 0;
            });
        all = static_cast<std::size_t>(at - rows_.begin());
    }
    return insertRowAt(all, std::move(row));
}

int ListModel::removeRowsWithCell(int column, std::u16string_view text) {
    if (!validColumn(column)) return 0;
    int removed = 0;
    for (std::size_t all = rows_.size(); all-- > 0;) {
        if (cellOf(rows_[all], column) != text) continue;
        eraseAt(all);
        ++removed;
    }
    return removed;
}

void ListModel::eraseAt(std::size_t all) {
    if (!isFiltered()) {
        removeRow(static_cast<int>(all));
        return;
    }
    const auto shown = std::lower_bound(shown_.begin(), shown_.end(), static_cast<std::uint32_t>(all));
    if (shown != shown_.end() && *shown == all) {
        removeRow(static_cast<int>(shown - shown_.begin()));
        return;
    }
    // A hidden row: nobody sees it go, but the shown rows after it move up by one.
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(all));
    for (auto it = shown; it != shown_.end(); ++it)
        --*it;
}

bool ListModel::removeRow(int row) {
    if (!validRow(row)) return false;
    notifyRows([&](ListObserver& o) { o.rowsAboutToBeRemoved(row, row); });
    const std::size_t all = allIndex(row);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(all));
    if (isFiltered()) {
        shown_.erase(shown_.begin() + row);
        for (auto it = shown_.begin() + row; it != shown_.end(); ++it)
            --*it;
    }
    notifyRows([&](ListObserver& o) { o.rowsRemoved(row, row); });
    return true;
}

void ListModel::removeAllRows() {
    if (rows_.empty()) return;
    notifyRows([](ListObserver& o) { o.modelAboutToBeReset(); });
    rows_.clear();
    shown_.clear();
    notifyRows([](ListObserver& o) { o.modelReset(); });
}

bool ListModel::isSelected(int row) const {
    return validRow(row) && rowAt(row).selected;
}

bool ListModel::setSelected(int row, bool selected) {
    if (!validRow(row)) return false;
    Row& r = rowAt(row);
    if (r.selected != selected) {
        r.selected = selected;
        notifyRows([&](ListObserver& o) { o.selectionChanged(row, row); });
    }
    return true;
}

void ListModel::clearSelection() {
    int first = -1, last = -1;
    for (int row = 0, count = rowCount(); row < count; ++row) {
        Row& r = rowAt(row);
        if (!r.selected) continue;
        r.selected = false;
        if (first < 0) first = row;
        last = row;
    }
    // Hidden rows never stay selected (applyFilter), so the shown rows are all there is to clear.
    if (first >= 0) notifyRows([&](ListObserver& o) { o.selectionChanged(first, last); });
}

int ListModel::currentRow() const {
    for (int row = 0, count = rowCount(); row < count; ++row)
        if (rowAt(row).selected) return row;
    return -1;
}

bool ListModel::isChecked(int row) const {
    return validRow(row) && rowAt(row).checked;
}

bool ListModel::setChecked(int row, bool checked) {
    if (!validRow(row)) return false;
    Row& r = rowAt(row);
    if (r.checked != checked) {
        r.checked = checked;
        notifyRows([&](ListObserver& o) { o.rowsChanged(row, row); });
    }
    return true;
}

// --- Colours -------------------------------------------------------------------------------------------

std::optional<ListColour> ListModel::cellColour(int row, int column, bool background) const {
    if (!validRow(row) || !validColumn(column)) return std::nullopt;
    const ColourTable* table = rowAt(row).colours.get();
    if (!table) return std::nullopt;
    for (const auto& cell : table->cells)
        if (cell.column == column) {
            const auto& own = background ? cell.background : cell.text;
            if (own) return own;
            break;
        }
    return background ? table->row.background : table->row.text;
}

std::optional<ListColour> ListModel::textColour(int row, int column) const {
    return cellColour(row, column, false);
}

std::optional<ListColour> ListModel::backgroundColour(int row, int column) const {
    return cellColour(row, column, true);
}

bool ListModel::setCellColour(int row, int column, ListColour colour, bool background) {
    if (!validRow(row) || !validColumn(column)) return false;
    auto& table = rowAt(row).colours;
    if (!table) table = std::make_unique<ColourTable>();
    auto cell = std::find_if(table->cells.begin(), table->cells.end(),
                             [&](const CellColour& c) { return c.column == column; });
    if (cell == table->cells.end()) {
        table->cells.push_back({column, std::nullopt, std::nullopt});
        cell = table->cells.end() - 1;
    }
    (background ? cell->background : cell->text) = colour;
    notifyRows([&](ListObserver& o) { o.rowsChanged(row, row); });
    return true;
}

bool ListModel::setRowColour(int row, ListColour colour, bool background) {
    if (!validRow(row)) return false;
    auto& table = rowAt(row).colours;
    if (!table) table = std::make_unique<ColourTable>();
    (background ? table->row.background : table->row.text) = colour;
    // Every cell now has this colour: drop the single-cell ones it replaces.
    for (auto& cell : table->cells)
        (background ? cell.background : cell.text).reset();
    std::erase_if(table->cells, [](const CellColour& c) { return !c.text && !c.background; });
    notifyRows([&](ListObserver& o) { o.rowsChanged(row, row); });
    return true;
}

bool ListModel::setTextColour(int row, int column, ListColour colour) {
    return setCellColour(row, column, colour, false);
}

bool ListModel::setBackgroundColour(int row, int column, ListColour colour) {
    return setCellColour(row, column, colour, true);
}

bool ListModel::setRowTextColour(int row, ListColour colour) {
    return setRowColour(row, colour, false);
}

bool ListModel::setRowBackgroundColour(int row, ListColour colour) {
    return setRowColour(row, colour, true);
}

void ListModel::endBulkUpdate() {
    if (bulkDepth_ == 0 || --bulkDepth_ > 0 || !bulkDirty_) return;
    bulkDirty_ = false;
    notify([](ListObserver& o) {
        o.modelAboutToBeReset();
        o.modelReset();
    });
}

// --- Column sorter -------------------------------------------------------------------------------------

void ListModel::registerListSorter(bool showArrow) {
    const auto before = sortIndicator();
    sorterRegistered_ = true;
    showArrow_ = showArrow;
    lastSortColumn_ = -1;
    lastDirection_ = SortDirection::Ascending;
    if (before) notify([](ListObserver& o) { o.sortIndicatorChanged(); });
}

void ListModel::unregisterListSorter() {
    const auto before = sortIndicator();
    sorterRegistered_ = false;
    showArrow_ = false;
    lastSortColumn_ = -1;
    lastDirection_ = SortDirection::Ascending;
    if (before) notify([](ListObserver& o) { o.sortIndicatorChanged(); });
}

bool ListModel::setSortKind(int column, SortKind kind) {
    if (!validColumn(column)) return false;
    sortKinds_[column] = kind;
    return true;
}

SortKind ListModel::sortKind(int column) const {
    return validColumn(column) ? sortKinds_[column] : SortKind::Text;
}

std::optional<SortIndicator> ListModel::sortIndicator() const {
    if (!sorterRegistered_ || !showArrow_ || lastSortColumn_ < 0) return std::nullopt;
    return SortIndicator{lastSortColumn_, lastDirection_};
}

bool ListModel::sortList(int column, SortDirection direction) {
    if (!validColumn(column) || rows_.empty()) return false;
    if (direction != SortDirection::Descending) direction = SortDirection::Ascending;

    std::vector<std::u16string_view> cells;
    cells.reserve(rows_.size());
    for (const auto& row : rows_)
        cells.push_back(cellOf(row, column));
    // order[k] is the old index of the row that goes to position k.
    const std::vector<std::uint32_t> order = sortedOrder(cells, sortKinds_[column], direction);
    cells.clear();

    notifyRows([](ListObserver& o) { o.layoutAboutToBeChanged(); });
    const std::size_t total = rows_.size();
    std::vector<Row> sorted(total);
    std::vector<std::uint32_t> newIndex(total);
    for (std::size_t k = 0; k < total; ++k) {
        sorted[k] = std::move(rows_[order[k]]);
        newIndex[order[k]] = static_cast<std::uint32_t>(k);
    }
    rows_.swap(sorted);

    // The shown set stays the same; only its order follows the rows.
    std::vector<int> newRowOfOldRow;
    if (isFiltered()) {
        std::vector<int> shownAt(total, -1);
        for (std::size_t r = 0; r < shown_.size(); ++r)
            shownAt[newIndex[shown_[r]]] = 0;
        std::vector<std::uint32_t> shown;
        shown.reserve(shown_.size());
        for (std::size_t k = 0; k < total; ++k)
            if (shownAt[k] == 0) {
                shownAt[k] = static_cast<int>(shown.size());
                shown.push_back(static_cast<std::uint32_t>(k));
            }
        newRowOfOldRow.resize(shown_.size());
        for (std::size_t r = 0; r < shown_.size(); ++r)
            newRowOfOldRow[r] = shownAt[newIndex[shown_[r]]];
        shown_.swap(shown);
    } else {
        newRowOfOldRow.assign(newIndex.begin(), newIndex.end());
    }
    notifyRows([&](ListObserver& o) { o.layoutChanged(newRowOfOldRow); });

    const auto before = sortIndicator();
    lastSortColumn_ = column;
    lastDirection_ = direction;
    if (before != sortIndicator()) notify([](ListObserver& o) { o.sortIndicatorChanged(); });
    return true;
}

bool ListModel::headerClicked(int column) {
    if (!sorterRegistered_ || !validColumn(column) || rows_.empty()) return false;
    SortDirection direction = SortDirection::Ascending;
    if (column == lastSortColumn_)
        direction =
            lastDirection_ == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending;
    return sortList(column, direction);
}

// --- Filter --------------------------------------------------------------------------------------------

bool ListModel::setFilterText(int column, std::u16string_view text) {
    if (!validColumn(column)) return false;
    if (filterTexts_[column] == text) return true;
    filterTexts_[column] = std::u16string(text);
    applyFilter();
    return true;
}

std::u16string_view ListModel::filterText(int column) const {
    return validColumn(column) ? std::u16string_view(filterTexts_[column]) : std::u16string_view();
}

void ListModel::clearFilter() {
    bool changed = false;
    for (auto& text : filterTexts_) {
        changed = changed || !text.empty();
        text.clear();
    }
    if (changed) applyFilter();
}

void ListModel::applyFilter() {
    notifyRows([](ListObserver& o) { o.layoutAboutToBeChanged(); });
    const std::vector<std::uint32_t> oldShown = std::move(shown_);
    const bool wasFiltered = isFiltered();
    const std::size_t oldCount = wasFiltered ? oldShown.size() : rows_.size();

    activeFilters_.clear();
    for (int column = 0; column < columnCount(); ++column)
        if (!filterTexts_[column].empty()) activeFilters_.push_back({column, toLower(filterTexts_[column])});

    // newShownAt[i]: shown row of rows_[i] under the new filter, -1 when hidden.
    std::vector<int> newShownAt(rows_.size(), -1);
    shown_.clear();
    int next = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!matchesFilter(rows_[i])) {
            // A hidden row must not be acted on by commands on the selected rows.
            rows_[i].selected = false;
            continue;
        }
        newShownAt[i] = next++;
        if (isFiltered()) shown_.push_back(static_cast<std::uint32_t>(i));
    }

    std::vector<int> newRowOfOldRow(oldCount);
    for (std::size_t r = 0; r < oldCount; ++r)
        newRowOfOldRow[r] = newShownAt[wasFiltered ? oldShown[r] : r];
    notifyRows([&](ListObserver& o) { o.layoutChanged(newRowOfOldRow); });
}

} // namespace tapeloft
