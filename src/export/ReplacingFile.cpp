#include "export/ReplacingFile.h"

#include "base/AtomicFile.h"
#include "base/TextCodec.h"

#include <cerrno>
#include <cstdint>
#include <random>
#include <system_error>

namespace tapeloft {

namespace {

std::u16string describe(std::u16string_view what, const std::filesystem::path& path) {
    std::u16string text(what);
    text += u": ";
    text += textFromPath(path);
    return text;
}

std::u16string withReason(std::u16string text, const std::string& reason) {
    if (!reason.empty()) {
        text += u" (";
        text += utf8ToUtf16(reason);
        text += u")";
    }
    return text;
}

// A name of our own beside the target, so that the finished file can be renamed over it.
std::filesystem::path temporaryName(const std::filesystem::path& folder) {
    static std::random_device device;
    static std::uint32_t counter = 0;
    const std::uint32_t value = device() ^ (++counter * 0x9E3779B9u);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = ".~tapeloft-";
    for (int shift = 28; shift >= 0; shift -= 4)
        name.push_back(kHex[(value >> shift) & 0xFu]);
    name += ".tmp";
    return folder / name;
}

// Why an existing target cannot be replaced; None when it can (or does not exist).
ExportFileError targetProblem(const std::filesystem::path& target) {
    std::error_code ec;
    const auto status = std::filesystem::status(target, ec);
    if (!std::filesystem::exists(status)) return ExportFileError::None;
    if (std::filesystem::is_directory(status)) return ExportFileError::TargetIsDirectory;
    if (!std::filesystem::is_regular_file(status)) return ExportFileError::TargetNotRegularFile;
    // Renaming over a file ignores its own permissions; honour the read-only mark ourselves.
    if ((status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
        return ExportFileError::TargetReadOnly;
    return ExportFileError::None;
}

std::u16string_view targetProblemText(ExportFileError error) {
    switch (error) {
    case ExportFileError::TargetIsDirectory:
        return u"The name belongs to a folder";
    case ExportFileError::TargetNotRegularFile:
        return u"The name belongs to something that is not a file";
    case ExportFileError::TargetReadOnly:
        return u"The file is read-only";
    default:
        return u"The file cannot be replaced";
    }
}

} // namespace

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::fail(ExportFileError error, std::u16string text) {
    error_ = error;
    errorText_ = std::move(text);
}

std::u16string ReplacingFile::writeFailureText() const {
    std::string reason = reason_;
    if (reason.empty() && systemError_ != 0) reason = std::generic_category().message(systemError_);
    return withReason(describe(u"Cannot write the file", target_), reason);
}

void ReplacingFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
        temporary_.clear();
    }
    writeFailed_ = false;
    systemError_ = 0;
    reason_.clear();
}

void ReplacingFile::noteWriteFailure(int systemError, std::string_view reason) {
    if (!writeFailed_) {
        systemError_ = systemError;
        reason_ = reason;
    }
    writeFailed_ = true;
}

bool ReplacingFile::open(std::u16string_view fileName) {
    if (isOpen()) {
        fail(ExportFileError::AlreadyOpen, u"A file is already open");
        return false;
    }
    error_ = ExportFileError::None;
    errorText_.clear();
    target_ = pathFromText(fileName);

    const ExportFileError problem = targetProblem(target_);
    if (problem != ExportFileError::None) {
        fail(problem, describe(targetProblemText(problem), target_));
        return false;
    }
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        fail(ExportFileError::FolderMissing, describe(u"The folder does not exist", folder));
        return false;
    }
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        temporary_ = temporaryName(folder);
        errno = 0;
        file_ = createNewFile(temporary_);
        if (file_ == nullptr && errno != EEXIST) break;
    }
    if (file_ == nullptr) {
        const int code = errno;
        temporary_.clear();
        fail(ExportFileError::CannotCreate,
             withReason(describe(u"Cannot create a file in the folder", folder),
                        std::generic_category().message(code)));
        return false;
    }
    return true;
}

bool ReplacingFile::closeStream() {
    if (file_ == nullptr) return !writeFailed_;
    errno = 0;
    if (std::fflush(file_) != 0) noteWriteFailure(errno);
    errno = 0;
    if (std::fclose(file_) != 0) noteWriteFailure(errno);
    file_ = nullptr;
    return !writeFailed_;
}

bool ReplacingFile::commit() {
    if (!isOpen()) {
        fail(ExportFileError::NotOpen, u"No file is open");
        return false;
    }
    closeStream();
    if (writeFailed_) {
        const std::u16string text = writeFailureText();
        discard();
        fail(ExportFileError::WriteFailed, text);
        return false;
    }
    // The target may have changed since open.
    const ExportFileError problem = targetProblem(target_);
    if (problem != ExportFileError::None) {
        discard();
        fail(problem, describe(targetProblemText(problem), target_));
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary_, target_, ec);
    if (ec) {
        discard();
        fail(ExportFileError::CannotReplace,
             withReason(describe(u"Cannot replace the file", target_), ec.message()));
        return false;
    }
    temporary_.clear();
    systemError_ = 0;
    reason_.clear();
    error_ = ExportFileError::None;
    errorText_.clear();
    return true;
}

} // namespace tapeloft
