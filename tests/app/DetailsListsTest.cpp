#include "app/DetailsLists.h"

#include "base/Language.h"
#include "base/PrefFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tapeloft;

namespace {

const Language& language() {
    static const Language lang(
        PrefFile::parse(u"[text]\ntxt20=Name\ntxt23=Vehicle\ntxt25=Alive\ntxt26=Frags\n"
                        u"txt93=Team\ntxt94=Clan\n"));
    return lang;
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
    PlayerLinks links{{u"Old", u"https://kept.example/"}, {u"Ann", u"https://stale.example/"}};
    explicit Filled(TeamSide s, std::u16string_view base = u"https://stats.example/p/")
        : side(s), list(teamListColumns(s, language())) {
        const auto row = [](std::u16string name, int alive, bool player = false) {
            return TeamRow{name, u"CL", u"Tank", u"3", alive, player};
        };
        const std::vector<TeamRow> rows = {row(u"Ann", 0, true), row(u"bob", 1), row(u"Cid", 1),
                                           row(u"Dan", 0)};
        fillTeamList(list, side, rows, base, links);
    }
};

} // namespace

TEST(DetailsLists, RowTextsFollowTheMirroredColumns) {
    const TeamRow r{u"Ann", u"ABC", u"Warden", u"2", 0, false};
    EXPECT_EQ(teamRowText(TeamSide::Team1, r), u"\n0\nAnn\nABC\nWarden\n2");
    EXPECT_EQ(teamRowText(TeamSide::Team2, r), u"2\nWarden\nABC\nAnn\n0\n");
    // A line feed inside a name would shift every later cell.
    const TeamRow odd{u"A\nB", u"C", u"V", u"-1", 1, false};
    EXPECT_EQ(teamRowText(TeamSide::Team1, odd), u"\n1\nA B\nC\nV\n-1");
    EXPECT_EQ(teamListColumns(TeamSide::Team1, language())[2].header, u"Name");
    EXPECT_EQ(teamListColumns(TeamSide::Team2, language())[3].header, u"Name");
}

TEST(DetailsLists, FilledListsShowSurvivorsFirstWithColoursAndLinks) {
    for (const TeamSide side : {TeamSide::Team1, TeamSide::Team2}) {
        SCOPED_TRACE(side == TeamSide::Team1 ? "team 1" : "team 2");
        Filled f(side);
        const int link = linkColumn(side);
        const int alive = aliveColumn(side);
        // Survivors first; rows of equal state keep their order; no header arrow.
        EXPECT_EQ(column(f.list, link), (std::vector<std::u16string>{u"bob", u"Cid", u"Ann", u"Dan"}));
        EXPECT_EQ(column(f.list, alive), (std::vector<std::u16string>{u"1", u"1", u"0", u"0"}));
        EXPECT_FALSE(f.list.sortIndicator().has_value());

        for (int r = 0; r < f.list.rowCount(); ++r) {
            const bool destroyed = f.list.cell(r, alive) == u"0";
            const bool player = f.list.cell(r, link) == u"Ann";
            for (int c = 0; c < f.list.columnCount(); ++c) {
                SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
                const auto text = c == link   ? std::optional(kLinkBlue) // blue even on a destroyed row
                                  : destroyed ? std::optional(kDestroyedGrey)
                                              : std::nullopt;
                EXPECT_EQ(f.list.textColour(r, c), text);
                EXPECT_EQ(f.list.backgroundColour(r, c), player ? std::optional(kPlayerGreen) : std::nullopt);
            }
        }
        EXPECT_EQ(kPlayerGreen, ListColour::fromRgb(0xB5FFD5)); // red 181, green 255, blue 213

        // Every name is linked (old entries stay, names seen again are replaced).
        EXPECT_EQ(f.links.size(), 5u);
        EXPECT_EQ(f.links[u"Old"], u"https://kept.example/");
        EXPECT_EQ(f.links[u"Ann"], u"https://stats.example/p/Ann");

        // The first click on the alive column reverses the starting sort; one on the names sorts them
        // ascending ignoring letter case, the colours travelling with their rows.
        ASSERT_TRUE(f.list.headerClicked(alive));
        EXPECT_EQ(column(f.list, alive), (std::vector<std::u16string>{u"0", u"0", u"1", u"1"}));
        ASSERT_TRUE(f.list.headerClicked(link));
        EXPECT_EQ(column(f.list, link), (std::vector<std::u16string>{u"Ann", u"bob", u"Cid", u"Dan"}));
        EXPECT_EQ(f.list.backgroundColour(0, 0), kPlayerGreen);
        EXPECT_EQ(f.list.textColour(3, 0), kDestroyedGrey);
    }
}

TEST(DetailsLists, OnlyNameCellsWithAWebAddressOpenAnything) {
    Filled f(TeamSide::Team2);
    const int ann = 2;
    ASSERT_EQ(f.list.cell(ann, 3), u"Ann");
    EXPECT_EQ(linkTarget(f.list, TeamSide::Team2, f.links, ann, 3), u"https://stats.example/p/Ann");
    for (const int col : {0, 1, 2, 4, 5})
        EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, ann, col).has_value()) << col;
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, -1, 3).has_value());
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, f.links, f.list.rowCount(), 3).has_value());
    EXPECT_FALSE(linkTarget(f.list, TeamSide::Team2, PlayerLinks{}, ann, 3).has_value());

    Filled noLanguage(TeamSide::Team2, u"n/a"); // message 55 without a language file
    EXPECT_FALSE(linkTarget(noLanguage.list, TeamSide::Team2, noLanguage.links, ann, 3).has_value());
    Filled script(TeamSide::Team2, u"javascript:alert('");
    EXPECT_FALSE(linkTarget(script.list, TeamSide::Team2, script.links, ann, 3).has_value());
}

TEST(DetailsLists, HoverTurnsTheNameUnderThePointerRedAndThePreviousOneBlue) {
    Filled left(TeamSide::Team1);
    Filled right(TeamSide::Team2);
    LinkHover hover(left.list, right.list);
    const auto colour = [](const Filled& f, int r) { return f.list.textColour(r, linkColumn(f.side)); };

    hover.pointerMoved(TeamSide::Team1, 0, 2);
    EXPECT_EQ(colour(left, 0), kLinkHoverRed);
    hover.pointerMoved(TeamSide::Team1, 0, 3); // the clan of the same row
    EXPECT_EQ(colour(left, 0), kLinkBlue);
    hover.pointerMoved(TeamSide::Team1, 1, 2);
    hover.pointerMoved(TeamSide::Team1, 3, 2); // name to name
    EXPECT_EQ(colour(left, 1), kLinkBlue);
    EXPECT_EQ(colour(left, 3), kLinkHoverRed);
    EXPECT_EQ(left.list.textColour(3, 0), kDestroyedGrey); // the rest of a destroyed row stays grey

    // Into the other list: the red name left behind turns blue as well.
    hover.pointerMoved(TeamSide::Team2, 3, 3);
    EXPECT_EQ(colour(left, 3), kLinkBlue);
    EXPECT_EQ(colour(right, 3), kLinkHoverRed);
    hover.pointerMoved(TeamSide::Team2, -1, -1); // below the last row
    EXPECT_EQ(colour(right, 3), kLinkBlue);
    // Rows that are gone are skipped.
    right.list.removeAllRows();
    hover.pointerMoved(TeamSide::Team2, 0, 3);
    EXPECT_EQ(hover.remembered(), (LinkHover::Cell{TeamSide::Team2, 0, 3}));
}
