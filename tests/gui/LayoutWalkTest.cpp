// Every window at the font and scale of this run, in Russian and in English: no text wider or taller than
// its control, no two sibling controls over each other but where the layout table itself lays them so, and
// the main window fitting the screen with every control inside, also at its smallest. CTest runs it three
// times: at the default font, with TAPELOFT_LAYOUT_FONT_FACTOR=1.25 (the application font 1.25 times as
// large) and with QT_SCALE_FACTOR=2.
#include "MainWindowFixture.h"

#include "base/Settings.h"
#include "details/BattleDetails.h"
#include "gui/AboutWindow.h"
#include "gui/DetailsWindow.h"
#include "gui/ProgressWindow.h"
#include "gui/SettingsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace tapeloft::test {
namespace {

struct Control {
    QString name;
    QWidget* widget;
};

// Sibling controls the layout tables themselves lay over each other. They may overlap; their texts must
// not run into each other.
struct TableOverlap {
    const char* first;
    const char* second;
};
constexpr TableOverlap kTableOverlaps[] = {
    // About: the title, subtitle and text share strips; the credit line reaches into the link's place and
    // past the window's right edge (the link lies above it).
    {"about 42", "about 43"},
    {"about 43", "about 170"},
    {"about 44", "about 45"},
};
// Controls the layout tables place partly outside their window.
constexpr const char* kTableOutside[] = {"about 45"};
// Sample battles looked through for the longest texts.
constexpr std::uint32_t kBattlesTried = 80;

// Fields whose text is not a fixed caption: folder paths scroll within their field, typed text too.
bool textMayScroll(const Control& c) {
    return c.name == QLatin1String("main 53") || c.name == QLatin1String("main 152") ||
           c.name.startsWith(QLatin1String("settings field"));
}

bool listed(const QString& a, const QString& b) {
    for (const TableOverlap& o : kTableOverlaps)
        if ((a == QLatin1String(o.first) && b == QLatin1String(o.second)) ||
            (a == QLatin1String(o.second) && b == QLatin1String(o.first)))
            return true;
    return false;
}

// Qt's line edit keeps this much room beside its text (QLineEditPrivate::horizontalMargin).
constexpr int kLineEditMargin = 2;

// Where the text of a label or field is drawn, in its parent's coordinates; empty without text.
QRect textRect(const QWidget* widget) {
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QRect room = widget->contentsRect();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        text = label->text();
        alignment = label->alignment();
    } else if (const auto* field = qobject_cast<const QLineEdit*>(widget)) {
        text = field->text();
        alignment = field->alignment();
        room = room.marginsRemoved(field->textMargins()).adjusted(kLineEditMargin, 0, -kLineEditMargin, 0);
    }
    if (text.isEmpty()) return {};
    const QSize size(widget->fontMetrics().horizontalAdvance(text), widget->fontMetrics().height());
    return QStyle::alignedRect(Qt::LeftToRight, alignment, size, room).translated(widget->pos());
}

