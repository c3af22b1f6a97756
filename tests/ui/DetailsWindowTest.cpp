#include "details/ui/DetailsWindow.h"

#include "details/BattleDetails.h"
#include "details/DetailsLists.h"
#include "details/PlayerLinks.h"
#include "samplegen/SampleReplay.h"
#include "shell/AppState.h"
#include "shell/Platform.h"
#include "shell/PrefFile.h"
#include "shell/Settings.h"
#include "shell/ui/QtText.h"
#include "json/TextCodec.h"

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
#include <fstream>
#include <string>
#include <vector>

using namespace tapeloft;

namespace {

// Records what the window asks of the desktop.
class RecordingPlatform final : public Platform {
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
    bool askYesNo(std::u16string_view, std::u16string_view) override { return false; }
    std::optional<std::u16string> chooseFolder(std::u16string_view) override { return std::nullopt; }
    std::optional<std::u16string> chooseSaveFile(std::u16string_view, std::u16string_view) override {
        return std::nullopt;
    }
    bool openWithAssociatedProgram(std::u16string_view target) override {
        opened.emplace_back(target);
        return true;
    }
    void progressBegin(std::u16string_view, std::u16string_view) override {}
    void progressSetRange(int) override {}
    void progressSetFile(std::u16string_view) override {}
    void progressSetPosition(int) override {}
    void progressEnd() override {}
    void processOnePendingEvent() override {}
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
        QCOMPARE(window->size(), QSize(800, 600));
        QVERIFY(!window->parentWidget());
        QVERIFY(!f.main.isEnabled()); // stays disabled while the window is open
        const QRect over = f.main.frameGeometry();
        QCOMPARE(window->pos(),
                 QPoint(over.x() + (over.width() - 800) / 2, over.y() + (over.height() - 600) / 2));

        struct Placed {
            int number;
            QRect rect;
        };
        const Placed placed[] = {
            {21, {10, 5, 780, 112}},     {27, {30, 25, 40, 15}},      {153, {75, 25, 130, 15}},
            {41, {205, 25, 60, 15}},     {157, {270, 25, 130, 15}},   {37, {400, 25, 100, 15}},
            {161, {505, 25, 60, 15}},    {38, {535, 25, 160, 15}},    {165, {700, 25, 84, 15}},
            {29, {36, 45, 35, 15}},      {154, {75, 45, 130, 15}},    {28, {220, 45, 45, 15}},
            {158, {270, 45, 110, 15}},   {34, {380, 45, 120, 15}},    {162, {505, 45, 90, 15}},
            {40, {605, 45, 90, 15}},     {166, {700, 45, 84, 15}},    {31, {12, 65, 60, 15}},
            {155, {75, 65, 130, 15}},    {32, {225, 65, 40, 15}},     {159, {270, 65, 130, 15}},
            {39, {405, 65, 95, 15}},     {163, {505, 65, 90, 15}},    {36, {15, 85, 55, 15}},
            {156, {75, 85, 130, 15}},    {33, {205, 85, 60, 15}},     {160, {270, 85, 130, 15}},
            {35, {450, 85, 50, 15}},     {164, {505, 85, 90, 15}},    {30, {605, 85, 30, 15}},
            {167, {635, 85, 144, 15}},   {20, {10, 125, 780, 235}},   {22, {10, 375, 220, 210}},
            {171, {17, 391, 205, 185}},  {24, {237, 375, 219, 210}},  {172, {244, 391, 205, 185}},
            {25, {463, 375, 170, 210}},  {173, {471, 391, 155, 185}}, {26, {640, 375, 153, 210}},
            {174, {647, 391, 139, 185}},
        };
        for (const Placed& p : placed) {
            QWidget* control = window->control(p.number);
            QVERIFY2(control, qPrintable(QString::number(p.number)));
            QCOMPARE(control->geometry(), p.rect);
        }
        QVERIFY(!window->control(19));
        QVERIFY(!window->control(168));

