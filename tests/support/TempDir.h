#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Files and folders for tests: temporary folders, whole-file reads, the current folder, the checkout.
namespace tapeloft::test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the folder, creating parent folders; gives its path in native separators.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);

// Runs the test body with the process's current folder set to `folder`, restoring it after.
class CurrentDirScope final {
public:
    explicit CurrentDirScope(const std::filesystem::path& folder);
    ~CurrentDirScope();
    CurrentDirScope(const CurrentDirScope&) = delete;
    CurrentDirScope& operator=(const CurrentDirScope&) = delete;

private:
    std::filesystem::path previous_;
};

// The checkout's root (for lang/ and resources/), from TAPELOFT_SOURCE_DIR.
std::filesystem::path sourceDir();

} // namespace tapeloft::test
