#include "base/ColumnOrderFile.h"

#include "base/AtomicFile.h"

#include <fstream>
#include <string>

namespace tapeloft {

std::optional<ColumnOrder> readColumnOrder(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // One byte more than needed tells a longer file from an exact one.
    char bytes[kColumnOrderBytes + 1];
    in.read(bytes, sizeof bytes);
    if (static_cast<std::size_t>(in.gcount()) != kColumnOrderBytes) return std::nullopt;

    ColumnOrder order{};
    std::array<bool, kColumnOrderEntries> seen{};
    for (std::size_t k = 0; k < order.size(); ++k) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b)
            value |= std::uint32_t{static_cast<unsigned char>(bytes[4 * k + b])} << (8 * b);
        const auto column = static_cast<std::int32_t>(value);
        if (column < 0 || column >= kColumnOrderEntries || seen[static_cast<std::size_t>(column)])
            return std::nullopt;
        seen[static_cast<std::size_t>(column)] = true;
        order[k] = column;
    }
    return order;
}

bool writeColumnOrder(const std::filesystem::path& file, std::span<const int> order) {
    if (order.size() != static_cast<std::size_t>(kColumnOrderEntries)) return false;
    std::string bytes;
    bytes.reserve(kColumnOrderBytes);
    for (const int entry : order) {
        const auto value = static_cast<std::uint32_t>(entry);
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<char>((value >> (8 * b)) & 0xFFu));
    }
    return writeFileAtomically(file, bytes);
}

} // namespace tapeloft
