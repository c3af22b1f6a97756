#pragma once

#include "base/Messages.h"

#include <cstdint>
#include <string_view>

// The texts the program shows in Russian whatever its language file says, in one place.
namespace tapeloft::builtin {

// The message box of a replay that cannot be read: title, and the text around the file's path.
inline constexpr std::u16string_view unreadableTitle = u"Внимание!";
inline constexpr std::u16string_view unreadableBefore = u"Файл ";
inline constexpr std::u16string_view unreadableAfter = u" не может быть обработан.";

// The battle type column: the name of battle type n at index n; types outside 1 ... 7 show nothing.
inline constexpr std::u16string_view battleTypeNames[] = {
    u"",   u"Случайный бой",   u"Тренировка",    u"Ротный бой", u"Турнир",
    u"ГК", u"Боевое обучение", u"Командный бой",
};

// Headers of the record columns from the server column on, which the language file does not name.
inline constexpr std::u16string_view laterColumnHeaders[] = {
    u"Cервер", // its first letter is the Latin C, as the program has always shown it
    u"Тип боя", u"Стоимость снаряжения", u"Версия игры", u"Количество достижений", u"Показатель мастерсва",
};

// What the details window's summary fields show until a battle fills them.
struct DetailsPlaceholders final {
    std::u16string_view player = u"играл";
    std::u16string_view map = u"карта";
    std::u16string_view result = u"Рез-тат";
    std::u16string_view frags = u"Фраги";
    std::u16string_view nation = u"Нация";
    std::u16string_view vehicle = u"Техника";
    std::u16string_view xp = u"Опыт";
    std::u16string_view credits = u"Кредиты";
    std::u16string_view shots = u"выстрелов";
    std::u16string_view ammunitionCost = u"потрачено бк";
    std::u16string_view repair = u"ремонт";
    std::u16string_view damageReceived = u"получ.урон";
    std::u16string_view netCredits = u"кред чист";
    std::u16string_view date = u"дата";
};
inline constexpr DetailsPlaceholders detailsPlaceholders;

// Achievement names by code; an entry without a name takes its message from the language file.
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
