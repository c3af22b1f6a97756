#include "gui/ListViewBinder.h"

#include "gui/ListTableModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>
#include <utility>
#include <vector>

namespace tapeloft {

namespace {

// Sets a flag for the lifetime of the scope and restores its previous value.
class FlagScope final {
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    ~FlagScope() { flag_ = previous_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace

ListViewBinder::ListViewBinder(QTableView& view, ListTableModel& model)
    : QObject(&view), view_(view), model_(&model) {
    view_.setModel(&model);
    view_.setSelectionBehavior(QAbstractItemView::SelectRows);
    // The core sorts; the view must never ask the model to.
    view_.setSortingEnabled(false);
    QHeaderView* header = view_.horizontalHeader();
    header->setSectionsClickable(true);

    connect(header, &QHeaderView::sectionClicked, this, &ListViewBinder::onSectionClicked);
    connect(header, &QHeaderView::sectionResized, this, &ListViewBinder::onSectionResized);
    connect(header, &QHeaderView::sectionMoved, this, &ListViewBinder::onSectionMoved);
    connect(view_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListViewBinder::onViewSelectionChanged);

    connect(&model, &ListTableModel::listColumnWidthChanged, this, &ListViewBinder::applyWidth);
    connect(&model, &ListTableModel::listColumnOrderChanged, this, &ListViewBinder::applyOrder);
    connect(&model, &ListTableModel::listSortIndicatorChanged, this, &ListViewBinder::applySortIndicator);
    connect(&model, &ListTableModel::listSelectionChanged, this, &ListViewBinder::applySelection);
    // A reset clears the view's selection (the core keeps its own), so the view takes it from the core again.
    // The view's own reset handlers were connected by setModel above and so run first.
    connect(&model, &QAbstractItemModel::modelReset, this, &ListViewBinder::applyAll);

    applyAll();
}

ListModel& ListViewBinder::list() {
    return model_->list();
}

void ListViewBinder::applyAll() {
    if (!model_) return;
    for (int column = 0; column < list().columnCount(); ++column)
        applyWidth(column);
    applyOrder();
    applySortIndicator();
    applySelection(0, list().rowCount() - 1);
}

void ListViewBinder::applyWidth(int column) {
    if (!model_ || column < 0 || column >= list().columnCount()) return;
    FlagScope scope(applying_);
    QHeaderView* header = view_.horizontalHeader();
    const int width = list().columnWidth(column);
    if (width == 0) {
        header->setSectionHidden(column, true);
        return;
    }
    header->setSectionHidden(column, false);
    header->resizeSection(column, width);
}

void ListViewBinder::applyOrder() {
    if (!model_) return;
    FlagScope scope(applying_);
    QHeaderView* header = view_.horizontalHeader();
    const std::vector<int> order = list().columnOrder();
    for (int position = 0; position < static_cast<int>(order.size()); ++position) {
        const int current = header->visualIndex(order[static_cast<std::size_t>(position)]);
        if (current >= 0 && current != position) header->moveSection(current, position);
    }
}

void ListViewBinder::applySortIndicator() {
    if (!model_) return;
    QHeaderView* header = view_.horizontalHeader();
    const auto indicator = list().sortIndicator();
    if (!indicator) {
        header->setSortIndicatorShown(false);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    header->setSortIndicator(indicator->column, indicator->direction == SortDirection::Descending
                                                    ? Qt::DescendingOrder
                                                    : Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
}

void ListViewBinder::applySelection(int first, int last) {
    if (!model_ || applying_) return;
    first = std::max(first, 0);
    last = std::min(last, list().rowCount() - 1);
    const int lastColumn = model_->columnCount() - 1;
    if (first > last || lastColumn < 0) return;
    FlagScope scope(applying_);
    QItemSelection select, deselect;
    // Runs of equal state become one range each.
    for (int row = first; row <= last;) {
        const bool selected = list().isSelected(row);
        int end = row;
        while (end + 1 <= last && list().isSelected(end + 1) == selected)
            ++end;
        (selected ? select : deselect)
            .append(QItemSelectionRange(model_->index(row, 0), model_->index(end, lastColumn)));
        row = end + 1;
    }
    QItemSelectionModel* selection = view_.selectionModel();
    if (!deselect.isEmpty()) selection->select(deselect, QItemSelectionModel::Deselect);
    if (!select.isEmpty()) selection->select(select, QItemSelectionModel::Select);
}

void ListViewBinder::onSectionClicked(int column) {
    if (!model_) return;
    list().headerClicked(column);
    // The header turns its own arrow on a click; the core's arrow is the one to show, even when it did not
    // sort.
    applySortIndicator();
}

void ListViewBinder::onSectionResized(int column, int, int newSize) {
    if (!model_ || applying_) return;
    FlagScope scope(applying_);
    list().setColumnWidth(column, view_.horizontalHeader()->isSectionHidden(column) ? 0 : newSize);
}

void ListViewBinder::onSectionMoved() {
    if (!model_ || applying_) return;
    FlagScope scope(applying_);
    const QHeaderView* header = view_.horizontalHeader();
    std::vector<int> order(static_cast<std::size_t>(header->count()));
    for (int position = 0; position < header->count(); ++position)
        order[static_cast<std::size_t>(position)] = header->logicalIndex(position);
    list().setColumnOrder(order);
}

void ListViewBinder::onViewSelectionChanged(const QItemSelection& selected,
                                            const QItemSelection& deselected) {
    if (!model_ || applying_) return;
    FlagScope scope(applying_);
    // A row counts as selected while any of its cells is; the final state is asked, so rows in both lists are
    // fine.
    const QItemSelectionModel* selection = view_.selectionModel();
    for (const QItemSelection* ranges : {&selected, &deselected})
        for (const QItemSelectionRange& range : *ranges)
            for (int row = range.top(); row <= range.bottom(); ++row)
                list().setSelected(row, selection->rowIntersectsSelection(row, {}));
}

} // namespace tapeloft
