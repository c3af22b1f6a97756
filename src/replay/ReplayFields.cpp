#include "replay/ReplayFields.h"

#include "base/TextCodec.h"

namespace tapeloft {

PlayerVehicleNames splitPlayerVehicle(std::u16string_view playerVehicle) {
    PlayerVehicleNames names;
    const auto dash = playerVehicle.find(u'-');
    if (dash != std::u16string_view::npos) names.nationPart = playerVehicle.substr(0, dash);
    const std::u16string prefix = names.nationPart + u"-";
    std::u16string& tag = names.vehicleTag;
    tag.reserve(playerVehicle.size());
    std::size_t from = 0;
    for (;;) {
        const auto at = playerVehicle.find(prefix, from);
        if (at == std::u16string_view::npos) break;
        tag.append(playerVehicle.substr(from, at - from));
        from = at + prefix.size();
    }
    tag.append(playerVehicle.substr(from));
    return names;
}

std::int32_t clientVersionNumber(std::u16string_view clientVersionFromExe) {
    std::u16string joined;
    joined.reserve(clientVersionFromExe.size());
    for (std::size_t i = 0; i < clientVersionFromExe.size(); ++i) {
        if (clientVersionFromExe[i] == u',' && i + 1 < clientVersionFromExe.size() &&
            clientVersionFromExe[i + 1] == u' ') {
            ++i;
            continue;
        }
        joined.push_back(clientVersionFromExe[i]);
    }
    return leadingInt32(joined);
}

std::int32_t playerVehicleId(const JsonValue& description) {
    const std::u16string_view player = description.member(u"playerName").text();
    std::int32_t id = 0;
    description.member(u"vehicles").members([&](std::u16string_view key, const JsonValue& vehicle) {
        if (vehicle.member(u"name").text() == player) id = leadingInt32(key);
    });
    return id;
}

std::u16string_view gameModeKey(const JsonValue& description) {
    const std::u16string_view type = description.member(u"gameplayType").text();
    return type.empty() ? description.member(u"gameplayID").text() : type;
}

const JsonValue& personalResults(const JsonValue& results, std::int32_t version, std::int32_t vehicleId) {
    const JsonValue& common = results.element(0);
    if (version < kCurrentLayoutVersion) return common.member(u"personal");
    const std::int32_t typeCode = common.member(u"vehicles")
                                      .member(decimal(vehicleId))
                                      .element(0)
                                      .member(u"typeCompDescr")
                                      .integerValue();
    return common.member(u"personal").member(decimal(typeCode));
}

} // namespace tapeloft