// What keeps a control's text from showing whole; empty when it shows whole.
QString textProblem(const Control& c) {
    QWidget* w = c.widget;
    const QFontMetrics metrics = w->fontMetrics();
    const auto tooSmall = [&](const QString& text, QSize need, QSize have) {
        return QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
            .arg(c.name, text)
            .arg(need.width())
            .arg(need.height())
            .arg(have.width())
            .arg(have.height());
    };
    if (const auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty()) return {};
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap()) {
            const int height = label->heightForWidth(label->width());
            if (height > label->height())
                return tooSmall(label->text(), {label->width(), height}, label->size());
            return {};
        }
        const QSize need(metrics.horizontalAdvance(label->text()), metrics.height());
        if (need.width() > room.width() || need.height() > room.height())
            return tooSmall(label->text(), need, room.size());
        return {};
    }
    if (const auto* field = qobject_cast<QLineEdit*>(w)) {
        if (textMayScroll(c) || field->text().isEmpty()) return {};
        const QMargins margins = field->textMargins();
        const int frame =
            field->hasFrame() ? 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w) : 0;
        const QSize need(metrics.horizontalAdvance(field->text()) + 2 * kLineEditMargin + margins.left() +
                             margins.right() + frame,
                         metrics.height() + margins.top() + margins.bottom());
        if (need.width() > field->width() || need.height() > field->height())
            return tooSmall(field->text(), need, field->size());
        return {};
    }
    if (const auto* box = qobject_cast<QCheckBox*>(w)) {
        if (box->sizeHint().width() > box->width())
            return tooSmall(box->text(), box->sizeHint(), box->size());
        return {};
    }
    if (const auto* button = qobject_cast<QPushButton*>(w)) {
        const int margins = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) +
                            2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        const QSize need(metrics.horizontalAdvance(button->text()) + margins, metrics.height());
        if (need.width() > button->width() || need.height() > button->height())
            return tooSmall(button->text(), need, button->size());
        return {};
    }
    if (const auto* frame = qobject_cast<QGroupBox*>(w)) {
        if (frame->minimumSizeHint().width() > frame->width())
            return tooSmall(frame->title(), frame->minimumSizeHint(), frame->size());
        return {};
    }
    if (const auto* tabs = qobject_cast<QTabWidget*>(w)) {
        // Every tab whole, none behind the tab bar's scroll arrows.
        const QSize need = tabs->tabBar()->sizeHint();
        if (need.width() > tabs->width()) return tooSmall(tabs->tabText(0), need, tabs->size());
        return {};
    }
    if (const auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->sizeHint().width() > combo->width())
            return tooSmall(combo->currentText(), combo->sizeHint(), combo->size());
        return {};
    }
    if (const auto* edit = qobject_cast<QTextEdit*>(w)) {
        const QSize need = edit->document()->size().toSize();
        const QSize have = edit->viewport()->size();
        if (need.height() > have.height() || need.width() > have.width())
            return tooSmall(edit->toPlainText().left(20), need, have);
        return {};
    }
    return {};
}

// Every text whole, every control inside its parent, no two siblings over each other but as listed. What
// is wrong goes to problems, so that one run names every fault.
void checkControls(const QString& when, const std::vector<Control>& controls, QStringList& problems) {
    const auto report = [&](const QString& problem) { problems << when + QStringLiteral(": ") + problem; };
    for (const Control& c : controls) {
        if (!c.widget) {
            report(c.name + QStringLiteral(" is missing"));
            continue;
        }
        const QString problem = textProblem(c);
        if (!problem.isEmpty()) report(problem);
        const QWidget* parent = c.widget->parentWidget();
        const bool outsideByTable =
            std::any_of(std::begin(kTableOutside), std::end(kTableOutside),
                        [&](const char* name) { return c.name == QLatin1String(name); });
        if (parent && !outsideByTable && !parent->rect().contains(c.widget->geometry()))
            report(QStringLiteral("%1 at %2,%3 %4x%5 is outside its parent of %6x%7")
                       .arg(c.name)
                       .arg(c.widget->x())
                       .arg(c.widget->y())
                       .arg(c.widget->width())
                       .arg(c.widget->height())
                       .arg(parent->width())
                       .arg(parent->height()));
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const Control& a = controls[i];
            const Control& b = controls[j];
            if (!a.widget || !b.widget) continue;
            if (a.widget->parentWidget() != b.widget->parentWidget()) continue;
            const QRect ra = a.widget->geometry();
            const QRect rb = b.widget->geometry();
            if (!ra.intersects(rb)) continue;
            // A frame carries the controls that lie on it.
            if ((qobject_cast<QGroupBox*>(a.widget) && ra.contains(rb)) ||
                (qobject_cast<QGroupBox*>(b.widget) && rb.contains(ra)))
                continue;
            if (listed(a.name, b.name)) {
                // Texts must not run into each other, nor under a field, which paints its background.
                const QRect ta = textRect(a.widget);
                const QRect tb = textRect(b.widget);
                if (!ta.isEmpty() && !tb.isEmpty() && ta.intersects(tb))
                    report(QStringLiteral("the texts of %1 and %2 run into each other").arg(a.name, b.name));
                if ((qobject_cast<QLineEdit*>(b.widget) && ta.intersects(rb)) ||
                    (qobject_cast<QLineEdit*>(a.widget) && tb.intersects(ra)))
                    report(QStringLiteral("a text of %1 or %2 lies under the other").arg(a.name, b.name));
                continue;
            }
            report(QStringLiteral("%1 and %2 overlap").arg(a.name, b.name));
        }
    }
}

void addNumbered(std::vector<Control>& controls, const QString& window, QWidget* widget, int number) {
    controls.push_back({QStringLiteral("%1 %2").arg(window).arg(number), widget});
}

