#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace tapeloft {

// The small frameless window a folder scan shows: a caption, the file being read and a progress bar.
class ProgressWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize windowSize{608, 100};
    // Where the window goes when there is no window to centre it over.
    static constexpr QPoint defaultPosition{332, 329};

    explicit ProgressWindow(QWidget* parent = nullptr);

    // Centres the window over `anchor`; keeps the default position when anchor is null or hidden.
    void placeOver(const QWidget* anchor);

    void setCaption(const QString& text);
    // Each setter repaints at once, since only one pending event at a time is let through during a scan.
    void setFile(const QString& path);
    // Range 0..maximum; a maximum below 1 shows an empty bar.
    void setMaximum(int maximum);
    void setPosition(int position);

    const QLabel* captionLabel() const { return caption_; }
    const QLabel* fileLabel() const { return file_; }
    const QProgressBar* progressBar() const { return bar_; }

private:
    QLabel* caption_;
    QLabel* file_;
    QProgressBar* bar_;
};

} // namespace tapeloft
