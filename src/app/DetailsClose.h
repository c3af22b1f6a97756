#pragma once

#include <filesystem>
#include <string_view>

// What happens to the application state when the details window closes, without the window.
namespace tapeloft {

struct AppState;
class Platform;

enum class PriceStoreResult {
    NotStored,   // the price field's leading number is 0 (or it has none), or there is no vehicle tag
    Stored,      // written under the vehicle tag in group "cenasnaryda"
    WriteFailed, // the settings file could not be written; reported with message 78 / 116
};

// Whether the price field's text is worth storing: its leading number is not 0.
bool isPriceToStore(std::u16string_view priceFieldText);

// The state side of closing the details window: when the price field's leading number is not 0, priceText
// takes the field's text and is stored under priceKey in group "cenasnaryda" of settingsFile; then
// detailsClosed is set. A failed write is shown (title message 78, text message 116 + "Settings.ini") and
// reported in the result; the close goes on all the same.
PriceStoreResult closeDetails(AppState& state, const std::filesystem::path& settingsFile,
                              std::u16string_view priceFieldText, Platform& platform);

} // namespace tapeloft
