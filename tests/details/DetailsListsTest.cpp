#include "details/DetailsLists.h"

#include "shell/Language.h"
#include "shell/PrefFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft;

namespace {

const Language& language() {
    static const Language lang(
        PrefFile::parse(u"[text]\ntxt20=Name\ntxt23=Vehicle\ntxt25=Alive\ntxt26=Frags\n"
                        u"txt93=Team\ntxt94=Clan\ntxt106=Achievements\n"));
    return lang;
}

constexpr std::u16string_view kBase = u"https://stats.example/p/";

TeamRow row(std::u16string name, std::int32_t alive, bool isPlayer = false) {
    return {name, u"CL", u"Tank " + name, u"3", alive, isPlayer};
}

std::vector<std::u16string> column(const ListModel& list, int col) {
    std::vector<std::u16string> cells;
    for (int r = 0; r < list.rowCount(); ++r)
        cells.emplace_back(list.cell(r, col));
    return cells;
}

// A team list filled with Ann (the player, destroyed), bob, Cid and Dan (destroyed), in that order.
struct Filled {
    TeamSide side;
    ListModel list;
    PlayerLinks links;
    explicit Filled(TeamSide s, std::u16string_view base = kBase)
        : side(s), list(teamListColumns(s, language())) {
        const std::vector<TeamRow> rows = {row(u"Ann", 0, true), row(u"bob", 1), row(u"Cid", 1),
                                           row(u"Dan", 0)};
        fillTeamList(list, side, rows, base, links);
    }
    int rowOf(std::u16string_view name) const {
        for (int r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, linkColumn(side)) == name) return r;
        return -1;
    }
};

} // namespace

TEST(DetailsLists, TeamListsMirrorEachOther) {
    struct Expected {
        std::u16string header;
        int width;
        ColumnAlignment alignment;
    };
    using enum ColumnAlignment;
    const std::vector<Expected> left = {{u"Team", 50, Left},      {u"Alive", 0, Left},
                                        {u"Name", 110, Right},    {u"Clan", 50, Left},
                                        {u"Vehicle", 110, Right}, {u"Frags", 50, Centre}};
    const std::vector<Expected> right = {{u"Frags", 50, Centre}, {u"Vehicle", 110, Left},
                                         {u"Clan", 50, Left},    {u"Name", 110, Left},
                                         {u"Alive", 0, Left},    {u"Team", 50, Left}};
    for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
        const std::vector<ListColumn> columns = teamListColumns(side, language());
        const std::vector<Expected>& expected = side == TeamSide::Team1 ? left : right;
        ASSERT_EQ(columns.size(), expected.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(columns[i].header, expected[i].header);
            EXPECT_EQ(columns[i].width, expected[i].width);
            EXPECT_EQ(columns[i].alignment, expected[i].alignment);
        }
        EXPECT_EQ(columns[static_cast<std::size_t>(linkColumn(side))].header, u"Name");
        EXPECT_EQ(columns[static_cast<std::size_t>(aliveColumn(side))].header, u"Alive");
    }
    EXPECT_EQ(emptyListColumns(language(), 90)[1].width, 90);
    EXPECT_EQ(emptyListColumns(language(), 90)[0].header, u"Name");
    EXPECT_EQ(achievementListColumns(language())[0].header, u"Achievements");
    EXPECT_EQ(achievementListColumns(language())[0].width, 175);
}

TEST(DetailsLists, RowTextsFollowTheColumnsOfTheirSide) {
    const TeamRow r{u"Ann", u"ABC", u"Warden", u"2", 0, false};
    EXPECT_EQ(teamRowText(TeamSide::Team1, r), u"\n0\nAnn\nABC\nWarden\n2");
    EXPECT_EQ(teamRowText(TeamSide::Team2, r), u"2\nWarden\nABC\nAnn\n0\n");
    // A line feed inside a text would shift every later cell.
    const TeamRow odd{u"A\nB", u"C\nD", u"V", u"-1", 1, false};
    EXPECT_EQ(teamRowText(TeamSide::Team1, odd), u"\n1\nA B\nC D\nV\n-1");
}

