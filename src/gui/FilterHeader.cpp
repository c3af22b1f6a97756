#include "gui/FilterHeader.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>

namespace tapeloft {

FilterHeader::FilterHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(filterDelayMs);
    connect(&quiet_, &QTimer::timeout, this, &FilterHeader::reportPending);
    connect(this, &QHeaderView::sectionResized, this, [this] {
        positionEditors();
        // Hiding and showing a section resize it before its hidden flag changes; look again once it has.
        QTimer::singleShot(0, this, &FilterHeader::positionEditors);
    });
    connect(this, &QHeaderView::sectionMoved, this, &FilterHeader::positionEditors);
    connect(this, &QHeaderView::sectionCountChanged, this, &FilterHeader::positionEditors);
}

int FilterHeader::titleHeight() const {
    return QHeaderView::sizeHint().height();
}

QSize FilterHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (barVisible_) size.rheight() += QLineEdit().sizeHint().height();
    return size;
}

void FilterHeader::setFilterBarVisible(bool visible) {
    if (visible == barVisible_) return;
    barVisible_ = visible;
    quiet_.stop();
    pending_.clear();
    ensureEditors();
    for (QLineEdit* editor : editors_) {
        const QSignalBlocker blocker(editor);
        editor->clear();
    }
    positionEditors();
    // The view takes the new height from sizeHint when it lays out its headers again.
    emit geometriesChanged();
    viewport()->update();
}

QLineEdit* FilterHeader::filterEditor(int column) const {
    if (column < 0 || column >= static_cast<int>(editors_.size())) return nullptr;
    return editors_[static_cast<std::size_t>(column)];
}

void FilterHeader::ensureEditors() {
    while (static_cast<int>(editors_.size()) < count()) {
        const int column = static_cast<int>(editors_.size());
        auto* editor = new QLineEdit(viewport());
        editor->setObjectName(QStringLiteral("filter%1").arg(column));
        editor->hide();
        connect(editor, &QLineEdit::textChanged, this, [this, column] { boxChanged(column); });
        editors_.push_back(editor);
    }
}

void FilterHeader::positionEditors() {
    if (barVisible_) ensureEditors();
    const int top = titleHeight();
    const int height = viewport()->height() - top;
    for (int column = 0; column < static_cast<int>(editors_.size()); ++column) {
        QLineEdit* editor = editors_[static_cast<std::size_t>(column)];
        const bool shown = barVisible_ && column < count() && !isSectionHidden(column) &&
                           sectionSize(column) > 0 && height > 0;
        if (shown) editor->setGeometry(sectionViewportPosition(column), top, sectionSize(column), height);
        editor->setVisible(shown);
    }
}

void FilterHeader::boxChanged(int column) {
    if (!barVisible_) return;
    pending_.insert(column);
    quiet_.start(); // restarts: every change waits the full quiet time again
}

void FilterHeader::reportPending() {
    const std::set<int> columns = std::move(pending_);
    pending_.clear();
    for (int column : columns)
        if (QLineEdit* editor = filterEditor(column)) emit filterEdited(column, editor->text());
}

void FilterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The titles keep their usual height; the boxes cover the rest.
    QRect title = rect;
    if (barVisible_) title.setHeight(titleHeight());
    QHeaderView::paintSection(painter, title, logicalIndex);
}

void FilterHeader::updateGeometries() {
    QHeaderView::updateGeometries();
    positionEditors();
}

void FilterHeader::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    positionEditors();
}

} // namespace tapeloft
