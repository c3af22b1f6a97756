#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// ColumnOrder.Dat: the display order of the list columns, as one little-endian int32 value per column (the
// replay list's 40 columns take 160 bytes). Entry k is the number of the column shown at display position k.
namespace tapeloft {

inline constexpr std::u16string_view kColumnOrderFileName = u"ColumnOrder.Dat";

// The order stored in the file; nullopt when it cannot be read, is not exactly 4 * columnCount bytes long, or
// does not hold every column number 0 ... columnCount - 1 exactly once.
std::optional<std::vector<std::int32_t>> readColumnOrder(const std::filesystem::path& file, int columnCount);

// Writes the order atomically (temporary file, then rename). False, and the old file untouched, when order
// is not columnCount entries long or the file cannot be written.
bool writeColumnOrder(const std::filesystem::path& file, std::span<const int> order, int columnCount);

} // namespace tapeloft
