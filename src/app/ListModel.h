#pragma once

#include "app/ListSorter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The rows, columns, colours, sorting and filtering behind every list of the program. Views show it
// through a thin adapter that listens to ListObserver.
namespace tapeloft {

enum class ColumnAlignment { Left, Right, Centre };

// A cell colour by its components. Colours written in the platform's format, with blue in the high
// byte (0x00BBGGRR), are read with fromColorRef; plain 0xRRGGBB values with fromRgb.
struct ListColour final {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    static constexpr ListColour fromRgb(std::uint32_t rgb) {
        return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                static_cast<std::uint8_t>(rgb)};
    }
    static constexpr ListColour fromColorRef(std::uint32_t bgr) {
        return {static_cast<std::uint8_t>(bgr), static_cast<std::uint8_t>(bgr >> 8),
                static_cast<std::uint8_t>(bgr >> 16)};
    }
    // 0xRRGGBB.
    constexpr std::uint32_t rgb() const {
        return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | std::uint32_t{blue};
    }
    friend constexpr bool operator==(const ListColour&, const ListColour&) = default;
};

struct ListColumn final {
    std::u16string header;
    int width = 100; // 0 hides the column
    ColumnAlignment alignment = ColumnAlignment::Left;
};

// Colours given to every cell of a row as it is added.
struct RowColours final {
    std::optional<ListColour> text;
    std::optional<ListColour> background;
};

// The header's sort arrow.
struct SortIndicator final {
    int column = -1;
    SortDirection direction = SortDirection::Ascending;
    friend bool operator==(const SortIndicator&, const SortIndicator&) = default;
};

// Change notifications, in the terms of the shown rows. Between a begin/end pair of a bulk update only
// one modelAboutToBeReset/modelReset pair arrives, at its end, for all row changes made meanwhile.
class ListObserver {
public:
    virtual ~ListObserver() = default;

    virtual void rowsAboutToBeInserted(int /*first*/, int /*last*/) {}
    virtual void rowsInserted(int /*first*/, int /*last*/) {}
    virtual void rowsAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void rowsRemoved(int /*first*/, int /*last*/) {}
    virtual void modelAboutToBeReset() {}
    virtual void modelReset() {}
    // Sorting and filtering. newRowOfOldRow[r] is where shown row r went, -1 when a filter hid it;
    // the number of shown rows can change, and rows a filter hides lose their selection.
    virtual void layoutAboutToBeChanged() {}
    virtual void layoutChanged(std::span<const int> /*newRowOfOldRow*/) {}
    // Colours or check states of the rows changed.
    virtual void rowsChanged(int /*first*/, int /*last*/) {}
    virtual void selectionChanged(int /*first*/, int /*last*/) {}
    virtual void columnAlignmentChanged(int /*column*/) {}
    virtual void columnWidthChanged(int /*column*/) {}
    virtual void columnOrderChanged() {}
    virtual void sortIndicatorChanged() {}
};

class ListModel final {
public:
    ListModel() = default;
    explicit ListModel(std::vector<ListColumn> columns);

    ListModel(const ListModel&) = delete;
    ListModel& operator=(const ListModel&) = delete;
    ListModel(ListModel&&) noexcept = default;
    ListModel& operator=(ListModel&&) noexcept = default;
    ~ListModel() = default;

    // One observer at a time; nullptr detaches. The model does not own it.
    void setObserver(ListObserver* observer) { observer_ = observer; }

    // --- Columns, by their number in creation order ---------------------------------------------------
    int columnCount() const { return static_cast<int>(columns_.size()); }
    // Empty for an unknown column.
    std::u16string_view headerText(int column) const;
    // 0 for an unknown column.
    int columnWidth(int column) const;
    // Negative widths count as 0 (hidden). False for an unknown column.
    bool setColumnWidth(int column, int width);
    // Left for an unknown column.
    ColumnAlignment columnAlignment(int column) const;
    // False for an unknown column.
    bool setColumnAlignment(int column, ColumnAlignment alignment);
    // Entry k is the number of the column shown at display position k.
    std::vector<int> columnOrder() const { return order_; }
    // False, and the order unchanged, unless order is a permutation of all column numbers.
    bool setColumnOrder(std::span<const int> order);

    // --- Rows; every row index is an index of the shown rows ---------------------------------------------
    int rowCount() const;
    // Rows kept by the model, including those the filter hides.
    int totalRowCount() const { return static_cast<int>(rows_.size()); }
    // Row -1 gives the header. Empty for an unknown row or column. The view lasts until rows are next
    // added, removed or sorted.
    std::u16string_view cell(int row, int column) const;
    // Adds a row from LF-joined cells (missing trailing cells are empty, extra ones ignored). Returns its
    // row index, or -1 when the current filter hides it (it is kept and shows once the filter allows).
    int appendRow(std::u16string_view text, const RowColours& colours = {});
    // The same before shown row position; position is clamped to 0..rowCount().
    int insertRow(int position, std::u16string_view text, const RowColours& colours = {});
    // Adds a row where the last sort would have put it, after the rows it equals, or at the end when the
    // list was never sorted. Returns its row index, or -1 when the filter hides it. Other rows keep their
    // selection.
    int addRowInOrder(std::u16string_view text, const RowColours& colours = {});
    // False for an unknown row.
    bool removeRow(int row);
    // Removes every row, hidden ones included, whose cell in the column is the text; returns how many.
    int removeRowsWithCell(int column, std::u16string_view text);
    // Removes every row, hidden ones included.
    void removeAllRows();

