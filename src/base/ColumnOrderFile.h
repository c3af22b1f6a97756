#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

// ColumnOrder.Dat: the display order of the 40 list columns, as 40 little-endian int32 values (160 bytes).
// Entry k is the number of the column shown at display position k.
namespace tapeloft {

inline constexpr std::u16string_view kColumnOrderFileName = u"ColumnOrder.Dat";
inline constexpr int kColumnOrderEntries = 40;
inline constexpr std::size_t kColumnOrderBytes = 4 * kColumnOrderEntries;

using ColumnOrder = std::array<std::int32_t, kColumnOrderEntries>;

// The order stored in the file; nullopt when it cannot be read, is not exactly 160 bytes long, or does not
// hold every column number 0 ... 39 exactly once.
std::optional<ColumnOrder> readColumnOrder(const std::filesystem::path& file);

// Writes the order atomically (temporary file, then rename). False, and the old file untouched, when
// order is not 40 entries long or the file cannot be written.
bool writeColumnOrder(const std::filesystem::path& file, std::span<const int> order);

} // namespace tapeloft
