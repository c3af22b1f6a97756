#include "shell/ui/EmbeddedResources.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

using namespace tapeloft;
using namespace std::string_literals;

namespace {

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::filesystem::path resourceFolder() {
    return test::sourceDir() / "resources";
}

} // namespace

// The window loads these by number; a missing file or a wrong size would show as a broken button.
TEST(IconResources, EveryImageIsAnRgbaPngOfItsTableSize) {
    struct Case {
        int image;
        std::uint32_t size;
    };
    constexpr Case cases[] = {{0, 32}, {1, 32}, {3, 24}, {4, 24},  {5, 16},  {6, 24},
                              {7, 24}, {8, 24}, {9, 32}, {10, 32}, {11, 24}, {12, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE("image " + std::to_string(c.image));
        const std::string_view name = iconResourceName(c.image);
        ASSERT_FALSE(name.empty());
        const std::string png = test::readBytes(resourceFolder() / std::string(name));
        ASSERT_GE(png.size(), 8u + 25u + 12u);
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n"s);
        EXPECT_EQ(bigEndian32(png, 8), 13u);
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(bigEndian32(png, 16), c.size);
        EXPECT_EQ(bigEndian32(png, 20), c.size);
        EXPECT_EQ(png[24], 8) << "bit depth";
        EXPECT_EQ(png[25], 6) << "colour type RGBA";
        EXPECT_EQ(png[28], 0) << "not interlaced";
        EXPECT_EQ(png.substr(png.size() - 12), "\0\0\0\0IEND\xAE\x42\x60\x82"s);
    }
}

TEST(IconResources, NumbersOutsideTheTableHaveNoFile) {
    for (const int image : {-1, 2, 13, 1000})
        EXPECT_TRUE(iconResourceName(image).empty()) << image;
}

// The build embeds every PNG in the folder, so a stray or misnamed file would go unnoticed otherwise.
TEST(IconResources, FolderHoldsExactlyTheTwelveIcons) {
    std::set<std::string> named;
    for (int image = 0; image <= 12; ++image)
        if (!iconResourceName(image).empty()) named.insert(std::string(iconResourceName(image)));
    EXPECT_EQ(named.size(), 12u);

    std::set<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(resourceFolder(), error))
        if (entry.path().extension() == ".png") found.insert(entry.path().filename().string());
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(found, named);
}