        struct Captioned {
            int number;
            const char* caption;
            bool bold;
        };
        const Captioned captions[] = {
            {21, "Summary", false}, {22, "Destroyed", false},    {24, "Damaged", false},
            {25, "Spotted", false}, {26, "Achievements", false}, {27, "Player", true},
            {41, "Nation", false},  {37, "Shots", false},        {38, "Damage received", false},
            {29, "Map", false},     {28, "Vehicle", false},      {34, "Price", false},
            {40, "Net", true},      {31, "Result", false},       {32, "XP", true},
            {39, "Ammo", false},    {36, "Frags", false},        {33, "Credits", true},
            {35, "Repair", false},  {30, "Date", false},
        };
        for (const Captioned& c : captions) {
            QWidget* control = window->control(c.number);
            if (auto* frame = qobject_cast<QGroupBox*>(control)) {
                QCOMPARE(frame->title(), QString::fromUtf8(c.caption));
                continue;
            }
            auto* label = qobject_cast<QLabel*>(control);
            QVERIFY2(label, qPrintable(QString::number(c.number)));
            QCOMPARE(label->text(), QString::fromUtf8(c.caption));
            QVERIFY(label->alignment() & Qt::AlignRight);
            QCOMPARE(label->font().bold(), c.bold);
        }

        // Only the price field is editable; it takes digits and explains itself.
        for (const InitialText& t : kInitialTexts)
            QCOMPARE(window->field(t.field)->isReadOnly(), t.field != 162);
        QCOMPARE(window->field(162)->toolTip(), QStringLiteral("PRICE TIP"));
        QCOMPARE(window->field(153)->palette().color(QPalette::Base), QColor(181, 255, 213));

        // The team lists share the splitter, the divider 400 pixels from its left edge.
        auto* splitter = qobject_cast<QSplitter*>(window->control(20));
        QVERIFY(splitter);
        QCOMPARE(splitter->handleWidth(), 7);
        QCOMPARE(splitter->widget(0), window->control(175));
        QCOMPARE(splitter->widget(1), window->control(176));
        QCOMPARE(splitter->sizes(), QList<int>({400, 373}));