TEST(DetailsLists, FilledListsShowSurvivorsFirstWithTheirColours) {
    for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
        SCOPED_TRACE(side == TeamSide::Team1 ? "team 1" : "team 2");
        Filled f(side);
        const int link = linkColumn(side);
        // Survivors first; rows of equal state keep their order.
        EXPECT_EQ(column(f.list, link), (std::vector<std::u16string>{u"bob", u"Cid", u"Ann", u"Dan"}));
        EXPECT_EQ(column(f.list, aliveColumn(side)), (std::vector<std::u16string>{u"1", u"1", u"0", u"0"}));
        EXPECT_FALSE(f.list.sortIndicator().has_value());

        for (int r = 0; r < f.list.rowCount(); ++r) {
            const bool destroyed = f.list.cell(r, aliveColumn(side)) == u"0";
            const bool player = f.list.cell(r, link) == u"Ann";
            for (int c = 0; c < f.list.columnCount(); ++c) {
                SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
                if (c == link)
                    EXPECT_EQ(f.list.textColour(r, c), kLinkBlue); // blue even on a destroyed row
                else if (destroyed)
                    EXPECT_EQ(f.list.textColour(r, c), kDestroyedGrey);
                else
                    EXPECT_FALSE(f.list.textColour(r, c).has_value());
                if (player)
                    EXPECT_EQ(f.list.backgroundColour(r, c), kPlayerGreen);
                else
                    EXPECT_FALSE(f.list.backgroundColour(r, c).has_value());
            }
        }
        EXPECT_EQ(kPlayerGreen, ListColour::fromRgb(0xB5FFD5)); // red 181, green 255, blue 213

        // The first click on the alive column reverses the starting sort; one on the names sorts them
        // ascending, ignoring letter case.
        ASSERT_TRUE(f.list.headerClicked(aliveColumn(side)));
        EXPECT_EQ(column(f.list, aliveColumn(side)), (std::vector<std::u16string>{u"0", u"0", u"1", u"1"}));
        ASSERT_TRUE(f.list.headerClicked(link));
        EXPECT_EQ(column(f.list, link), (std::vector<std::u16string>{u"Ann", u"bob", u"Cid", u"Dan"}));
        EXPECT_FALSE(f.list.sortIndicator().has_value());
        // Colours travel with their rows.
        EXPECT_EQ(f.list.backgroundColour(0, 0), kPlayerGreen);
        EXPECT_EQ(f.list.textColour(3, 0), kDestroyedGrey);
    }
}

TEST(DetailsLists, EveryNameGetsItsLink) {
    PlayerLinks links{{u"Old", u"https://kept.example/Old"}, {u"Ann", u"https://stale.example/Ann"}};
    ListModel list(teamListColumns(TeamSide::Team2, language()));
    const std::vector<TeamRow> rows = {row(u"Ann", 1), row(u"Zoë Ж", 0), row(u"a&b/c", 1), row(u"x\ny", 1)};
    fillTeamList(list, TeamSide::Team2, rows, kBase, links);
    EXPECT_EQ(links.size(), 5u);
    EXPECT_EQ(links[u"Old"], u"https://kept.example/Old");
    EXPECT_EQ(links[u"Ann"], u"https://stats.example/p/Ann");
    EXPECT_EQ(links[u"Zoë Ж"], u"https://stats.example/p/Zo%C3%AB%20%D0%96");
    EXPECT_EQ(links[u"a&b/c"], u"https://stats.example/p/a%26b%2Fc");
    // Keyed by the text the cell shows, linked to the name as it is.
    EXPECT_EQ(links[u"x y"], u"https://stats.example/p/x%0Ay");
}

