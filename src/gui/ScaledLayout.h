#pragma once

#include "app/LayoutScale.h"

#include <QMargins>
#include <QRect>
#include <QSize>

class QFont;
class QScreen;
class QWidget;

// The layout tables in Qt's terms: the scale for the font a window shows its texts in (app/LayoutScale.h)
// and the tables' rectangles scaled by it.
namespace tapeloft {

// The average character of the font as Windows measures it for dialog units: the width of "A".."Z" and
// "a".."z" over 52, and the line height.
LayoutScale layoutScaleFor(const QFont& font);

QRect scaledRect(const LayoutScale& scale, const QRect& design);
QSize scaledSize(const LayoutScale& scale, const QSize& design);

// The window manager's frame around a window; before it is framed, a title bar and borders as assumed in
// app/WindowPlacement.h.
QMargins frameMargins(const QWidget& window);
// Cuts and moves a window the least way that brings its frame inside the available area of the screen.
void keepInsideScreen(QWidget& window, const QScreen& screen);

} // namespace tapeloft
