#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace tapeloft {

// Replaces `file` with `bytes` through a temporary file in the same folder and a rename, so a crash or a
// full disk never leaves a truncated file behind. A symbolic link is followed, not replaced. On POSIX a new
// file gets mode 0600 and a replaced file keeps its owner bits when they are stricter; group and other never
// get access; on Windows a read-only file is not replaced. Returns false on any failure; the old file is then
// untouched and no temporary file is left.
bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Opens `file` for writing bytes only when nothing has that name yet, so that an existing file is never
// opened, let alone cut short. nullptr with errno set (EEXIST when the name is taken) on failure.
std::FILE* createNewFile(const std::filesystem::path& file);

// A name beside `file` ("<name><tag><salt>-<count>") that no other writer, not even another instance of
// the program, picks.
std::filesystem::path siblingWorkName(const std::filesystem::path& file, std::string_view tag);

} // namespace tapeloft