TEST(DetailsLists, OnlyNameCellsWithAWebAddressOpenAnything) {
    Filled f(TeamSide::Team2);
    const int ann = f.rowOf(u"Ann");
    ASSERT_GE(ann, 0);
    EXPECT_EQ(linkTarget(f.list, TeamSide::Team2, f.links, ann, 3), u"https://stats.example/p/Ann");
    for (const int col : {0, 1, 2, 4, 5})
        EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, ann, col).has_value()) << col;
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, -1, 3).has_value());
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, f.list.rowCount(), 3).has_value());
    // The name column of the other side is not this list's link column.
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team1, f.links, ann, 3).has_value());
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, PlayerLinks{}, ann, 3).has_value());

    Filled noLanguage(TeamSide::Team2, u"n/a");
    EXPECT_EQ(noLanguage.links[u"Ann"], u"n/aAnn");
    EXPECT_FALSE(linkTarget(noLanguage.list, TeamSide::Team2, noLanguage.links, ann, 3).has_value());
    Filled script(TeamSide::Team2, u"javascript:alert('");
    EXPECT_FALSE(linkTarget(script.list, TeamSide::Team2, script.links, ann, 3).has_value());
}

TEST(DetailsLists, HoverTurnsTheNameUnderThePointerRedAndThePreviousOneBlue) {
    Filled left(TeamSide::Team1);
    Filled right(TeamSide::Team2);
    LinkHover hover(left.list, right.list);
    const auto colour = [](const Filled& f, int r) { return f.list.textColour(r, linkColumn(f.side)); };

    hover.pointerMoved(TeamSide::Team1, 0, 0); // not a name
    EXPECT_EQ(colour(left, 0), kLinkBlue);
    hover.pointerMoved(TeamSide::Team1, 0, 2);
    EXPECT_EQ(colour(left, 0), kLinkHoverRed);
    hover.pointerMoved(TeamSide::Team1, 0, 2); // the same cell: nothing changes
    EXPECT_EQ(colour(left, 0), kLinkHoverRed);
    hover.pointerMoved(TeamSide::Team1, 0, 3); // the clan of the same row
    EXPECT_EQ(colour(left, 0), kLinkBlue);
    hover.pointerMoved(TeamSide::Team1, 1, 2);
    hover.pointerMoved(TeamSide::Team1, 3, 2); // name to name
    EXPECT_EQ(colour(left, 1), kLinkBlue);
    EXPECT_EQ(colour(left, 3), kLinkHoverRed);
    EXPECT_EQ(left.list.textColour(3, 0), kDestroyedGrey); // the rest of a destroyed row stays grey

    // Into the other list: the red name there goes back to blue as well.
    hover.pointerMoved(TeamSide::Team2, 3, 3);
    EXPECT_EQ(colour(left, 3), kLinkBlue);
    EXPECT_EQ(colour(right, 3), kLinkHoverRed);
    hover.pointerMoved(TeamSide::Team2, -1, -1); // below the last row
    EXPECT_EQ(colour(right, 3), kLinkBlue);
    EXPECT_EQ(hover.remembered(), (LinkHover::Cell{TeamSide::Team2, -1, -1}));

    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(colour(left, r), kLinkBlue) << r;
        EXPECT_EQ(colour(right, r), kLinkBlue) << r;
    }
}

TEST(DetailsLists, HoverSurvivesRowsThatAreGone) {
    Filled left(TeamSide::Team1);
    ListModel empty(teamListColumns(TeamSide::Team2, language()));
    LinkHover hover(left.list, empty);
    hover.pointerMoved(TeamSide::Team1, 3, 2);
    left.list.removeAllRows();
    hover.pointerMoved(TeamSide::Team1, 0, 2); // neither the old nor the new row exists
    hover.pointerMoved(TeamSide::Team2, 0, 3);
    EXPECT_EQ(hover.remembered(), (LinkHover::Cell{TeamSide::Team2, 0, 3}));
}
