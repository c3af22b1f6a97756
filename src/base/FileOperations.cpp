#include "base/FileOperations.h"

#include "base/AtomicFile.h"
#include "base/TextCodec.h"

#include <string>
#include <system_error>

namespace tapeloft {

namespace fs = std::filesystem;

void FileOperations::setLastError(const std::error_code& error) {
    const std::string text = error ? error.message() : std::string();
    // The C library's words are UTF-8 here; Windows gives them in its code page.
    lastError_ = isValidUtf8(text) ? utf8ToUtf16(text) : cp1251ToUtf16(text);
}

bool FileOperations::copyFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    lastError_.clear();
    const fs::file_type type = fs::status(from, ec).type();
    if (type != fs::file_type::regular) {
        setLastError(ec ? ec : std::make_error_code(std::errc::invalid_argument));
        return false;
    }
#ifdef _WIN32
    // A read-only file is not replaced, as on Windows; ask the mark, not the rename (see AtomicFile.cpp).
    const fs::file_status target = fs::status(to, ec);
    if (fs::exists(target) && (target.permissions() & fs::perms::owner_write) == fs::perms::none) {
        setLastError(std::make_error_code(std::errc::permission_denied));
        return false;
    }
#endif
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path part = siblingWorkName(to, ".part-");
        const NewFile copied = copyToNewFile(from, part);
        if (copied == NewFile::NameTaken) continue;
        if (copied == NewFile::Written && renameFile(part, to)) return true;
        fs::remove(part, ec);
        return false;
    }
    setLastError(std::make_error_code(std::errc::file_exists));
    return false;
}

FileOperations::NewFile FileOperations::copyToNewFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    // copy_options::none refuses an existing name, so a file of someone else is never touched.
    if (fs::copy_file(from, to, fs::copy_options::none, ec)) return NewFile::Written;
    if (ec == std::errc::file_exists) return NewFile::NameTaken;
    setLastError(ec);
    return NewFile::Failed;
}

bool FileOperations::renameFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) setLastError(ec);
    return !ec;
}

bool FileOperations::removeFile(const fs::path& file) {
    std::error_code ec;
    lastError_.clear();
    if (fs::symlink_status(file, ec).type() == fs::file_type::directory) {
        setLastError(std::make_error_code(std::errc::is_a_directory));
        return false;
    }
    const bool removed = fs::remove(file, ec) && !ec;
    if (!removed) setLastError(ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
    return removed;
}

bool FileOperations::moveToTrash(const fs::path&) {
    lastError_.clear();
    return false;
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
