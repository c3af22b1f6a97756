#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tapeloft {

// What tells a file's content has changed without reading it: its size, its modification time (in
// nanoseconds where the system keeps them) and, on POSIX, its inode. A rewrite that keeps all three is the
// one change it cannot see.
struct FileStamp final {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t inode = 0; // 0 where the system has none to give
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of a regular file, following links; nullopt when there is no such file or it cannot be asked.
std::optional<FileStamp> stampOf(const std::filesystem::path& file);

} // namespace tapeloft
