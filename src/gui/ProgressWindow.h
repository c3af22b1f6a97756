#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tapeloft {

// The small frameless window a folder scan shows: a caption, the file being read, a progress bar and a
// button that stops the scan.
class ProgressWindow final : public QWidget {
    Q_OBJECT

public:
    // The layout table at the design font (app/LayoutScale.h); the window places it scaled to its font.
    static constexpr QSize windowSize{608, 130};
    static constexpr QRect captionGeometry{10, 10, 588, 15};
    static constexpr QRect fileGeometry{10, 30, 588, 30};
    static constexpr QRect barGeometry{7, 70, 580, 20};
    static constexpr QRect cancelGeometry{508, 98, 90, 24};
    // Where the window goes when there is no window to centre it over.
    static constexpr QPoint defaultPosition{332, 329};

    explicit ProgressWindow(QWidget* parent = nullptr);

    // Centres the window over `anchor`; keeps the default position when anchor is null or hidden.
    void placeOver(const QWidget* anchor);

    // The setters take effect at once and are painted with the next pending event the scan lets through.
    // A fast scan changes the file and position more often than they could be painted, so the window is
    // painted at most once per frame interval, always with the latest values; uncovering it paints at once.
    void setCaption(const QString& text);
    void setFile(const QString& path);
    // Range 0..maximum; a maximum below 1 shows an empty bar.
    void setMaximum(int maximum);
    void setPosition(int position);
    void setCancelText(const QString& text);

    static constexpr int frameMilliseconds = 30;

    const QLabel* captionLabel() const { return caption_; }
    const QLabel* fileLabel() const { return file_; }
    const QProgressBar* progressBar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    // The Cancel button was pressed.
    void cancelRequested();

protected:
    bool event(QEvent* event) override;

private:
    QElapsedTimer painted_; // since the last paint let through
    QTimer nextFrame_;      // paints what was held back
    QLabel* caption_;
    QLabel* file_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

} // namespace tapeloft
