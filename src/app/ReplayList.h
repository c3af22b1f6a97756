#pragma once

#include "app/ListModel.h"

namespace tapeloft {

class Language;

// The two lists of battle records: the replay folder's and the favourites folder's.
enum class ReplayListKind { Replays, Favourites };

inline constexpr int kRecordColumns = 40;
inline constexpr int kPathColumn = 32;
inline constexpr int kDateColumn = 1;

// A list of battle records with its 40 headers (messages and fixed texts), 100-pixel columns, the
// sorter registered with the header arrow and every column's sort kind. Never fails.
ListModel makeReplayListModel(const Language& language, ReplayListKind kind);

// Sets the sort kinds of a battle record list; the two lists differ only in column 2.
void setReplayListSortKinds(ListModel& list, ReplayListKind kind);

} // namespace tapeloft