        for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
            QTableView* view = window->teamView(side);
            QHeaderView* header = view->horizontalHeader();
            QVERIFY(view->showGrid());
            QVERIFY(header->isVisible());
            QVERIFY(!header->isSortIndicatorShown());
            QVERIFY(header->isSectionHidden(aliveColumn(side)));
            QCOMPARE(header->sectionSize(0), header->sectionSizeHint(0)); // fitted to its header
            QCOMPARE(window->teamList(side).columnWidth(0), header->sectionSizeHint(0));
            QCOMPARE(header->sectionSize(linkColumn(side)), 110);
        }
        for (const int number : {171, 172, 173, 174}) {
            auto* view = qobject_cast<QTableView*>(window->control(number));
            QVERIFY(view);
            QVERIFY(!view->horizontalHeader()->isVisible());
            QVERIFY(!view->showGrid());
        }
        QCOMPARE(qobject_cast<QTableView*>(window->control(173))->horizontalHeader()->sectionSize(1), 90);
        QCOMPARE(qobject_cast<QTableView*>(window->control(174))->horizontalHeader()->sectionSize(0), 175);
        QCOMPARE(qobject_cast<QTableView*>(window->control(171))->model()->rowCount(), 0);
    }

    void positionIsKeptOnScreen() {
        Fixture f;
        f.main.setGeometry(0, 0, 300, 200);
        std::u16string path;
        f.sample(2, samples::ResultsLayout::None, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QCOMPARE(window->pos(), QPoint(0, 0));
    }

    void summaryWithResults() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(3, samples::ResultsLayout::Current, &path);
        const BattleDetails details = f.read(path);
        QVERIFY(details.hasResults && details.resultText && !details.achievements.empty());
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QCOMPARE(f.state.priceKey, details.priceKey);
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
        QVERIFY(text(*window, 153).startsWith(QString::fromStdString(replay.facts.playerName)));
        QCOMPARE(text(*window, 167), QString::fromStdString(replay.facts.dateTime));
        QCOMPARE(column(window->achievementList(), 0), details.achievements);
    }

    void summaryWithoutResults() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(4, samples::ResultsLayout::None, &path);
        const BattleDetails details = f.read(path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QCOMPARE(text(*window, 153), QString::fromStdString(replay.facts.playerName)); // no clan
        QCOMPARE(text(*window, 154), qs(details.mapText));
        QCOMPARE(text(*window, 157), qs(details.nationText));
        QCOMPARE(text(*window, 158), qs(details.vehicleText));
        QCOMPARE(text(*window, 167), QString::fromStdString(replay.facts.dateTime));
        for (const InitialText& t : kInitialTexts)
            if (t.field != 153 && t.field != 154 && t.field != 157 && t.field != 158 && t.field != 167)
                QCOMPARE(text(*window, t.field), qs(t.text));
        QCOMPARE(window->achievementList().rowCount(), 0);
        // Thirty participants in the description: everybody is listed, alive, with the frags placeholder.
        const ListModel& left = window->teamList(TeamSide::Team1);
        const ListModel& right = window->teamList(TeamSide::Team2);
        QCOMPARE(left.rowCount() + right.rowCount(), 30);
        for (const auto& cell : column(left, 5))
            QCOMPARE(qs(cell), QStringLiteral("--"));
        for (const auto& cell : column(right, 4))
            QCOMPARE(qs(cell), QStringLiteral("1"));
    }

    void teamListsShowBothTeamsWithColoursAndLinks() {
        Fixture f;
        f.state.team1Links[u"Somebody"] = u"https://kept.example/";
        std::u16string path;
        const samples::SampleReplay replay = f.sample(5, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        const samples::SampleFacts& facts = replay.facts;

        int destroyed = 0;
        for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
            const ListModel& list = window->teamList(side);
            const int team = side == TeamSide::Team1 ? 1 : 2;
            const int link = linkColumn(side);
            const auto& links = side == TeamSide::Team1 ? f.state.team1Links : f.state.team2Links;
            int members = 0;
            for (const samples::SampleVehicle& v : facts.vehicles)
                if (v.team == team) ++members;
            QCOMPARE(list.rowCount(), members);

            bool survivorsDone = false;
            for (int r = 0; r < list.rowCount(); ++r) {
                const std::u16string name(list.cell(r, link));
                const samples::SampleVehicle* vehicle = nullptr;
                for (const samples::SampleVehicle& v : facts.vehicles)
                    if (utf8ToUtf16(v.name) == name && v.team == team) vehicle = &v;
                QVERIFY2(vehicle, qPrintable(qs(name)));
                // Survivors first.
                if (!vehicle->alive) survivorsDone = true;
                QVERIFY(vehicle->alive || survivorsDone);
                QCOMPARE(qs(list.cell(r, aliveColumn(side))), vehicle->alive ? "1" : "0");
                QCOMPARE(qs(list.cell(r, side == TeamSide::Team1 ? 5 : 0)), QString::number(vehicle->frags));
                const bool player = name == utf8ToUtf16(facts.playerName);
                for (int c = 0; c < list.columnCount(); ++c) {
                    const auto textColour = list.textColour(r, c);
                    if (c == link)
                        QCOMPARE(textColour, std::optional(kLinkBlue));
                    else if (!vehicle->alive)
                        QCOMPARE(textColour, std::optional(kDestroyedGrey));
                    else
                        QVERIFY(!textColour);
                    QCOMPARE(list.backgroundColour(r, c),
                             player ? std::optional(kPlayerGreen) : std::nullopt);
                }
                if (!vehicle->alive) ++destroyed;
                QCOMPARE(links.at(name), playerLinkAddress(u"https://stats.example/p/", name));
            }
        }
        QVERIFY(destroyed > 0); // the sample has both kinds of rows
        QCOMPARE(f.state.team1Links.at(u"Somebody"), u"https://kept.example/");

        // What the list view shows: a grey destroyed row with its blue name.
        QTableView* view = window->teamView(TeamSide::Team1);
        const ListModel& left = window->teamList(TeamSide::Team1);
        const int last = left.rowCount() - 1;
        if (left.cell(last, 1) == u"0") {
            QCOMPARE(view->model()->index(last, 4).data(Qt::ForegroundRole).value<QBrush>().color(),
                     QColor(165, 165, 165));
            QCOMPARE(view->model()->index(last, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
                     QColor(0, 0, 255));
        }

        // A click on the name header sorts the names ascending, without a header arrow.
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QHeaderView* header = view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 20, header->height() / 2));
        std::vector<std::u16string> names = column(left, 2);
        QVERIFY(std::is_sorted(names.begin(), names.end(),
                               [](const auto& a, const auto& b) { return compareIgnoreCase(a, b) < 0; }));
        QVERIFY(!header->isSortIndicatorShown());
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
        QVERIFY(l.rowCount() >= 2 && r.rowCount() >= 1);

        movePointer(left, cellCentre(left, 0, 2));
        QCOMPARE(l.textColour(0, 2), std::optional(kLinkHoverRed));
        movePointer(left, cellCentre(left, 0, 3)); // the clan of the same row
        QCOMPARE(l.textColour(0, 2), std::optional(kLinkBlue));
        movePointer(left, cellCentre(left, 0, 2));
        movePointer(left, cellCentre(left, 1, 2)); // the next name
        QCOMPARE(l.textColour(0, 2), std::optional(kLinkBlue));
        QCOMPARE(l.textColour(1, 2), std::optional(kLinkHoverRed));
        movePointer(right, cellCentre(right, 0, 3)); // over to the other team
        QCOMPARE(l.textColour(1, 2), std::optional(kLinkBlue));
        QCOMPARE(r.textColour(0, 3), std::optional(kLinkHoverRed));
        QCOMPARE(window->hover().remembered(), (LinkHover::Cell{TeamSide::Team2, 0, 3}));

        // A click on a name opens its link and still selects the row; one elsewhere opens nothing.
        const std::u16string name(r.cell(0, 3));
        QTest::mouseClick(right.viewport(), Qt::LeftButton, {}, cellCentre(right, 0, 3));
        QCOMPARE(f.platform.opened, std::vector<std::u16string>{u"https://stats.example/p/" + name});
        QCOMPARE(r.currentRow(), 0);
        QTest::mouseClick(right.viewport(), Qt::LeftButton, {}, cellCentre(right, 0, 1));
        QTest::mouseClick(left.viewport(), Qt::LeftButton, {}, cellCentre(left, 1, 3));
        QCOMPARE(f.platform.opened.size(), std::size_t{1});
        QCOMPARE(l.currentRow(), 1);
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
            view.clearSelection();
            view.setCurrentIndex(QModelIndex());
            const QImage before = view.viewport()->grab().toImage();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, 0, 2));
            QVERIFY(window->teamList(side).isSelected(0));
            const QImage after = view.viewport()->grab().toImage();
            const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
            // A point of each cell away from its text: the first cell turns to the highlight, the rest stay.
            for (int col = 0; col < window->teamList(side).columnCount(); ++col) {
                if (view.isColumnHidden(col)) continue;
                const QRect cell = view.visualRect(view.model()->index(0, col));
                const QPoint probe(cell.left() + 2, cell.bottom() - 1);
                QCOMPARE(after.pixelColor(probe) == highlight, col == 0);
                if (col != 0) QVERIFY2(after.pixelColor(probe) == before.pixelColor(probe), qPrintable(QString::number(col)));
            }
        }
    }

    void hostileNamesAreEncodedAndNeverOpenedWithoutAnAddress() {
        const std::string hostile = "a b&c#d?e/f %41 Жук javascript:alert(1)";
        {
            Fixture f;
            DetailsWindow* window = f.open(f.write("h.ivlreplay", replayWithName(hostile)));
            QVERIFY(window);
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const ListModel& right = window->teamList(TeamSide::Team2);
            int row = -1;
            for (int i = 0; i < right.rowCount(); ++i)
                if (right.cell(i, 3) == utf8ToUtf16(hostile)) row = i;
            QVERIFY(row >= 0);
            const std::u16string encoded =
                u"https://stats.example/p/"
                u"a%20b%26c%23d%3Fe%2Ff%20%2541%20%D0%96%D1%83%D0%BA%20javascript%3Aalert%281%29";
            QCOMPARE(f.state.team2Links.at(utf8ToUtf16(hostile)), encoded);
            QTableView& view = *window->teamView(TeamSide::Team2);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, row, 3));
            QCOMPARE(f.platform.opened, std::vector<std::u16string>{encoded});
        }
        {
            Fixture f(false); // no language file: message 55 reads "n/a"
            DetailsWindow* window = f.open(f.write("h.ivlreplay", replayWithName(hostile)));
            QVERIFY(window);
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->windowTitle(), QStringLiteral("n/a"));
            QTableView& view = *window->teamView(TeamSide::Team2);
            const ListModel& right = window->teamList(TeamSide::Team2);
            for (int row = 0; row < right.rowCount(); ++row)
                QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellCentre(view, row, 3));
            QVERIFY(f.platform.opened.empty());
            QCOMPARE(right.currentRow(), right.rowCount() - 1); // the clicks selected all the same
        }
    }

    void priceIsStoredOnCloseAndShownNextTime() {
        Fixture f;
        std::u16string path;
        const samples::SampleReplay replay = f.sample(7, samples::ResultsLayout::Current, &path);
        QPointer<DetailsWindow> window = f.open(path);
        QVERIFY(window);
        QSignalSpy closed(window.data(), &DetailsWindow::closed);
        QLineEdit* price = window->field(162);
        const QString ammo = text(*window, 163);
        const QString net = text(*window, 166);
        price->selectAll();
        QTest::keyClicks(price, QStringLiteral("3a-7. 1"));
        QCOMPARE(price->text(), QStringLiteral("371")); // digits only
        QTest::keyClicks(price, QStringLiteral("123456789"));
        QCOMPARE(price->text().size(), 9);
        price->setText(QStringLiteral("37"));
        QCOMPARE(text(*window, 163), ammo); // nothing is recomputed while the window is open
        QCOMPARE(text(*window, 166), net);

        QVERIFY(window->close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(f.main.isEnabled());
        QVERIFY(f.state.detailsClosed);
        QCOMPARE(f.state.priceText, u"37");
        QCOMPARE(readSettingText(f.settings, settings::groupCenasnaryda, utf8ToUtf16(replay.facts.tag), u""),
                 u"37");
        QCOMPARE(detailsWindowCount(), 0);
        QVERIFY(!window);

        f.state.detailsClosed = false;
        DetailsWindow* again = f.open(path);
        QVERIFY(again);
        QCOMPARE(text(*again, 162), QStringLiteral("37"));
        QCOMPARE(text(*again, 163), QString::number(replay.facts.personal.shots * 37));
        again->field(162)->setText(QStringLiteral("0"));
        again->close();
        QCOMPARE(readSettingText(f.settings, settings::groupCenasnaryda, utf8ToUtf16(replay.facts.tag), u""),
                 u"37"); // 0 is not stored

        // Without results the field shows 0 whatever is stored.
        std::u16string bare;
        f.sample(7, samples::ResultsLayout::None, &bare);
        DetailsWindow* noResults = f.open(bare);
        QVERIFY(noResults);
        QCOMPARE(text(*noResults, 162), QStringLiteral("0"));
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
            QWidget* target = window->control(focus);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            QCOMPARE(detailsWindowCount(), 0);
            QVERIFY(!window);
            QVERIFY(f.main.isEnabled());
            QVERIFY(f.state.detailsClosed);
            QCOMPARE(
                readSettingText(f.settings, settings::groupCenasnaryda, utf8ToUtf16(replay.facts.tag), u""),
                u"15");
        }
    }

    void failedWriteIsReportedAndTheWindowStillCloses() {
        Fixture f;
        std::u16string path;
        f.sample(9, samples::ResultsLayout::Current, &path);
        f.settings = f.settings.parent_path() / "no-such-folder" / "Settings.ini";
        QPointer<DetailsWindow> window = f.open(path);
        QVERIFY(window);
        window->field(162)->setText(QStringLiteral("12"));
        QVERIFY(window->close());
        QCOMPARE(f.platform.messages.size(), std::size_t{1});
        QCOMPARE(qs(f.platform.messages[0].title), QStringLiteral("ERR"));
        QCOMPARE(qs(f.platform.messages[0].text), QStringLiteral("NOT WRITTENSettings.ini"));
        QCOMPARE(detailsWindowCount(), 0);
        QVERIFY(f.main.isEnabled());
        QVERIFY(f.state.detailsClosed);
    }

    void filesThatCannotBeShownGiveAMessageAndNoWindow() {
        struct Case {
            const char* name;
            std::string bytes; // empty: the file does not exist
            const char* message;
        };
        samples::SampleOptions rejected;
        rejected.headerRejected = true;
        samples::SampleOptions unreadable;
        unreadable.descriptionUnreadable = true;
        const Case cases[] = {
            {"missing", {}, "CANNOT OPEN"},
            {"rejected", samples::makeSampleReplay(10, rejected).bytes, "NOT A REPLAY"},
            {"unreadable", samples::makeSampleReplay(10, unreadable).bytes, "NOT A REPLAY"},
        };
        for (const Case& c : cases) {
            Fixture f;
            const std::u16string path =
                c.bytes.empty() ? textFromPath(pathFromText(fromQString(f.dir.path())) / "gone.ivlreplay")
                                : f.write(std::string(c.name) + ".ivlreplay", c.bytes);
            QVERIFY2(!f.open(path), c.name);
            QCOMPARE(f.platform.messages.size(), std::size_t{1});
            QCOMPARE(qs(f.platform.messages[0].title), QStringLiteral("Information"));
            QCOMPARE(qs(f.platform.messages[0].text), QString::fromUtf8(c.message));
            QVERIFY(f.main.isEnabled());
            QCOMPARE(detailsWindowCount(), 0);
            QVERIFY(f.state.team1Links.empty());
        }
    }

    void resizingScalesTheBottomAndKeepsTheSummary() {
        Fixture f;
        std::u16string path;
        f.sample(12, samples::ResultsLayout::Current, &path);
        DetailsWindow* window = f.open(path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->resize(1000, 700);
        QTRY_COMPARE(window->size(), QSize(1000, 700));
        QCOMPARE(window->control(24)->geometry(), QRect(296, 475, 274, 210));
        QCOMPARE(window->control(174)->geometry(), QRect(809, 491, 174, 185));
        QCOMPARE(window->control(21)->geometry(), QRect(13, 5, 975, 112));
        QCOMPARE(window->control(20)->geometry(), QRect(10, 125, 980, 335));
        QCOMPARE(window->control(27)->geometry(), QRect(30, 25, 40, 15));
        QCOMPARE(window->control(167)->geometry(), QRect(635, 85, 144, 15));
        auto* splitter = qobject_cast<QSplitter*>(window->control(20));
        QCOMPARE(splitter->sizes().value(0), 503); // 400 of 780, kept as a share of the width

        // Narrower than the lists: nothing goes below zero.
        window->resize(100, 200);
        QTRY_COMPARE(window->size(), QSize(100, 200));
        QCOMPARE(window->control(20)->geometry(), QRect(10, 125, 80, 0));
        QCOMPARE(window->control(24)->geometry(), QRect(30, -25, 27, 210));
    }
};

QTEST_MAIN(DetailsWindowTest)
#include "DetailsWindowTest.moc"
