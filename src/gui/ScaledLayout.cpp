#include "gui/ScaledLayout.h"

#include "app/WindowPlacement.h"

#include <QFont>
#include <QFontMetricsF>
#include <QScreen>
#include <QString>
#include <QWidget>

namespace tapeloft {

namespace {

constexpr int kAlphabetLetters = 26;

} // namespace

LayoutScale layoutScaleFor(const QFont& font) {
    QString letters;
    for (int i = 0; i < kAlphabetLetters; ++i)
        letters += QChar(u'A' + i);
    for (int i = 0; i < kAlphabetLetters; ++i)
        letters += QChar(u'a' + i);
    const QFontMetricsF metrics(font);
    return LayoutScale::forCharacter(metrics.horizontalAdvance(letters) / letters.size(), metrics.height());
}

QRect scaledRect(const LayoutScale& scale, const QRect& design) {
    const LayoutRect r = scale.rect({design.x(), design.y(), design.width(), design.height()});
    return {r.x, r.y, r.width, r.height};
}

QSize scaledSize(const LayoutScale& scale, const QSize& design) {
    const LayoutSize s = scale.size({design.width(), design.height()});
    return {s.width, s.height};
}

QMargins frameMargins(const QWidget& window) {
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return margins.isNull() ? QMargins(kFrameBorder, kTitleBarHeight, kFrameBorder, kFrameBorder) : margins;
}

void keepInsideScreen(QWidget& window, const QScreen& screen) {
    const QMargins frame = frameMargins(window);
    const QSize outer = window.size().grownBy(frame);
    const QRect area = screen.availableGeometry();
    const ScreenRect inside = keepInsideArea({window.x(), window.y(), outer.width(), outer.height()},
                                             {area.x(), area.y(), area.width(), area.height()});
    window.resize(QSize(inside.width, inside.height).shrunkBy(frame));
    window.move(inside.x, inside.y);
}

} // namespace tapeloft
