#pragma once

#include "app/ListModel.h"
#include "replay/RecordColumns.h"

namespace tapeloft {

class Language;

// The two lists of battle records: the replay folder's and the favourites folder's.
enum class ReplayListKind { Replays, Favourites };

// A list of battle records with its 40 headers (messages and fixed texts), 100-pixel columns, the
// sorter registered with the header arrow and every column's sort kind. Never fails.
ListModel makeReplayListModel(const Language& language, ReplayListKind kind);

// Sets the sort kinds of a battle record list; the two lists differ only in column 2.
void setReplayListSortKinds(ListModel& list, ReplayListKind kind);

} // namespace tapeloft
