#include "base/ColumnOrderFile.h"

#include "base/AtomicFile.h"

#include <fstream>
#include <string>

namespace tapeloft {

std::optional<std::vector<std::int32_t>> readColumnOrder(const std::filesystem::path& file, int columnCount) {
    if (columnCount <= 0) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // One byte more than needed tells a longer file from an exact one.
    const std::size_t size = 4 * static_cast<std::size_t>(columnCount);
    std::string bytes(size + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != size) return std::nullopt;

    std::vector<std::int32_t> order(static_cast<std::size_t>(columnCount));
    std::vector<bool> seen(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b)
            value |= std::uint32_t{static_cast<unsigned char>(bytes[4 * k + b])} << (8 * b);
        const auto column = static_cast<std::int32_t>(value);
        if (column < 0 || column >= columnCount || seen[static_cast<std::size_t>(column)])
            return std::nullopt;
        seen[static_cast<std::size_t>(column)] = true;
        order[k] = column;
    }
    return order;
}

bool writeColumnOrder(const std::filesystem::path& file, std::span<const int> order, int columnCount) {
    if (columnCount <= 0 || order.size() != static_cast<std::size_t>(columnCount)) return false;
    std::string bytes;
    bytes.reserve(4 * order.size());
    for (const int entry : order) {
        const auto value = static_cast<std::uint32_t>(entry);
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<char>((value >> (8 * b)) & 0xFFu));
    }
    return writeFileAtomically(file, bytes);
}

} // namespace tapeloft
