#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tapeloft {

namespace fs = std::filesystem;

namespace {

void removeQuietly(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

#ifndef _WIN32

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes the rename itself survive a crash; a failure here does not undo the save.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    (void)::close(fd);
}

// Only a file this call created is ever removed again.
bool writeTemporary(const fs::path& temp, std::string_view bytes, mode_t mode) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    if (ok && mode != 0600) ok = ::fchmod(fd, mode) == 0;
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (!ok) removeQuietly(temp);
    return ok;
}

#else

// Only a file this call created is ever removed again.
bool writeTemporary(const fs::path& temp, std::string_view bytes) {
    std::FILE* file = createNewFile(temp);
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (ok) ok = std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
    if (std::fclose(file) != 0) ok = false;
    if (!ok) removeQuietly(temp);
    return ok;
}

#endif

} // namespace

std::FILE* createNewFile(const fs::path& file) {
#ifdef _WIN32
    // The C library that MinGW links ignores fopen's "x": only _O_EXCL keeps an existing file whole.
    int fd = -1;
    if (_wsopen_s(&fd, file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0)
        return nullptr;
    std::FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr) {
        const int error = errno;
        _close(fd);
        removeQuietly(file);
        errno = error;
    }
    return stream;
#else
    return std::fopen(file.c_str(), "wbx");
#endif
}

fs::path siblingWorkName(const fs::path& file, std::string_view tag) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    fs::path name = file.filename();
    name += std::string(tag) + std::to_string(salt) + "-" + std::to_string(counter++);
    return file.parent_path() / name;
}

bool writeFileAtomically(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    // A link stays a link: the file it points to is replaced. A dangling link is not replaced by a file.
    fs::path file = path;
    if (fs::symlink_status(path, ec).type() == fs::file_type::symlink) {
        file = fs::canonical(path, ec);
        if (ec) return false;
    }
    const fs::file_status status = fs::status(file, ec);
    const bool exists = status.type() != fs::file_type::not_found;
    if (exists && status.type() != fs::file_type::regular) return false; // a folder, a device, or no access
#ifdef _WIN32
    // Windows refuses to replace a read-only file; ask the mark, not the rename, which some file systems
    // (Wine's, a share's) let through.
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
#endif

    fs::path temp;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = siblingWorkName(file, ".tmp-");
        if (fs::symlink_status(candidate, ec).type() == fs::file_type::not_found) {
            temp = candidate;
            break;
        }
    }
    if (temp.empty()) return false;

#ifndef _WIN32
    mode_t mode = 0600;
    if (exists) mode = static_cast<mode_t>(static_cast<unsigned>(status.permissions()) & 0600u);
    if (!writeTemporary(temp, bytes, mode)) return false;
#else
    if (!writeTemporary(temp, bytes)) return false;
#endif

    fs::rename(temp, file, ec);
    if (ec) {
        removeQuietly(temp);
        return false;
    }
#ifndef _WIN32
    syncFolder(file.parent_path());
#endif
    return true;
}

} // namespace tapeloft
