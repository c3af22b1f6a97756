#pragma once

#include "base/Messages.h"

#include <cstdint>
#include <string_view>

// The texts the program showed in Russian whatever its language file said. They are messages of the language
// file now; these are what a file without them gives, so that an old language file shows the program as it
// was.
namespace tapeloft::builtin {

struct DefaultMessage final {
    int message;
    std::u16string_view text;
};

// The summary fields of the details window, in the order of their messages from
// MsgFirstDetailsPlaceholder on.
inline constexpr int PlaceholderPlayer = 0;
inline constexpr int PlaceholderMap = 1;
inline constexpr int PlaceholderResult = 2;
inline constexpr int PlaceholderFrags = 3;
inline constexpr int PlaceholderNation = 4;
inline constexpr int PlaceholderVehicle = 5;
inline constexpr int PlaceholderXp = 6;
inline constexpr int PlaceholderCredits = 7;
inline constexpr int PlaceholderShots = 8;
inline constexpr int PlaceholderAmmunitionCost = 9;
inline constexpr int PlaceholderRepair = 10;
inline constexpr int PlaceholderDamageReceived = 11;
inline constexpr int PlaceholderNetCredits = 12;
inline constexpr int PlaceholderDate = 13;
inline constexpr int DetailsPlaceholderCount = 14;

inline constexpr DefaultMessage defaultMessages[] = {
    {MsgUnreadableTitle, u"Внимание!"},
    {MsgUnreadableFile, u"Файл %1 не может быть обработан."},
    {MsgFirstBattleType + 0, u"Случайный бой"},
    {MsgFirstBattleType + 1, u"Тренировка"},
    {MsgFirstBattleType + 2, u"Ротный бой"},
    {MsgFirstBattleType + 3, u"Турнир"},
    {MsgFirstBattleType + 4, u"ГК"},
    {MsgFirstBattleType + 5, u"Боевое обучение"},
    {MsgFirstBattleType + 6, u"Командный бой"},
    {MsgServerHeader + 0, u"Cервер"}, // its first letter is the Latin C, as the program has always shown it
    {MsgServerHeader + 1, u"Тип боя"},
    {MsgServerHeader + 2, u"Стоимость снаряжения"},
    {MsgServerHeader + 3, u"Версия игры"},
    {MsgServerHeader + 4, u"Количество достижений"},
    {MsgServerHeader + 5, u"Показатель мастерсва"},
    {MsgFirstDetailsPlaceholder + PlaceholderPlayer, u"играл"},
    {MsgFirstDetailsPlaceholder + PlaceholderMap, u"карта"},
    {MsgFirstDetailsPlaceholder + PlaceholderResult, u"Рез-тат"},
    {MsgFirstDetailsPlaceholder + PlaceholderFrags, u"Фраги"},
    {MsgFirstDetailsPlaceholder + PlaceholderNation, u"Нация"},
    {MsgFirstDetailsPlaceholder + PlaceholderVehicle, u"Техника"},
    {MsgFirstDetailsPlaceholder + PlaceholderXp, u"Опыт"},
    {MsgFirstDetailsPlaceholder + PlaceholderCredits, u"Кредиты"},
    {MsgFirstDetailsPlaceholder + PlaceholderShots, u"выстрелов"},
    {MsgFirstDetailsPlaceholder + PlaceholderAmmunitionCost, u"потрачено бк"},
    {MsgFirstDetailsPlaceholder + PlaceholderRepair, u"ремонт"},
    {MsgFirstDetailsPlaceholder + PlaceholderDamageReceived, u"получ.урон"},
    {MsgFirstDetailsPlaceholder + PlaceholderNetCredits, u"кред чист"},
    {MsgFirstDetailsPlaceholder + PlaceholderDate, u"дата"},
    {MsgExportQuestionTitle, u"Excel Writer"},
};

inline constexpr int kBattleTypeCount = 7;

// Achievement names by code: the group "achievements" of the language file names them by their code; an entry
// without a Russian name takes its message from the language file as the program always did.
inline constexpr std::u16string_view kAchievementGroup = u"achievements";

struct NamedAchievement final {
    std::int32_t code;
    std::u16string_view name;
    MessageId message;
};

inline constexpr MessageId kNoMessage = MessageId(0);

inline constexpr NamedAchievement achievements[] = {
    {34, u"Воин", kNoMessage},
    {35, u"Захватчик", kNoMessage},
    {36, u"Снайпер", kNoMessage},
    {37, u"Защитник", kNoMessage},
    {38, u"Стальная стена", kNoMessage},
    {39, u"Поддержка", kNoMessage},
    {40, u"Разведчик", kNoMessage},
    {50, {}, MessageId(MsgFirstNumberedAchievement + 0)},
    {51, {}, MessageId(MsgFirstNumberedAchievement + 1)},
    {52, {}, MessageId(MsgFirstNumberedAchievement + 2)},
    {53, {}, MessageId(MsgFirstNumberedAchievement + 3)},
    {54, {}, MessageId(MsgFirstNumberedAchievement + 4)},
    {55, {}, MessageId(MsgFirstNumberedAchievement + 5)},
    {56, {}, MessageId(MsgFirstNumberedAchievement + 6)},
    {61, u"Рейдер", kNoMessage},
    {64, u"Камикадзе", kNoMessage},
    {72, u"Дозорный", kNoMessage},
    {74, u"Медаль Кравца", kNoMessage},
    {77, u"Медаль Ферстена", kNoMessage},
    {78, u"Медаль Звягина", kNoMessage},
    {106, u"Медаль Оркалайнена", kNoMessage},
    {107, u"Медаль Хартвелла", kNoMessage},
    {110, u"Медаль героев рассейняя", kNoMessage},
    {143, u"Братья по оружию", kNoMessage},
    {144, u"Решающий вклад", kNoMessage},
    {145, u"Медаль де Мервиля", kNoMessage},
    {146, u"Медаль Ямасиро Кэндзи", kNoMessage},
    {147, u"Бомбардир", kNoMessage},
    {148, u"Егерь", kNoMessage},
    {150, u"Спартанец", kNoMessage},
    {151, u"Невозмутимый", kNoMessage},
    {152, u"Счастливчик", kNoMessage},
    {173, u"Медаль Эшби-Кроуфорда", kNoMessage},
    {175, u"Медаль Вальдеса", kNoMessage},
    {176, u"Медаль Шомоди", kNoMessage},
    {227, u"Танкист-снайпер", kNoMessage},
    {228, u"Основной калибр", kNoMessage},
    {233, u"Царь горы", kNoMessage},
    {236, u"Бронетанковый кулак", kNoMessage},
};

} // namespace tapeloft::builtin
