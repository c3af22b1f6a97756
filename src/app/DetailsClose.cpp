#include "app/DetailsClose.h"

#include "app/AppState.h"
#include "app/Platform.h"
#include "base/Settings.h"
#include "base/TextCodec.h"

namespace tapeloft {

namespace {} // namespace

bool isPriceToStore(std::u16string_view priceFieldText) {
    return leadingInt32(priceFieldText) != 0;
}

PriceStoreResult closeDetails(AppState& state, const std::filesystem::path& settingsFile,
                              std::u16string_view priceFieldText, Platform& platform) {
    PriceStoreResult result = PriceStoreResult::NotStored;
    // A replay without a player vehicle gives no tag; an empty key cannot be stored and would only
    // produce an error message.
    if (isPriceToStore(priceFieldText) && !state.priceKey.empty()) {
        state.priceText = std::u16string(priceFieldText);
        if (writeSettingText(settingsFile, settings::groupShellPrices, state.priceKey, state.priceText)) {
            result = PriceStoreResult::Stored;
        } else {
            result = PriceStoreResult::WriteFailed;
            platform.messageBox(state.message(MsgErrorTitle),
                                state.message(MsgNotWritten) + std::u16string(settings::fileName));
        }
    }
    state.detailsClosed = true;
    return result;
}

} // namespace tapeloft
