#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tapeloft {

// One file built into the program (see cmake/EmbedResources.cmake); named by its bare file name.
struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// Every embedded file, in the order the build listed them; empty when none were embedded.
std::span<const EmbeddedResource> embeddedResources();

// The embedded file of that name (exact, case-sensitive); nullptr when there is none.
inline const EmbeddedResource* findEmbeddedResource(std::string_view name) {
    for (const EmbeddedResource& resource : embeddedResources())
        if (name == resource.name) return &resource;
    return nullptr;
}

// The file name of icon `image` of the main window (0 to 13); empty for any other number, including 2.
inline std::string_view iconResourceName(int image) {
    constexpr std::string_view names[] = {
        "icon00_star.png",          "icon01_people.png",     "",
        "icon03_refresh.png",       "icon04_info.png",       "icon05_folder.png",
        "icon06_spreadsheet.png",   "icon07_details.png",    "icon08_delete.png",
        "icon09_favourite_add.png", "icon10_filter.png",     "icon11_restore.png",
        "icon12_settings.png",      "icon13_statistics.png",
    };
    if (image < 0 || image >= static_cast<int>(std::size(names))) return {};
    return names[image];
}

} // namespace tapeloft
