#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tapeloft {

class Language;
struct ReplayBlocks;

enum class BattleRecordKind {
    Marker,    // the header test failed: a row with the "not a replay" text
    Full,      // description and results
    NoResults, // description without usable results: a tinted row
    // No row, one message box: the file cannot be opened or read, its leading pieces are oversized, its
    // description cannot be read, or its path holds a line feed. A replay never vanishes without a word.
    Unreadable,
};

// One replay file as list text, before it goes into a list.
struct BattleRecord {
    BattleRecordKind kind = BattleRecordKind::Unreadable;
    std::u16string rowText; // the 40 cells joined by line feeds, for the kinds that make a row
    // False when the file could not be opened or read: the record says nothing about its content.
    bool contentRead = false;
};

// Reads one replay; never fails: a problem shows in the kind.
BattleRecord extractBattleRecord(std::u16string_view path, const Language& language);
// The record of blocks already read with the scan header test; path goes into column 32. Never fails. Line
// feeds inside the replay's texts become spaces, so a row always has its 40 cells.
BattleRecord battleRecordFromBlocks(const ReplayBlocks& blocks, std::u16string_view path,
                                    const Language& language);

} // namespace tapeloft
