#pragma once

#include "app/ListModel.h"

#include <QAbstractTableModel>

namespace tapeloft {

// Shows one core ListModel to Qt views. It keeps no rows of its own: every call reads the core model, and
// the core's change notifications become the matching Qt signals. The core model must outlive it.
class ListTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // Becomes the core model's observer (the core model has one at a time) until destroyed.
    explicit ListTableModel(ListModel& list, QObject* parent = nullptr);
    ~ListTableModel() override;

    ListModel& list() { return list_; }
    const ListModel& list() const { return list_; }

    // Lists with check boxes show each row's check mark in column 0, and the user can toggle it.
    void setCheckable(bool checkable);
    bool isCheckable() const { return checkable_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // An invalid QVariant for an unknown cell or a role the list has nothing for.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Only the check mark of a checkable list can be set; false for anything else.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Horizontal: the column's header text; an invalid QVariant for an unknown column.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Core changes that are not about the rows, for the view binder.
    void listSelectionChanged(int first, int last);
    void listColumnWidthChanged(int column);
    void listColumnOrderChanged();
    void listSortIndicatorChanged();

private:
    // The core's notifications, under names of their own: most ListObserver names are also Qt signals.
    class CoreObserver final : public ListObserver {
    public:
        explicit CoreObserver(ListTableModel& owner) : owner_(owner) {}
        void rowsAboutToBeInserted(int first, int last) override { owner_.beginInsertRows({}, first, last); }
        void rowsInserted(int, int) override { owner_.endInsertRows(); }
        void rowsAboutToBeRemoved(int first, int last) override { owner_.beginRemoveRows({}, first, last); }
        void rowsRemoved(int, int) override { owner_.endRemoveRows(); }
        void modelAboutToBeReset() override { owner_.beginResetModel(); }
        void modelReset() override { owner_.endResetModel(); }
        void layoutAboutToBeChanged() override { owner_.rowsBeforeLayout_ = owner_.list_.rowCount(); }
        void layoutChanged(std::span<const int> newRowOfOldRow) override { owner_.relayout(newRowOfOldRow); }
        void rowsChanged(int first, int last) override { owner_.announceRowsChanged(first, last); }
        void selectionChanged(int first, int last) override { emit owner_.listSelectionChanged(first, last); }
        void columnAlignmentChanged(int column) override { owner_.announceAlignmentChanged(column); }
        void columnWidthChanged(int column) override { emit owner_.listColumnWidthChanged(column); }
        void columnOrderChanged() override { emit owner_.listColumnOrderChanged(); }
        void sortIndicatorChanged() override { emit owner_.listSortIndicatorChanged(); }

    private:
        ListTableModel& owner_;
    };

    void relayout(std::span<const int> newRowOfOldRow);
    void announceRowsChanged(int first, int last);
    void announceAlignmentChanged(int column);

    ListModel& list_;
    bool checkable_ = false;
    int rowsBeforeLayout_ = 0;
    CoreObserver observer_{*this};
};

} // namespace tapeloft
