#include "gui/DetailsWindow.h"

#include "app/AppState.h"
#include "app/DetailsLists.h"
#include "app/Platform.h"
#include "base/PrefFile.h"
#include "base/Settings.h"
#include "base/TextCodec.h"
#include "details/BattleDetails.h"
#include "details/PlayerLinks.h"
#include "gui/QtText.h"
#include "gui/ScaledLayout.h"
#include "samplegen/SampleReplay.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace tapeloft;

namespace {

// Records what the window asks of the desktop.
class RecordingPlatform final : public WindowlessPlatform {
public:
    struct Message {
        std::u16string title;
        std::u16string text;
    };
    std::vector<Message> messages;
    std::vector<std::u16string> opened;

    void messageBox(std::u16string_view title, std::u16string_view text) override {
        messages.push_back({std::u16string(title), std::u16string(text)});
    }
    bool openWithAssociatedProgram(std::u16string_view target) override {
        opened.emplace_back(target);
        return true;
    }
};

constexpr std::u16string_view kLanguage =
    u"[text]\ntxt3=WIN\ntxt4=LOSS\ntxt5=DRAW\ntxt6=--\ntxt7=NOT A "
    u"REPLAY\ntxt20=Name\ntxt21=Map\ntxt22=Nation\n"
    u"txt23=Vehicle\ntxt25=Alive\ntxt26=Frags\ntxt27=XP\ntxt31=Credits\ntxt33=Repair\ntxt35=Net\n"
    u"txt55=https://stats.example/p/\ntxt71=CANNOT OPEN\ntxt78=ERR\ntxt92=Battle details\ntxt93=Team\n"
    u"txt94=Clan\ntxt95=Summary\ntxt96=Destroyed\ntxt97=Player\ntxt98=Date\ntxt99=Result\ntxt100=Price\n"
    u"txt101=Shots\ntxt102=Damage received\ntxt103=Ammo\ntxt104=Damaged\ntxt105=Spotted\n"
    u"txt106=Achievements\ntxt116=NOT WRITTEN \ntxt118=PRICE TIP\n";

// Field number and the text it shows before anything is filled in.
struct InitialText {
    int field;
    const char16_t* text;
};
constexpr InitialText kInitialTexts[] = {
    {153, u"играл"},        {154, u"карта"},  {155, u"Рез-тат"},    {156, u"Фраги"},     {157, u"Нация"},
    {158, u"Техника"},      {159, u"Опыт"},   {160, u"Кредиты"},    {161, u"выстрелов"}, {162, u"0"},
    {163, u"потрачено бк"}, {164, u"ремонт"}, {165, u"получ.урон"}, {166, u"кред чист"}, {167, u"дата"},
};

// moc cannot read raw string literals, so the JSON here is written with escapes.
std::string entry(int id, const std::string& name, int team) {
    return "\"" + std::to_string(id) + "\":{\"vehicleType\":\"nordland:N01_Warden\",\"name\":\"" + name +
           "\",\"clanAbbrev\":\"\",\"team\":" + std::to_string(team) + "}";
}

// A battle without results whose 30 participants include one with the given name.
std::string replayWithName(const std::string& name) {
    std::string vehicles = "{" + entry(1, name, 2) + "," + entry(2, "Ann", 1);
    for (int i = 0; i < 28; ++i)
        vehicles += "," + entry(100 + i, "P" + std::to_string(i), 1 + i % 2);
    vehicles += "}";
    const std::string description =
        "{\"dateTime\":\"31.12.2014 23:59:59\",\"mapName\":\"05_red_steppe\",\"gameplayID\":\"ctf\","
        "\"playerVehicle\":\"nordland-N01_Warden\",\"vehicles\":" +
        vehicles + ",\"clientVersionFromExe\":\"0, 9, 8, 0\",\"playerName\":\"Ann\"}";
    return samples::assembleReplay(samples::validHeader(), description);
}

QString qs(std::u16string_view text) {
    return toQString(text);
}

struct Fixture {
    QTemporaryDir dir;
    std::filesystem::path settings;
    AppState state;
    RecordingPlatform platform;
    QWidget main;

    explicit Fixture(bool withLanguage = true) {
        settings = pathFromText(fromQString(dir.path())) / "Settings.ini";
        if (withLanguage) state.language = Language(PrefFile::parse(kLanguage));
        main.setWindowTitle(QStringLiteral("main"));
        main.setGeometry(100, 100, 880, 625);
        main.show();
    }

