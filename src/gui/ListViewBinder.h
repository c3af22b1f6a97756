#pragma once

#include <QObject>
#include <QPointer>

class QItemSelection;
class QTableView;

namespace tapeloft {

class ListModel;
class ListTableModel;

// Keeps a table view and its core list in step both ways: header clicks sort through the core and show
// its sort arrow; core widths size or hide the sections (width 0 hides) and user resizing sets the core
// widths; dragged sections set the core column order and a new core order moves the sections; the view's
// selected rows are the core's selected rows. Section numbers are the core's column numbers.
class ListViewBinder final : public QObject {
    Q_OBJECT

public:
    // Puts the model into the view and brings the view to the core's state. Lives as a child of the view.
    ListViewBinder(QTableView& view, ListTableModel& model);

    // Applies every core column width, the column order, the sort arrow and the selection to the view.
    void applyAll();

private:
    ListModel& list();
    void applyWidth(int column);
    void applyOrder();
    void applySortIndicator();
    // Rows first..last of the view take the core's selection states.
    void applySelection(int first, int last);

    void onSectionClicked(int column);
    void onSectionResized(int column, int oldSize, int newSize);
    void onSectionMoved();
    void onViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    QTableView& view_;
    QPointer<ListTableModel> model_;
    // Set while the binder itself changes one side, so that side's echo is not sent back.
    bool applying_ = false;
};

} // namespace tapeloft
