#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// An exported file is written under a name of its own beside the target and moved over the target only once
// complete, so that a failed export never damages an existing file.
namespace tapeloft {

// Why writing an exported file failed.
enum class ExportFileError {
    None,
    NotOpen,              // a write or close without an open file
    AlreadyOpen,          // open while a file is open
    TargetIsDirectory,    // the target name is a folder
    TargetNotRegularFile, // the target exists but is a device, pipe or the like
    TargetReadOnly,       // the existing target is marked read-only
    FolderMissing,        // the target's folder does not exist
    CannotCreate,         // the temporary file beside the target could not be created
    WriteFailed,          // writing, flushing or closing the temporary file failed
    CannotReplace,        // the finished file could not be moved over the target
};

class ReplacingFile final {
public:
    ReplacingFile() = default;
    // Discards a file that was opened but not committed; the target stays as it was.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Checks the target and creates the temporary file beside it. false, with nothing open and the target
    // untouched, when the target is a folder, read-only or not a regular file, its folder is missing, or the
    // temporary file cannot be created.
    bool open(std::u16string_view target);
    // The temporary file's stream; null when nothing is open or after closeStream.
    std::FILE* stream() const { return file_; }
    // Closes the stream but keeps the temporary file and its name, for a writer that writes the file
    // under its name itself. false, noted as a write failure, when closing failed.
    bool closeStream();
    bool isOpen() const { return !temporary_.empty(); }
    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return temporary_; }

    // A write to the temporary file failed: commit will refuse. The first failure's reason is kept;
    // systemError is an errno value (0: unknown), reason a text that says more than errno can.
    void noteWriteFailure(int systemError, std::string_view reason = {});
    bool writeFailed() const { return writeFailed_; }

    // Closes the stream and moves the finished file over the target. false, with the target untouched and
    // the temporary file removed, when a write failed or the target could not be replaced.
    bool commit();
    // Drops the unfinished file: closes and removes the temporary file. Nothing is open afterwards.
    void discard();

    // The reason of the last failure; None after a successful commit.
    ExportFileError error() const { return error_; }
    // A readable description of the last failure naming the file; empty when there was none.
    const std::u16string& errorText() const { return errorText_; }
    // Records a failure of the writer using this file.
    void fail(ExportFileError error, std::u16string text);
    // "Cannot write the file: <target> (<reason>)", the text of a failed write.
    std::u16string writeFailureText() const;

private:
    std::FILE* file_ = nullptr;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool writeFailed_ = false;
    int systemError_ = 0;
    std::string reason_;
    ExportFileError error_ = ExportFileError::None;
    std::u16string errorText_;
};

} // namespace tapeloft
