#pragma once

// The columns of a battle record, in the order its row holds them and the lists build them.
namespace tapeloft {

enum RecordColumn : int {
    ColumnCheck = 0, // always empty: the check mark of the settings window's column list
    ColumnDate,
    ColumnLifeTime,
    ColumnPlayer,
    ColumnMap,
    ColumnNation,
    ColumnVehicle,
    ColumnResult,
    ColumnAlive,
    ColumnFrags,
    ColumnXp,
    ColumnFreeXp,
    ColumnXpPenalty,
    ColumnOriginalXp,
    ColumnCredits,
    ColumnCreditsPenalty,
    ColumnRepair,
    ColumnAmmunitionCost,
    ColumnNetCredits,
    ColumnDamageDealt,
    ColumnPotentialDamageDealt,
    ColumnDamageShare,
    ColumnDamageReceived,
    ColumnPotentialDamageReceived,
    ColumnShots,
    ColumnHits,
    ColumnHitRate,
    ColumnShotsReceived,
    ColumnHealth,
    ColumnCapturePoints,
    ColumnDroppedCapturePoints,
    ColumnKiller,
    ColumnPath, // the replay file: the commands find the file of a row here
    ColumnGameMode,
    ColumnServer,
    ColumnBattleType,
    ColumnEquipmentCost,
    ColumnClientVersion,
    ColumnAchievements,
    ColumnMastery,
    RecordColumnCount
};

} // namespace tapeloft
