#pragma once

#include "app/ListModel.h"
#include "details/BattleDetails.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The lists of the details window without any window: the two mirrored team lists with their colours,
// player links and hover highlighting, and the column sets of the lists below them.
namespace tapeloft {

class Language;

// Colours of the team lists, given in the platform's format (blue in the high byte).
inline constexpr ListColour kDestroyedGrey = ListColour::fromColorRef(0xA5A5A5);
inline constexpr ListColour kPlayerGreen = ListColour::fromColorRef(0xD5FFB5);
inline constexpr ListColour kLinkBlue = ListColour::fromColorRef(0xFF0000);
inline constexpr ListColour kLinkHoverRed = ListColour::fromColorRef(0x0000FF);

// Team 1 is shown in list 175 on the left, team 2 in list 176 on the right; the two mirror each other.
enum class TeamSide { Team1, Team2 };

// Player name (as the list shows it) to the address its link opens.
using PlayerLinks = std::unordered_map<std::u16string, std::u16string>;

// The six columns of a team list with their headers, widths and alignments.
std::vector<ListColumn> teamListColumns(TeamSide side, const Language& language);
// The name column, whose cells are the player links: 2 on the left, 3 on the right.
int linkColumn(TeamSide side);
// The column holding 1 for a surviving vehicle and 0 for a destroyed one: 1 on the left, 4 on the right.
int aliveColumn(TeamSide side);

// A text as one list cell: line feeds would split it into several cells, so they become blanks.
std::u16string cellText(std::u16string_view text);
// The row's cells joined by line feeds in the column order of the side.
std::u16string teamRowText(TeamSide side, const TeamRow& row);

// Appends the rows to a list built with teamListColumns: grey text for destroyed vehicles, the player's
// row on light green, the name cell blue. Sets links[name] to linkBase plus the percent-encoded name for
// every row (entries are added or replaced, never removed). Then registers the sorter without a header
// arrow, the alive column sorting as integers, and sorts by it descending: survivors first.
void fillTeamList(ListModel& list, TeamSide side, std::span<const TeamRow> rows, std::u16string_view linkBase,
                  PlayerLinks& links);

// The address a left click on that cell opens: the link of a name cell when it is a web address
// (isWebAddress); nullopt for any other cell, a name without link, and an address that is not one.
std::optional<std::u16string> linkTarget(const ListModel& list, TeamSide side, const PlayerLinks& links,
                                         int row, int column);

// The hover highlighting of both team lists: the name cell under the pointer turns red, and the one that
// was red turns blue again, in whichever list it is. One remembered cell serves both lists.
class LinkHover final {
public:
    struct Cell final {
        std::optional<TeamSide> side; // none before the pointer first moved over a list
        int row = -1;
        int column = -1;
        friend bool operator==(const Cell&, const Cell&) = default;
    };

    // Both lists must outlive the tracker.
    LinkHover(ListModel& team1, ListModel& team2) : team1_(team1), team2_(team2) {}

    // The pointer moved over the list of `side` to (row, column); -1 where there is no row or column.
    void pointerMoved(TeamSide side, int row, int column);
    const Cell& remembered() const { return remembered_; }

private:
    ListModel& list(TeamSide side) { return side == TeamSide::Team1 ? team1_ : team2_; }

    ListModel& team1_;
    ListModel& team2_;
    Cell remembered_;
};

// Columns of the lists below the team lists: 171 and 172 (second width 100) and 173 (second width 90)
// hold message 20 and message 94, and stay empty.
std::vector<ListColumn> emptyListColumns(const Language& language, int secondWidth);
// List 174: one column headed by message 106, one achievement per row.
std::vector<ListColumn> achievementListColumns(const Language& language);

} // namespace tapeloft
