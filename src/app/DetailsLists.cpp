#include "app/DetailsLists.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "details/PlayerLinks.h"

namespace tapeloft {

namespace {

// The column headers.
constexpr MessageId kTeamHeader = MsgTeam;
constexpr MessageId kAliveHeader = MsgAliveHeader;
constexpr MessageId kNameHeader = MsgPlayerHeader;
constexpr MessageId kClanHeader = MsgClan;
constexpr MessageId kVehicleHeader = MsgVehicleHeader;
constexpr MessageId kFragsHeader = MsgFragsHeader;
constexpr MessageId kAchievementsHeader = MsgAchievements;

ListColumn column(const Language& language, MessageId message, int width, ColumnAlignment alignment) {
    return {language.message(message), width, alignment};
}

} // namespace

std::vector<ListColumn> teamListColumns(TeamSide side, const Language& language) {
    using enum ColumnAlignment;
    if (side == TeamSide::Team1)
        return {column(language, kTeamHeader, 50, Left),      column(language, kAliveHeader, 0, Left),
                column(language, kNameHeader, 110, Right),    column(language, kClanHeader, 50, Left),
                column(language, kVehicleHeader, 110, Right), column(language, kFragsHeader, 50, Centre)};
    return {column(language, kFragsHeader, 50, Centre), column(language, kVehicleHeader, 110, Left),
            column(language, kClanHeader, 50, Left),    column(language, kNameHeader, 110, Left),
            column(language, kAliveHeader, 0, Left),    column(language, kTeamHeader, 50, Left)};
}

int linkColumn(TeamSide side) {
    return side == TeamSide::Team1 ? 2 : 3;
}

int aliveColumn(TeamSide side) {
    return side == TeamSide::Team1 ? 1 : 4;
}

std::u16string cellText(std::u16string_view text) {
    std::u16string cell(text);
    for (char16_t& c : cell)
        if (c == u'\n') c = u' ';
    return cell;
}

std::u16string teamRowText(TeamSide side, const TeamRow& row) {
    const std::u16string alive = decimal(row.alive);
    const std::u16string_view cells1[] = {u"", alive, row.name, row.clan, row.vehicle, row.fragsText};
    const std::u16string_view cells2[] = {row.fragsText, row.vehicle, row.clan, row.name, alive, u""};
    std::u16string text;
    bool first = true;
    for (const std::u16string_view cell : side == TeamSide::Team1 ? cells1 : cells2) {
        if (!first) text.push_back(u'\n');
        first = false;
        text += cellText(cell);
    }
    return text;
}

void fillTeamList(ListModel& list, TeamSide side, std::span<const TeamRow> rows, std::u16string_view linkBase,
                  PlayerLinks& links) {
    const int link = linkColumn(side);
    list.beginBulkUpdate();
    for (const TeamRow& row : rows) {
        RowColours colours;
        if (row.alive == 0) colours.text = kDestroyedGrey;
        if (row.isPlayer) colours.background = kPlayerGreen;
        const int index = list.appendRow(teamRowText(side, row), colours);
        if (index >= 0) list.setTextColour(index, link, kLinkBlue);
        links[cellText(row.name)] = playerLinkAddress(linkBase, row.name);
    }
    list.endBulkUpdate();

    const int alive = aliveColumn(side);
    list.registerListSorter(false);
    list.setSortKind(alive, SortKind::Integer);
    list.sortList(alive, SortDirection::Descending);
}

std::optional<std::u16string> linkTarget(const ListModel& list, TeamSide side, const PlayerLinks& links,
                                         int row, int column) {
    if (row < 0 || row >= list.rowCount() || column != linkColumn(side)) return std::nullopt;
    const auto found = links.find(std::u16string(list.cell(row, column)));
    if (found == links.end() || !isWebAddress(found->second)) return std::nullopt;
    return found->second;
}

void LinkHover::pointerMoved(TeamSide side, int row, int column) {
    const Cell now{side, row, column};
    if (now == remembered_) return;
    if (remembered_.side && remembered_.row >= 0) {
        ListModel& before = list(*remembered_.side);
        if (remembered_.row < before.rowCount())
            before.setTextColour(remembered_.row, linkColumn(*remembered_.side), kLinkBlue);
    }
    remembered_ = now;
    ListModel& current = list(side);
    if (row >= 0 && row < current.rowCount() && column == linkColumn(side))
        current.setTextColour(row, column, kLinkHoverRed);
}

std::vector<ListColumn> emptyListColumns(const Language& language, int secondWidth) {
    return {column(language, kNameHeader, 100, ColumnAlignment::Left),
            column(language, kClanHeader, secondWidth, ColumnAlignment::Left)};
}

std::vector<ListColumn> achievementListColumns(const Language& language) {
    return {column(language, kAchievementsHeader, 175, ColumnAlignment::Left)};
}

} // namespace tapeloft
