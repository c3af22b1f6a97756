#pragma once

#include <QWidget>

namespace tapeloft {

// Shows a tool window that may be hidden, minimised or behind others, in front and with the focus.
inline void bringToFront(QWidget& window) {
    if (window.isMinimized())
        window.showNormal();
    else
        window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tapeloft