    std::u16string write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = pathFromText(fromQString(dir.path())) / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return textFromPath(path);
    }
    samples::SampleReplay sample(std::uint32_t seed, samples::ResultsLayout layout, std::u16string* path) {
        samples::SampleOptions options;
        options.layout = layout;
        options.tailBytes = 64;
        samples::SampleReplay replay = samples::makeSampleReplay(seed, options);
        *path = write("r" + std::to_string(seed) + ".ivlreplay", replay.bytes);
        return replay;
    }
    // Opens the way the main window does: disabled first.
    DetailsWindow* open(std::u16string_view path) {
        main.setEnabled(false);
        return DetailsWindow::open(path, state, platform, settings, &main);
    }
    BattleDetails read(std::u16string_view path) const {
        return readBattleDetails(path, state.language, settings);
    }
};

const std::vector<samples::SampleVehicle>& facts(const samples::SampleReplay& replay) {
    return replay.facts.vehicles;
}

QString text(const DetailsWindow& window, int field) {
    return window.field(field) ? window.field(field)->text() : QStringLiteral("<no field>");
}

std::vector<std::u16string> column(const ListModel& list, int col) {
    std::vector<std::u16string> cells;
    for (int r = 0; r < list.rowCount(); ++r)
        cells.emplace_back(list.cell(r, col));
    return cells;
}

QPoint cellCentre(QTableView& view, int row, int col) {
    return view.visualRect(view.model()->index(row, col)).center();
}

void movePointer(QTableView& view, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, position, view.viewport()->mapToGlobal(position), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
}

int detailsWindowCount() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<DetailsWindow*>(widget)) ++count;
    return count;
}

} // namespace

class DetailsWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<DetailsWindow*>(widget)) delete window;
    }

    void controlsAreLaidOutAsCreated() {
        Fixture f;
        std::u16string path;
        f.sample(1, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Battle details"));
        // The table's 800 x 600 scaled to the window's font, centred over the main window.
        const LayoutScale& scale = window->layoutScale();
        const QSize built = scaledSize(scale, DetailsWindow::innerSize);
        QVERIFY(built.width() >= 800 && built.height() >= 600);
        QCOMPARE(window->size(), built);
        QVERIFY(!window->parentWidget());
        QVERIFY(!f.main.isEnabled()); // stays disabled while the window is open
        const QRect over = f.main.frameGeometry();
        QCOMPARE(window->pos(), QPoint(over.x() + (over.width() - built.width()) / 2,
                                       over.y() + (over.height() - built.height()) / 2));

        // Every control is there and inside the window.
        for (const int number :
             {21,  27, 153, 41, 157, 37, 161, 38, 165, 29, 154, 28, 158, 34,  162, 40,  166, 31,  155, 32,
              159, 39, 163, 36, 156, 33, 160, 35, 164, 30, 167, 20, 22,  171, 24,  172, 25,  173, 26,  174}) {
            QWidget* control = window->control(number);
            QVERIFY2(control, qPrintable(QString::number(number)));
            QVERIFY(QRect(QPoint(0, 0), window->size()).intersects(control->geometry()));
        }
        QCOMPARE(qobject_cast<QGroupBox*>(window->control(26))->title(), QStringLiteral("Achievements"));
        for (const int number : {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41}) {
            auto* label = qobject_cast<QLabel*>(window->control(number));
            QVERIFY(label && (label->alignment() & Qt::AlignRight));
            QCOMPARE(label->font().bold(), number == 27 || number == 32 || number == 33 || number == 40);
        }
        QCOMPARE(qobject_cast<QLabel*>(window->control(38))->text(), QStringLiteral("Damage received"));

        // Only the price field is editable, and it explains itself.
        for (const InitialText& t : kInitialTexts)
            QCOMPARE(window->field(t.field)->isReadOnly(), t.field != 162);
        QCOMPARE(window->field(162)->toolTip(), QStringLiteral("PRICE TIP"));
        QCOMPARE(window->field(153)->palette().color(QPalette::Base), QColor(181, 255, 213));

        // The team lists share the splitter, the divider 400 of its 780 table units from its left edge.
        auto* splitter = qobject_cast<QSplitter*>(window->control(20));
        QCOMPARE(splitter->handleWidth(), 7);
        QCOMPARE(splitter->widget(0), window->control(175));
        QCOMPARE(splitter->widget(1), window->control(176));
        const int splitterWidth = splitter->width();
        QCOMPARE(splitterWidth, scale.x(790) - scale.x(10));
        const int divider = static_cast<int>(std::lround(400.0 / 780 * splitterWidth));
        QCOMPARE(splitter->sizes(), QList<int>({divider, splitterWidth - 7 - divider}));
        for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
            QTableView* view = window->teamView(side);
            QHeaderView* header = view->horizontalHeader();
            QVERIFY(view->showGrid() && header->isVisible());
            QVERIFY(header->isSectionHidden(aliveColumn(side)));
            QCOMPARE(header->sectionSize(0), header->sectionSizeHint(0)); // fitted to its header
            QCOMPARE(header->sectionSize(linkColumn(side)), 110);
        }
        for (const int number : {171, 172, 173, 174}) {
            auto* view = qobject_cast<QTableView*>(window->control(number));
            QVERIFY(!view->horizontalHeader()->isVisible() && !view->showGrid());
        }
        QCOMPARE(qobject_cast<QTableView*>(window->control(173))->horizontalHeader()->sectionSize(1), 90);
        QCOMPARE(qobject_cast<QTableView*>(window->control(174))->horizontalHeader()->sectionSize(0), 175);

        // Over a main window near the corner the window stays on screen.
        window->close();
        f.main.setGeometry(0, 0, 300, 200);
        window = f.open(path);
        QVERIFY(window);
        QCOMPARE(window->pos(), QPoint(0, 0));
    }

    void summaryWithAndWithoutResults() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(3, samples::ResultsLayout::Current, &path);
        const BattleDetails details = f.read(path);
        QVERIFY(details.hasResults && details.resultText && !details.achievements.empty());
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QCOMPARE(f.state.priceKey, utf8ToUtf16(replay.facts.tag));
        const std::pair<int, std::u16string> expected[] = {
            {153, details.playerText},
            {154, details.mapText},
            {155, *details.resultText},
            {156, *details.fragsText},
            {157, details.nationText},
            {158, details.vehicleText},
            {159, *details.xpText},
            {160, *details.creditsText},
            {161, *details.shotsText},
            {162, *details.shellPriceText},
            {163, *details.ammoCostText},
            {164, *details.repairText},
            {165, *details.damageReceivedText},
            {166, *details.netCreditsText},
            {167, details.dateText},
        };
        for (const auto& [field, value] : expected)
            QCOMPARE(text(*window, field), qs(value));
        QCOMPARE(text(*window, 167), QString::fromStdString(replay.facts.dateTime));
        QCOMPARE(column(window->achievementList(), 0), details.achievements);
        window->close();

        // Without results only the description fills the summary; the rest keep their initial texts.
        const samples::SampleReplay bare = f.sample(4, samples::ResultsLayout::None, &path);
        window = f.open(path);
        QVERIFY(window);
        QCOMPARE(text(*window, 153), QString::fromStdString(bare.facts.playerName)); // no clan
        QCOMPARE(text(*window, 154), qs(f.read(path).mapText));
        QCOMPARE(text(*window, 167), QString::fromStdString(bare.facts.dateTime));
        for (const InitialText& t : kInitialTexts)
            if (t.field != 153 && t.field != 154 && t.field != 157 && t.field != 158 && t.field != 167)
                QCOMPARE(text(*window, t.field), qs(t.text));
        QCOMPARE(window->achievementList().rowCount(), 0);
        // Thirty participants in the description: all listed, alive, with the frags placeholder.
        QCOMPARE(window->teamList(TeamSide::Team1).rowCount() + window->teamList(TeamSide::Team2).rowCount(),
                 30);
        for (const auto& cell : column(window->teamList(TeamSide::Team1), 5))
            QCOMPARE(qs(cell), QStringLiteral("--"));
    }

    void teamListsFromAGeneratedBattle() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(5, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        int destroyed = 0;
        for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
            const ListModel& list = window->teamList(side);
            const int team = side == TeamSide::Team1 ? 1 : 2;
            const auto& links = side == TeamSide::Team1 ? f.state.team1Links : f.state.team2Links;
            std::vector<int> aliveByRow;
            for (int r = 0; r < list.rowCount(); ++r) {
                const std::u16string name(list.cell(r, linkColumn(side)));
                const auto vehicle =
                    std::find_if(facts(replay).begin(), facts(replay).end(), [&](const auto& v) {
                        return v.team == team && utf8ToUtf16(v.name) == name;
                    });
                QVERIFY2(vehicle != facts(replay).end(), qPrintable(qs(name)));
                QCOMPARE(qs(list.cell(r, aliveColumn(side))), vehicle->alive ? "1" : "0");
                QCOMPARE(links.at(name), playerLinkAddress(u"https://stats.example/p/", name));
                aliveByRow.push_back(vehicle->alive ? 1 : 0);
                destroyed += vehicle->alive ? 0 : 1;
            }
            QVERIFY(std::is_sorted(aliveByRow.rbegin(), aliveByRow.rend())); // survivors first
            QCOMPARE(list.rowCount(), int(std::count_if(facts(replay).begin(), facts(replay).end(),
                                                        [&](const auto& v) { return v.team == team; })));
        }
        QVERIFY(destroyed > 0);

        // What the view shows of a destroyed row: grey text, a blue name.
        QTableView* view = window->teamView(TeamSide::Team1);
        const ListModel& left = window->teamList(TeamSide::Team1);
        const int last = left.rowCount() - 1;
        QCOMPARE(qs(left.cell(last, 1)), QStringLiteral("0"));
        QCOMPARE(view->model()->index(last, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
                 QColor(165, 165, 165));
        QCOMPARE(view->model()->index(last, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
                 QColor(0, 0, 255));

        // A click on the name header sorts the names ascending, without a header arrow.
        QHeaderView* header = view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 20, header->height() / 2));
        const std::vector<std::u16string> names = column(left, 2);
        QVERIFY(std::is_sorted(names.begin(), names.end(),
                               [](const auto& a, const auto& b) { return compareIgnoreCase(a, b) < 0; }));
        QVERIFY(!header->isSortIndicatorShown());
    }

    void selectionHighlightsTheFirstCellOnly() {
        Fixture f;
        std::u16string path;
        f.sample(13, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
            QTableView& view = *window->teamView(side);
            const QImage before = view.viewport()->grab().toImage();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, 0, 2));
            QVERIFY(window->teamList(side).isSelected(0));
            const QImage after = view.viewport()->grab().toImage();
            const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
            // A point of each cell away from its text: the first cell takes the highlight, the rest stay.
            for (int col = 0; col < window->teamList(side).columnCount(); ++col) {
                if (view.isColumnHidden(col)) continue;
                const QRect cell = view.visualRect(view.model()->index(0, col));
                const QPoint probe(cell.left() + 2, cell.bottom() - 1);
                QCOMPARE(after.pixelColor(probe) == highlight, col == 0);
                if (col != 0)
                    QVERIFY2(after.pixelColor(probe) == before.pixelColor(probe),
                             qPrintable(QString::number(col)));
            }
        }
    }

    void hoverAndClickOnNames() {
        Fixture f;
        std::u16string path;
        f.sample(6, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableView& left = *window->teamView(TeamSide::Team1);
        QTableView& right = *window->teamView(TeamSide::Team2);
        const ListModel& l = window->teamList(TeamSide::Team1);
        const ListModel& r = window->teamList(TeamSide::Team2);

        movePointer(left, cellCentre(left, 0, 2));
        QCOMPARE(l.textColour(0, 2), std::optional(kLinkHoverRed));
        movePointer(left, cellCentre(left, 1, 2)); // the next name
        QCOMPARE(l.textColour(0, 2), std::optional(kLinkBlue));
        QCOMPARE(l.textColour(1, 2), std::optional(kLinkHoverRed));
        movePointer(right, cellCentre(right, 0, 3)); // over to the other team
        QCOMPARE(l.textColour(1, 2), std::optional(kLinkBlue));
        QCOMPARE(r.textColour(0, 3), std::optional(kLinkHoverRed));

        // A click on a name opens its link and still selects the row; one elsewhere opens nothing.
        const std::u16string name(r.cell(0, 3));
        QTest::mouseClick(right.viewport(), Qt::LeftButton, {}, cellCentre(right, 0, 3));
        QCOMPARE(f.platform.opened,
                 std::vector<std::u16string>{playerLinkAddress(u"https://stats.example/p/", name)});
        QCOMPARE(r.currentRow(), 0);
        QTest::mouseClick(right.viewport(), Qt::LeftButton, {}, cellCentre(right, 0, 1));
        QTest::mouseClick(left.viewport(), Qt::LeftButton, {}, cellCentre(left, 1, 3));
        QCOMPARE(f.platform.opened.size(), std::size_t{1});
        QCOMPARE(l.currentRow(), 1);
    }

    void hostileNamesAreEncodedAndNeverOpenedWithoutAnAddress() {
        const std::string hostile = "a b&c#d?e/f %41 Жук javascript:alert(1)";
        for (const bool withLanguage : {true, false}) {
            Fixture f(withLanguage); // without a language file message 55 reads "n/a"
            DetailsWindow* window = f.open(f.write("h.ivlreplay", replayWithName(hostile)));
            QVERIFY(window);
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const ListModel& right = window->teamList(TeamSide::Team2);
            int row = -1;
            for (int i = 0; i < right.rowCount(); ++i)
                if (right.cell(i, 3) == utf8ToUtf16(hostile)) row = i;
            QVERIFY(row >= 0);
            QTableView& view = *window->teamView(TeamSide::Team2);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, row, 3));
            QCOMPARE(right.currentRow(), row); // the click selects all the same
            if (withLanguage)
                QCOMPARE(f.platform.opened, std::vector<std::u16string>{
                                                u"https://stats.example/p/a%20b%26c%23d%3Fe%2Ff%20%2541%20"
                                                u"%D0%96%D1%83%D0%BA%20javascript%3Aalert%281%29"});
            else
                QVERIFY(f.platform.opened.empty());
        }
    }

    void priceIsStoredOnCloseAndShownNextTime() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(7, samples::ResultsLayout::Current, &path);
        const std::u16string tag = utf8ToUtf16(replay.facts.tag);
        QPointer<DetailsWindow> window = f.open(path);
        QVERIFY(window);
        QSignalSpy closed(window.data(), &DetailsWindow::closed);
        QLineEdit* price = window->field(162);
        price->selectAll();
        QTest::keyClicks(price, QStringLiteral("3a-7. 1"));
        QCOMPARE(price->text(), QStringLiteral("371")); // digits only
        QTest::keyClicks(price, QStringLiteral("123456789"));
        QCOMPARE(price->text().size(), 9);
        // The cost and the net credits follow the typed price at once.
        const auto& personal = replay.facts.personal;
        for (const int typed : {37, 0, 5}) {
            price->setText(QString::number(typed));
            QCOMPARE(text(*window, 163), QString::number(personal.shots * typed));
            QCOMPARE(text(*window, 166),
                     QString::number(personal.credits - personal.shots * typed - personal.repair));
        }
        price->setText(QStringLiteral("37"));

        QVERIFY(window->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(f.main.isEnabled());
        QVERIFY(f.state.detailsClosed);
        QCOMPARE(f.state.priceText, u"37");
        QCOMPARE(readSettingText(f.settings, settings::groupShellPrices, tag, u""), u"37");
        QCOMPARE(detailsWindowCount(), 0);
        QVERIFY(!window);

        DetailsWindow* again = f.open(path);
        QVERIFY(again);
        QCOMPARE(text(*again, 162), QStringLiteral("37"));
        QCOMPARE(text(*again, 163), QString::number(replay.facts.personal.shots * 37));
        again->field(162)->setText(QStringLiteral("0"));
        again->close();
        QCOMPARE(readSettingText(f.settings, settings::groupShellPrices, tag, u""), u"37"); // 0 is not stored

        // Without results the field shows 0 whatever is stored.
        f.sample(7, samples::ResultsLayout::None, &path);
        DetailsWindow* bare = f.open(path);
        QVERIFY(bare);
        QCOMPARE(text(*bare, 162), QStringLiteral("0"));
    }

    void escapeClosesFromAnyControl() {
        for (const int focus : {162, 175, 174}) {
            Fixture f;
            std::u16string path;
            const samples::SampleReplay replay = f.sample(8, samples::ResultsLayout::Current, &path);
            f.state.detailsClosed = false;
            QPointer<DetailsWindow> window = f.open(path);
            QVERIFY(window);
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            window->field(162)->setText(QStringLiteral("15"));
            window->control(focus)->setFocus();
            QTest::keyClick(window->control(focus), Qt::Key_Escape);
            QCOMPARE(detailsWindowCount(), 0);
            QVERIFY(f.main.isEnabled() && f.state.detailsClosed);
            QCOMPARE(
                readSettingText(f.settings, settings::groupShellPrices, utf8ToUtf16(replay.facts.tag), u""),
                u"15");
        }
    }

    void failedWriteIsReportedAndTheWindowStillCloses() {
        Fixture f;
        std::u16string path;
        f.sample(9, samples::ResultsLayout::Current, &path);
        f.settings = f.settings.parent_path() / "no-such-folder" / "Settings.ini";
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        window->field(162)->setText(QStringLiteral("12"));
        QVERIFY(window->close());
        QCOMPARE(f.platform.messages.size(), std::size_t{1});
        QCOMPARE(qs(f.platform.messages[0].title), QStringLiteral("ERR"));
        QCOMPARE(qs(f.platform.messages[0].text), QStringLiteral("NOT WRITTENSettings.ini"));
        QCOMPARE(detailsWindowCount(), 0);
        QVERIFY(f.main.isEnabled() && f.state.detailsClosed);
    }

    void filesThatCannotBeShownGiveAMessageAndNoWindow() {
        samples::SampleOptions rejected;
        rejected.headerRejected = true;
        samples::SampleOptions unreadable;
        unreadable.descriptionUnreadable = true;
        const std::tuple<const char*, std::string, const char*> cases[] = {
            {"missing", {}, "CANNOT OPEN"},
            {"rejected", samples::makeSampleReplay(10, rejected).bytes, "NOT A REPLAY"},
            {"unreadable", samples::makeSampleReplay(10, unreadable).bytes, "NOT A REPLAY"},
        };
        for (const auto& [name, bytes, message] : cases) {
            Fixture f;
            const std::u16string path =
                bytes.empty() ? f.write("x", "") + u"-gone" : f.write("r.ivlreplay", bytes);
            QVERIFY2(!f.open(path), name);
            QCOMPARE(f.platform.messages.size(), std::size_t{1});
            QCOMPARE(qs(f.platform.messages[0].title), QStringLiteral("Information"));
            QCOMPARE(qs(f.platform.messages[0].text), QString::fromUtf8(message));
            QVERIFY(f.main.isEnabled());
            QCOMPARE(detailsWindowCount(), 0);
        }
    }

    void resizingScalesTheBottomAndKeepsTheSummary() {
        Fixture f;
        std::u16string path;
        f.sample(12, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QSize built = window->size();
        const auto geometry = [window](int control) { return window->control(control)->geometry(); };
        const QRect frame24 = geometry(24), list174 = geometry(174), frame21 = geometry(21);
        const QRect splitter = geometry(20), label27 = geometry(27), field167 = geometry(167);
        const int divider = qobject_cast<QSplitter*>(window->control(20))->sizes().value(0);

        // A quarter wider and 100 pixels taller: the bottom frames and lists move down by 100 and scale
        // across, frame 21 scales across, the splitter takes the rest, the summary stays.
        const QSize larger(built.width() * 5 / 4, built.height() + 100);
        window->resize(larger);
        QTRY_COMPARE(window->size(), larger);
        const double factor = double(larger.width()) / built.width();
        const auto near = [](int actual, double expected) { return std::abs(actual - expected) <= 1; };
        for (const auto& [before, after] : {std::pair{frame24, geometry(24)}, {list174, geometry(174)}}) {
            QCOMPARE(after.y(), before.y() + 100);
            QCOMPARE(after.height(), before.height());
            QVERIFY(near(after.x(), before.x() * factor) && near(after.width(), before.width() * factor));
        }
        QCOMPARE(geometry(21).y(), frame21.y());
        QVERIFY(near(geometry(21).width(), frame21.width() * factor));
        QCOMPARE(geometry(20), splitter.adjusted(0, 0, larger.width() - built.width(), 100));
        QCOMPARE(geometry(27), label27);
        QCOMPARE(geometry(167), field167);
        // The divider keeps its share of the splitter.
        QVERIFY(near(qobject_cast<QSplitter*>(window->control(20))->sizes().value(0),
                     double(divider) / splitter.width() * geometry(20).width()));

        // Smaller than the table: the controls keep the table's places and scroll instead.
        window->resize(100, 200);
        QTRY_COMPARE(window->size(), QSize(100, 200));
        QCOMPARE(window->content()->size(), built);
        QCOMPARE(geometry(20), splitter);
        QCOMPARE(geometry(27), label27);
    }
};

QTEST_MAIN(DetailsWindowTest)
#include "DetailsWindowTest.moc"
