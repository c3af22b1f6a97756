#pragma once

#include "base/FileOperations.h"

namespace tapeloft {

// The file operations with the desktop's trash: the Recycle Bin on Windows, the freedesktop trash
// elsewhere.
class QtFileOperations final : public FileOperations {
public:
    bool moveToTrash(const std::filesystem::path& file) override;
};

} // namespace tapeloft
