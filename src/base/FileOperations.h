#pragma once

#include <filesystem>

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
    // Removes one file (never a folder). False when nothing was removed, a missing file included.
    virtual bool removeFile(const std::filesystem::path& file);
    // Whether anything is at the path, a dangling link included. True when that cannot be told, so that
    // callers never treat a file they cannot see as gone.
    virtual bool exists(const std::filesystem::path& file);
    // Whether both paths name the same existing file. False when either is missing or cannot be checked.
    virtual bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

protected:
    enum class NewFile {
        Written,   // every byte is in the new file
        NameTaken, // something already has that name; nothing was written
        Failed,    // may have left a partial file at that name, which the caller removes
    };
    // The two steps of copyFile. Copies the bytes of `from` into a file `to` that must not exist yet.
    virtual NewFile copyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to);
    // Renames `from` over `to`. False when the rename did not happen.
    virtual bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to);
};

} // namespace tapeloft
