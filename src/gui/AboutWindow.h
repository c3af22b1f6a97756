#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>

class QCloseEvent;
class QPropertyAnimation;

namespace tapeloft {

struct AppState;

// Window 16: a borderless black pop-up with the program's name and version, a short description, a link
// to the discussion page and a close button. It fades in when shown and out when closed, by its X or by the
// window manager alike, and reports fadedOut at the end either way.
class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    // At the design font (app/LayoutScale.h); the window is that scaled to its font.
    static constexpr QSize windowSize{350, 180};
    static constexpr int fadeMilliseconds = 250;
    static inline const QColor titleColour{0x6F, 0xAE, 0x2F};
    static inline const QColor linkColour{0x39, 0x83, 0xFD};
    static inline const QColor linkHoverColour{Qt::red};
    // Where the link leads.
    static inline const QString discussionAddress = QStringLiteral("https://forum.example.org/tapeloft");

    explicit AboutWindow(const AppState& state, QWidget* parent = nullptr);

    // Shows the window fully transparent and raises its opacity to 1.
    void fadeIn();
    // Lowers the opacity to 0, then reports fadedOut; a second call while fading out does nothing.
    void fadeOut();
    bool isFadingOut() const { return fadingOut_; }

    // The control with that number (16, 42, 43, 44, 45, 170); null for any other.
    QWidget* control(int id) const;

signals:
    // The X (16) or the link (44) was clicked.
    void controlClicked(int control);
    void fadedOut();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void animateTo(qreal opacity);

    std::map<int, QWidget*> controls_;
    QPointer<QPropertyAnimation> fade_;
    bool fadingOut_ = false;
};

} // namespace tapeloft
