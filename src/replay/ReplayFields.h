#pragma once

#include "json/Json.h"

#include <cstdint>
#include <string>
#include <string_view>

// Readings of the replay JSON shared by the battle record and the battle details.
namespace tapeloft {

// Version at which the results block switched to personal results keyed by vehicle type.
inline constexpr std::int32_t kCurrentLayoutVersion = 980;

struct PlayerVehicleNames {
    std::u16string nationPart; // before the first '-'; empty without one
    std::u16string vehicleTag; // the text with every "<nation part>-" removed
};
PlayerVehicleNames splitPlayerVehicle(std::u16string_view playerVehicle);

// Leading integer of the text after every ", " is removed ("0, 9, 8, 0" gives 980); 0 when there is none.
std::int32_t clientVersionNumber(std::u16string_view clientVersionFromExe);

// Leading integer of the key of the last "vehicles" member whose "name" is the player's; 0 when none matches.
std::int32_t playerVehicleId(const JsonValue& description);

// Game mode name before translation: "gameplayType", or "gameplayID" when that is empty.
std::u16string_view gameModeKey(const JsonValue& description);

// The player's personal results in either layout; the empty value when absent.
const JsonValue& personalResults(const JsonValue& results, std::int32_t version, std::int32_t vehicleId);

} // namespace tapeloft
