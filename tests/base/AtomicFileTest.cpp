#include "base/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

using tapeloft::createNewFile;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr int kAnyError = -1;

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// What is at the name: a file's bytes, or a mark for a folder or for nothing.
std::string whatIsAt(const fs::path& name) {
    if (fs::is_directory(name)) return "<folder>";
    if (!fs::exists(name)) return "<nothing>";
    return readBytes(name);
}

} // namespace

// A new file is made only where nothing has the name: a file there keeps every byte (C libraries that
// ignore fopen's "x" would have emptied it), and the reason is in errno.
TEST(CreateNewFile, NeverOpensWhatIsAlreadyThere) {
    struct Case {
        const char* what;
        void (*prepare)(const fs::path& name);
        int error; // 0: the file is made; kAnyError: refused, whatever errno says
    };
    const Case cases[] = {
        {"a free name", [](const fs::path&) {}, 0},
        {"a file of that name", [](const fs::path& name) { writeBytes(name, "someone's bytes"); }, EEXIST},
        {"a folder of that name", [](const fs::path& name) { fs::create_directory(name); }, kAnyError},
        {"a missing folder", [](const fs::path& name) { fs::remove(name.parent_path()); }, ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path name = dir.path() / "inner" / "work.tmp";
        fs::create_directory(name.parent_path());
        c.prepare(name);
        const std::string before = whatIsAt(name);
        errno = 0;
        std::FILE* file = createNewFile(name);
        if (c.error == 0) {
            ASSERT_NE(file, nullptr);
            EXPECT_GE(std::fputs("mine", file), 0);
            EXPECT_EQ(std::fclose(file), 0);
            EXPECT_EQ(readBytes(name), "mine");
        } else {
            EXPECT_EQ(file, nullptr);
            if (file != nullptr) std::fclose(file);
            if (c.error != kAnyError) {
                EXPECT_EQ(errno, c.error);
            }
            EXPECT_EQ(whatIsAt(name), before);
        }
    }
}
