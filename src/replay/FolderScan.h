#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tapeloft {

class Language;
class ListModel;
class Platform;

inline constexpr std::u16string_view kReplayExtension = u"ivlreplay";

// Number of files in the folder and every folder below it, whatever their names; an unreadable
// folder counts 0. Links to folders are not followed; links count only when they lead to a regular file.
std::int32_t countFolderFiles(std::u16string_view folder);

// Walks the tree depth-first in listing order and calls onFile with the full path of every file whose
// lower-cased base name and extension pass the filters ("*" passes anything). Folders that cannot be
// listed, links to folders and links to anything but a regular file (pipes, devices, nothing) are skipped.
void walkReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter,
                      const std::function<void(const std::u16string& path)>& onFile);

// Appends a battle record for every accepted file below the folder with a progress window, then sorts
// the list by date, newest first. Problems with single files show in their rows or message boxes.
// Files are read by `workers` background threads (0: one per core; 1: none, the plain walk); the rows,
// message boxes and platform calls are the same either way, all made on the calling thread.
void scanReplayFolder(std::u16string_view folder, ListModel& list, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter, const Language& language, Platform& platform,
                      int workers = 0);

} // namespace tapeloft
