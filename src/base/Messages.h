#pragma once

// The numbers of the language file's messages ("txt1", "txt2", ...) that the program shows.
namespace tapeloft {

enum MessageId : int {
    MsgChooseReplayFolder = 1,
    MsgChooseFavouritesFolder = 2,
    MsgVictory = 3,
    MsgDefeat = 4,
    MsgDraw = 5,
    MsgNoResultsCell = 6, // the cells of a battle without results
    MsgNotAReplay = 7,
    MsgReplayFolder = 8,
    MsgFavouritesFolder = 9,
    MsgRescanTip = 10,
    MsgReplaysTab = 11,
    MsgExportReplaysTip = 12,
    MsgReplayDetailsTip = 13,
    MsgDeleteReplaysTip = 14,
    MsgMoveToFavouritesTip = 15,
    MsgFilterBarTip = 16,
    MsgListHint = 17,
    // The headers of record columns 1 ... 32 are messages 18 ... 49.
    MsgFirstColumnHeader = 18,
    MsgPlayerHeader = 20,
    MsgMapHeader = 21,
    MsgNationHeader = 22,
    MsgVehicleHeader = 23,
    MsgAliveHeader = 25,
    MsgFragsHeader = 26,
    MsgXpHeader = 27,
    MsgCreditsHeader = 31,
    MsgRepairHeader = 33,
    MsgNetCreditsHeader = 35,
    MsgFavouritesTab = 50,
    MsgExportFavouritesTip = 51,
    MsgFavouriteDetailsTip = 52,
    MsgDeleteFavouritesTip = 53,
    MsgMoveToReplaysTip = 54,
    MsgPlayerLink = 55,               // the address a player's name is appended to
    MsgFirstNumberedAchievement = 57, // the names of achievements 50 ... 56 are messages 57 ... 63
    MsgFirstHeroAchievement = 64,     // hero achievements 0 ... 6 are messages 64 ... 70
    MsgReplayNotOpened = 71,
    MsgSettingsTitle = 72,
    MsgSave = 73,
    MsgReplayCount = 75,
    MsgFavouriteCount = 76,
    MsgExportTitle = 77,
    MsgErrorTitle = 78,
    MsgNotCopied = 79,
    MsgNoDestination = 80,
    MsgScanTitle = 82,
    MsgScanCaption = 83,
    MsgOpenExported = 84,
    MsgSettingsTip = 85,
    MsgAboutTitle = 86,
    MsgGameModeHeader = 87,
    MsgAboutText = 89,
    MsgAboutSubtitle = 90,
    MsgAboutDiscussion = 91,
    MsgDetailsTitle = 92,
    MsgTeam = 93,
    MsgClan = 94,
    MsgBattleSummary = 95,
    MsgDestroyed = 96,
    MsgPlayer = 97,
    MsgDate = 98,
    MsgResult = 99,
    MsgShellPrice = 100,
    MsgShotsHits = 101,
    MsgDamageReceived = 102,
    MsgAmmunitionCost = 103,
    MsgDamaged = 104,
    MsgSpotted = 105,
    MsgAchievements = 106,
    MsgLanguage = 107,
    MsgLanguageFile = 108,
    MsgAccount = 109,
    MsgLogin = 110,
    MsgPassword = 111,
    MsgColumns = 112,
    MsgFoldersOverlap = 113,
    MsgFolderNotUsable = 114,
    MsgNotDeleted = 115,
    MsgNotWritten = 116,
    MsgTooManyRows = 117,
    MsgShellPriceTip = 118,
    MsgReplayGone = 119,
    MsgXlsxFileType = 121, // the save dialog's file types besides the fixed .xls one
    MsgCsvFileType = 122,
    MsgCacheBypassed = 140,
    // Texts the program once showed in Russian whatever the language file said; a file without them still
    // gets those texts (see builtin::defaultMessages).
    MsgUnreadableTitle = 150,
    MsgUnreadableFile = 151,          // "%1" stands for the file's path
    MsgFirstBattleType = 152,         // battle types 1 ... 7 are messages 152 ... 158
    MsgServerHeader = 159,            // the headers of record columns 34 ... 39 are messages 159 ... 164
    MsgFirstDetailsPlaceholder = 165, // the details window's summary fields before a battle: 165 ... 178
    MsgExportQuestionTitle = 179,
};

} // namespace tapeloft
