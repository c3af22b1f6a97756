#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace tapeloft {

// The file operations of the main window's commands, behind one seam so that tests can make any of them
// fail, down to a copy that stops half-way. The default implementation works on the real file system.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    // Copies `from` to `to`, replacing a file already there. The copy is written next to `to` and renamed
    // over it only when complete, so a failed copy leaves `to` as it was and no partial file behind. On
    // Windows a read-only `to` is not replaced. False on any failure.
    virtual bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to);
    // Removes one file (never a folder) for good. False when nothing was removed, a missing file included.
    virtual bool removeFile(const std::filesystem::path& file);
    // Moves one file to the system's trash, where the user can get it back. False when it is still where it
    // was: the system has no trash for it, or the move failed. This implementation knows no trash; the
    // desktop's does.
    virtual bool moveToTrash(const std::filesystem::path& file);
    // Whether anything is at the path, a dangling link included. True when that cannot be told, so that
    // callers never treat a file they cannot see as gone.
    virtual bool exists(const std::filesystem::path& file);
    // Whether both paths name the same existing file. False when either is missing or cannot be checked.
    virtual bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

    // The system's words for why the last copy, removal or trashing failed; empty when it gave none.
    const std::u16string& lastError() const { return lastError_; }

protected:
    void setLastError(const std::error_code& error);
    void setLastError(std::u16string text) { lastError_ = std::move(text); }

    enum class NewFile {
        Written,   // every byte is in the new file
        NameTaken, // something already has that name; nothing was written
        Failed,    // may have left a partial file at that name, which the caller removes
    };
    // The two steps of copyFile. Copies the bytes of `from` into a file `to` that must not exist yet.
    virtual NewFile copyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to);
    // Renames `from` over `to`. False when the rename did not happen.
    virtual bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to);

private:
    std::u16string lastError_;
};

} // namespace tapeloft
