#pragma once

#include <QHeaderView>
#include <QTimer>

#include <set>
#include <vector>

class QLineEdit;

namespace tapeloft {

// A horizontal list header with an optional filter bar: one text box per column under the section titles,
// following the sections as they are resized, moved, hidden and scrolled. A change of a box is reported
// once no box has changed for filterDelayMs.
class FilterHeader final : public QHeaderView {
    Q_OBJECT

public:
    static constexpr int filterDelayMs = 200;

    explicit FilterHeader(QWidget* parent = nullptr);

    // Showing the bar starts with empty boxes; hiding it empties them without reporting anything.
    void setFilterBarVisible(bool visible);
    bool isFilterBarVisible() const { return barVisible_; }
    // The box of a column (its logical index); null for an unknown column.
    QLineEdit* filterEditor(int column) const;

    QSize sizeHint() const override;

signals:
    // A box's text, after the quiet time.
    void filterEdited(int column, const QString& text);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int titleHeight() const;
    void ensureEditors();
    void positionEditors();
    void boxChanged(int column);
    void reportPending();

    std::vector<QLineEdit*> editors_;
    std::set<int> pending_;
    QTimer quiet_;
    bool barVisible_ = false;
};

} // namespace tapeloft
