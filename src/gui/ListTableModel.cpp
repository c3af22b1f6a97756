#include "gui/ListTableModel.h"

#include "gui/QtText.h"

#include <QBrush>
#include <QColor>

#include <vector>

namespace tapeloft {

namespace {

QVariant brushOf(const std::optional<ListColour>& colour) {
    if (!colour) return {};
    return QBrush(QColor(colour->red, colour->green, colour->blue));
}

Qt::Alignment alignmentOf(ColumnAlignment alignment) {
    switch (alignment) {
    case ColumnAlignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlignment::Centre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// True when the rows were only reordered: every old row has a distinct new place and none went or came.
bool isPermutation(std::span<const int> newRowOfOldRow, int rowCount) {
    if (static_cast<int>(newRowOfOldRow.size()) != rowCount) return false;
    std::vector<bool> taken(newRowOfOldRow.size(), false);
    for (int row : newRowOfOldRow) {
        if (row < 0 || row >= rowCount || taken[static_cast<std::size_t>(row)]) return false;
        taken[static_cast<std::size_t>(row)] = true;
    }
    return true;
}

} // namespace

ListTableModel::ListTableModel(ListModel& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {
    list_.setObserver(&observer_);
}

ListTableModel::~ListTableModel() {
    list_.setObserver(nullptr);
}

void ListTableModel::setCheckable(bool checkable) {
    if (checkable_ == checkable) return;
    checkable_ = checkable;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.rowCount();
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.columnCount();
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return toQString(list_.cell(row, column));
    case Qt::ForegroundRole:
        return brushOf(list_.textColour(row, column));
    case Qt::BackgroundRole:
        return brushOf(list_.backgroundColour(row, column));
    case Qt::TextAlignmentRole:
        return static_cast<int>(alignmentOf(list_.columnAlignment(column)));
    case Qt::CheckStateRole:
        if (checkable_ && column == 0) return list_.isChecked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ListTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkable_ || index.column() != 0) return false;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return false;
    // The core announces the change itself (rowsChanged), which becomes dataChanged.
    return list_.setChecked(index.row(), value.toInt() == Qt::Checked);
}

Qt::ItemFlags ListTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkable_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= list_.columnCount() || role != Qt::DisplayRole) return {};
    return toQString(list_.headerText(section));
}

// --- Core notifications --------------------------------------------------------------------------------

// The core announces sorting and filtering alike before it knows what happens to the row count, so the Qt
// signals wait for the end, which tells: a reorder keeps every persistent index on its row, while a filter
// that hides or shows rows resets the model.
void ListTableModel::relayout(std::span<const int> newRowOfOldRow) {
    if (static_cast<int>(newRowOfOldRow.size()) != rowsBeforeLayout_ ||
        !isPermutation(newRowOfOldRow, list_.rowCount())) {
        beginResetModel();
        endResetModel();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int row = old.row();
        if (row >= 0 && row < static_cast<int>(newRowOfOldRow.size()))
            to.append(index(newRowOfOldRow[static_cast<std::size_t>(row)], old.column()));
        else
            to.append(QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListTableModel::announceRowsChanged(int first, int last) {
    if (first < 0 || last < first || last >= rowCount() || columnCount() == 0) return;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void ListTableModel::announceAlignmentChanged(int column) {
    if (rowCount() > 0 && column >= 0 && column < columnCount())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

} // namespace tapeloft