    // False for an unknown row.
    bool isSelected(int row) const;
    // False for an unknown row.
    bool setSelected(int row, bool selected);
    void clearSelection();
    // The lowest selected row, or -1 when none is selected.
    int currentRow() const;
    // False for an unknown row.
    bool isChecked(int row) const;
    // False for an unknown row.
    bool setChecked(int row, bool checked);

    // nullopt when the cell has no colour of its own, or for an unknown cell.
    std::optional<ListColour> textColour(int row, int column) const;
    std::optional<ListColour> backgroundColour(int row, int column) const;
    // One cell. False for an unknown cell.
    bool setTextColour(int row, int column, ListColour colour);
    bool setBackgroundColour(int row, int column, ListColour colour);
    // Every cell of the row, replacing colours set on single cells. False for an unknown row.
    bool setRowTextColour(int row, ListColour colour);
    bool setRowBackgroundColour(int row, ListColour colour);

    // Row changes between these send one reset at the end instead of one notification each. Nests.
    void beginBulkUpdate() { ++bulkDepth_; }
    void endBulkUpdate();

    // --- Column sorter -------------------------------------------------------------------------------
    // Header clicks sort from now on. Registering again starts afresh: no last column, no arrow.
    void registerListSorter(bool showArrow);
    void unregisterListSorter();
    bool isSorterRegistered() const { return sorterRegistered_; }
    // Columns sort as text until set. False for an unknown column.
    bool setSortKind(int column, SortKind kind);
    // Text for an unknown column.
    SortKind sortKind(int column) const;
    // Sorts all rows stably by the column in the direction, as a header click does, and remembers it
    // for the next click. False, and nothing done, when the list has no rows or the column is unknown.
    bool sortList(int column, SortDirection direction);
    // A click on a column header: ascending for a new column, the other direction for the last sorted
    // one. False, and nothing done, when the sorter is not registered, the column is unknown or the
    // list has no rows at all (rows the filter hides count).
    bool headerClicked(int column);
    // The arrow the header shows: none before the first sort or when registered without an arrow.
    std::optional<SortIndicator> sortIndicator() const;

    // --- Filter --------------------------------------------------------------------------------------
    // A row shows when, for every column with a non-empty filter text, its cell begins with that text
    // ignoring letter case. False for an unknown column.
    bool setFilterText(int column, std::u16string_view text);
    // Empty for an unknown column.
    std::u16string_view filterText(int column) const;
    // Empties every filter text, so every row shows again.
    void clearFilter();
    bool isFiltered() const { return !activeFilters_.empty(); }

private:
    struct CellColour {
        int column = 0;
        std::optional<ListColour> text;
        std::optional<ListColour> background;
    };
    struct ColourTable {
        RowColours row;
        std::vector<CellColour> cells; // only cells that differ from the row's colours
    };
    struct Row {
        std::u16string text;                     // exactly columnCount cells joined by LF
        std::unique_ptr<std::uint32_t[]> starts; // start of each cell in text
        std::unique_ptr<ColourTable> colours;    // null while the row has no colour
        bool selected = false;
        bool checked = false;
    };
    struct Filter {
        int column = 0;
        std::u16string lowered;
    };

    Row makeRow(std::u16string_view text, const RowColours& colours) const;
    std::u16string_view cellOf(const Row& row, int column) const;
    bool validRow(int row) const { return row >= 0 && row < rowCount(); }
    bool validColumn(int column) const { return column >= 0 && column < columnCount(); }
    Row& rowAt(int row) { return rows_[allIndex(row)]; }
    const Row& rowAt(int row) const { return rows_[allIndex(row)]; }
    std::size_t allIndex(int row) const;
    bool matchesFilter(const Row& row) const;
    int insertAt(std::size_t all, std::u16string_view text, const RowColours& colours);
    int insertRowAt(std::size_t all, Row row);
    void eraseAt(std::size_t all);
    void applyFilter();
    bool setCellColour(int row, int column, ListColour colour, bool background);
    bool setRowColour(int row, ListColour colour, bool background);
    std::optional<ListColour> cellColour(int row, int column, bool background) const;

    template <typename Call> void notifyRows(Call call);
    template <typename Call> void notify(Call call);

    std::vector<ListColumn> columns_;
    std::vector<int> order_;
    std::vector<SortKind> sortKinds_;

    std::vector<Row> rows_;            // all rows, in list order
    std::vector<std::uint32_t> shown_; // indices into rows_ of the shown rows, while filtered
    std::vector<std::u16string> filterTexts_;
    std::vector<Filter> activeFilters_;

    bool sorterRegistered_ = false;
    bool showArrow_ = false;
    int lastSortColumn_ = -1;
    SortDirection lastDirection_ = SortDirection::Ascending;

    ListObserver* observer_ = nullptr;
    int bulkDepth_ = 0;
    bool bulkDirty_ = false;
};

} // namespace tapeloft
