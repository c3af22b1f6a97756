#include "base/FileOperations.h"

#include "base/AtomicFile.h"

#include <string>
#include <system_error>

namespace tapeloft {

namespace fs = std::filesystem;

bool FileOperations::copyFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::status(from, ec).type() != fs::file_type::regular) return false;
#ifdef _WIN32
    // A read-only file is not replaced, as on Windows; ask the mark, not the rename (see AtomicFile.cpp).
    const fs::file_status target = fs::status(to, ec);
    if (fs::exists(target) && (target.permissions() & fs::perms::owner_write) == fs::perms::none)
        return false;
#endif
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path part = siblingWorkName(to, ".part-");
        const NewFile copied = copyToNewFile(from, part);
        if (copied == NewFile::NameTaken) continue;
        if (copied == NewFile::Written && renameFile(part, to)) return true;
        fs::remove(part, ec);
        return false;
    }
    return false;
}

FileOperations::NewFile FileOperations::copyToNewFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    // copy_options::none refuses an existing name, so a file of someone else is never touched.
    if (fs::copy_file(from, to, fs::copy_options::none, ec)) return NewFile::Written;
    return ec == std::errc::file_exists ? NewFile::NameTaken : NewFile::Failed;
}

bool FileOperations::renameFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

bool FileOperations::removeFile(const fs::path& file) {
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() == fs::file_type::directory) return false;
    return fs::remove(file, ec) && !ec;
}

bool FileOperations::exists(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (status.type() == fs::file_type::not_found) return false;
    return true; // found, or unknown because of an error
}

bool FileOperations::isSameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

} // namespace tapeloft