// The frame fits the available area of the screen the window is on.
void checkOnScreen(const QWidget& window, QStringList& problems) {
    const QRect area = window.screen()->availableGeometry();
    if (!area.contains(window.frameGeometry()))
        problems << QStringLiteral("%1 %2,%3 %4x%5 is not inside the screen's %6x%7")
                        .arg(window.metaObject()->className())
                        .arg(window.frameGeometry().x())
                        .arg(window.frameGeometry().y())
                        .arg(window.frameGeometry().width())
                        .arg(window.frameGeometry().height())
                        .arg(area.width())
                        .arg(area.height());
}

} // namespace

class LayoutWalkTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const double factor =
            qEnvironmentVariable("TAPELOFT_LAYOUT_FONT_FACTOR", QStringLiteral("1")).toDouble();
        if (factor > 0 && factor != 1.0) {
            QFont font = QApplication::font();
            font.setPointSizeF(font.pointSizeF() * factor);
            QApplication::setFont(font);
        }
        qInfo("font %s %.2f pt, scale %.1f, screen %dx%d", qPrintable(QApplication::font().family()),
              QApplication::font().pointSizeF(), QGuiApplication::primaryScreen()->devicePixelRatio(),
              QGuiApplication::primaryScreen()->availableGeometry().width(),
              QGuiApplication::primaryScreen()->availableGeometry().height());
    }

    void everyWindow_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("Russian") << QStringLiteral("rus.lng");
        QTest::newRow("English") << QStringLiteral("eng.lng");
    }

    void everyWindow() {
        QFETCH(QString, language);
        WorkFolder work;
        work.prepare(3, 1);
        fs::copy_file(sourceDir() / "lang" / "eng.lng", work.dir.path() / "eng.lng");
        QVERIFY(writeSettingText(work.dir.path() / "Settings.ini", settings::groupFolders,
                                 settings::keyLanguageFile, fromQString(language)));
        Started s;
        MainWindow& main = *s.window;
        QStringList problems;

        // The main window as it starts: on the screen, every control inside.
        std::vector<Control> mainControls;
        for (const int id :
             {kReplayPathField,        kReplayFolderButton,     kFavouritesPathField, kFavouritesFolderButton,
              kRescanButton,           kSettingsButton,         kAboutButton,         kMainTabs,
              kExportReplaysButton,    kReplayDetailsButton,    kDeleteReplaysButton, kMoveToFavouritesButton,
              kReplayFilterToggle,     kReplayHintLabel,        kReplayListId,        kExportFavouritesButton,
              kFavouriteDetailsButton, kDeleteFavouritesButton, kMoveToReplaysButton, kFavouriteFilterToggle,
              kFavouriteHintLabel,     kFavouritesListId})
            addNumbered(mainControls, QStringLiteral("main"), main.control(id), id);
        const auto checkMain = [&](const QString& when) {
            auto* tabs = static_cast<QTabWidget*>(main.control(kMainTabs));
            for (const int page : {1, 0}) {
                tabs->setCurrentIndex(page); // a page is laid out when it is shown
                QCoreApplication::processEvents();
            }
            checkControls(
                QStringLiteral("main window %1, %2x%3").arg(when).arg(main.width()).arg(main.height()),
                mainControls, problems);
        };
        checkOnScreen(main, problems);
        checkMain(QStringLiteral("as started"));

        // At its smallest, which still fits the screen.
        const QSize frame = main.frameGeometry().size() - main.size();
        const QSize screen = main.screen()->availableGeometry().size();
        if (main.minimumSize().isEmpty()) {
            problems << QStringLiteral("the main window has no minimum size");
        } else {
            if (!QRect(QPoint(), screen).contains(QRect(QPoint(), main.minimumSize() + frame)))
                problems << QStringLiteral("the main window's minimum size does not fit the screen");
            main.resize(main.minimumSize());
            QTRY_COMPARE(main.size(), main.minimumSize());
            checkMain(QStringLiteral("at its smallest"));
            main.resize(main.minimumSize() + QSize(1, 1));
            checkMain(QStringLiteral("just above its smallest"));
        }
        // As large as the screen allows, the controls along the right edge still inside.
        main.resize(screen - frame);
        checkMain(QStringLiteral("as large as the screen"));

        // The details window over the battles with the longest map text and the longest player text, and
        // over one without results.
        const fs::path settingsFile = work.dir.path() / "Settings.ini";
        const auto writeReplay = [&](std::uint32_t seed, samples::ResultsLayout layout) {
            samples::SampleOptions options;
            options.layout = layout;
            options.tailBytes = 64;
            const fs::path path = work.dir.path() / ("r" + std::to_string(seed) + ".ivlreplay");
            std::ofstream(path, std::ios::binary) << samples::makeSampleReplay(seed, options).bytes;
            return path;
        };
        std::vector<fs::path> battles{writeReplay(1, samples::ResultsLayout::None)};
        fs::path longestMap, longestPlayer;
        std::size_t mapLength = 0, playerLength = 0;
        for (std::uint32_t seed = 2; seed < kBattlesTried; ++seed) {
            const fs::path path = writeReplay(seed, samples::ResultsLayout::Current);
            const BattleDetails read = readBattleDetails(textFromPath(path), s.state.language, settingsFile);
            if (read.mapText.size() > mapLength) mapLength = read.mapText.size(), longestMap = path;
            if (read.playerText.size() > playerLength)
                playerLength = read.playerText.size(), longestPlayer = path;
        }
        battles.push_back(longestMap);
        battles.push_back(longestPlayer);
        for (const fs::path& path : battles) {
            main.setEnabled(false);
            DetailsWindow* details = DetailsWindow::open(textFromPath(path), s.state, s.platform,
                                                         work.dir.path() / "Settings.ini", &main);
            QVERIFY(details);
            QVERIFY(QTest::qWaitForWindowExposed(details));
            checkOnScreen(*details, problems);
            std::vector<Control> controls;
            for (int number = 20; number <= 176; ++number)
                if (QWidget* control = details->control(number);
                    control && !qobject_cast<QTableView*>(control->parentWidget()))
                    if (control->parentWidget() != details->control(20))
                        addNumbered(controls, QStringLiteral("details"), control, number);
            checkControls(QStringLiteral("details window"), controls, problems);
            details->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }

        // The settings window, each page shown.
        QPointer<SettingsWindow> open;
        SettingsWindow* settingsWindow = SettingsWindow::showOrRaise(open, s.state, main.replayList(),
                                                                     main.favouritesList(), work.dir.path());
        QVERIFY(QTest::qWaitForWindowExposed(settingsWindow));
        checkOnScreen(*settingsWindow, problems);
        for (int page = 0; page < settingsWindow->tabs()->count(); ++page) {
            settingsWindow->tabs()->setCurrentIndex(page);
            QCoreApplication::processEvents();
            std::vector<Control> controls{{QStringLiteral("settings save"), settingsWindow->saveButton()},
                                          {QStringLiteral("settings tabs"), settingsWindow->tabs()}};
            for (QWidget* control : settingsWindow->tabs()->widget(page)->findChildren<QWidget*>(
                     QString(), Qt::FindDirectChildrenOnly))
                controls.push_back({QStringLiteral("settings ") + control->objectName(), control});
            checkControls(QStringLiteral("settings window"), controls, problems);
        }
        settingsWindow->close();

        // The About window.
        AboutWindow about(s.state);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        std::vector<Control> aboutControls;
        for (const int id : {kAboutCloseButton, kAboutTitleLabel, kAboutSubtitleLabel, kAboutLink,
                             kAboutCreditLabel, kAboutBodyText})
            addNumbered(aboutControls, QStringLiteral("about"), about.control(id), id);
        checkControls(QStringLiteral("About window"), aboutControls, problems);

        // The progress window, with the caption of a scan, a file deep in a folder and its Cancel button.
        ProgressWindow progress;
        progress.setCaption(qs(s.msg(MsgScanCaption)));
        progress.setCancelText(qs(s.msg(MsgCancel)));
        progress.setFile(
            qs(withSeparator(work.replays)) +
            QStringLiteral("2024-05-11/20240511_1942_nordland-N01_Warden_07_dustfield.ivlreplay"));
        progress.show();
        QVERIFY(QTest::qWaitForWindowExposed(&progress));
        std::vector<Control> progressControls{
            {QStringLiteral("progress caption"), const_cast<QLabel*>(progress.captionLabel())},
            {QStringLiteral("progress file"), const_cast<QLabel*>(progress.fileLabel())},
            {QStringLiteral("progress bar"), const_cast<QProgressBar*>(progress.progressBar())},
            {QStringLiteral("progress cancel"), progress.cancelButton()},
        };
        checkControls(QStringLiteral("progress window"), progressControls, problems);
        problems.removeDuplicates();
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("\n") + problems.join(u'\n')));
    }
};

} // namespace tapeloft::test

QTEST_MAIN(tapeloft::test::LayoutWalkTest)
#include "LayoutWalkTest.moc"
