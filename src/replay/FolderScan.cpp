#include "replay/FolderScan.h"

#include "base/Language.h"
#include "base/TextCodec.h"
#include "replay/BattleRecord.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace tapeloft {

namespace {

// Unreachable: listed, but the system cannot say what it is. The scan reports it rather than passing over
// it without a word.
enum class EntryType { File, Folder, Other, Unreachable };

#ifdef _WIN32
// The form of a path that the wide-character calls accept beyond MAX_PATH characters ("\\?\C:\...",
// "\\?\UNC\server\share\..."); shorter paths stay as they are.
std::wstring extendedLengthForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return path;
    full.resize(written);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The C library's status calls stop at MAX_PATH characters, and they take a junction for a folder, which
// could trap the walk in a loop: the attributes and the kind of link come from the system itself.
EntryType entryType(const fs::directory_entry& entry) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(extendedLengthForm(entry.path().native()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return EntryType::Unreachable;
    FindClose(search);
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Other reparse points (files kept in the cloud, deduplicated files) are ordinary files and folders.
    const bool link =
        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
    if (!link) return folder ? EntryType::Folder : EntryType::File;
    if (folder) return EntryType::Other;
    std::error_code ec;
    return entry.is_regular_file(ec) && !ec ? EntryType::File : EntryType::Other;
}

// The C library lists a folder whose path reaches MAX_PATH wrongly (the current folder, under Wine) or not
// at all: such a folder is reported, never opened.
bool tooLongToOpen(std::u16string_view folder) {
    return folder.size() >= MAX_PATH;
}
#else
bool tooLongToOpen(std::u16string_view) {
    return false;
}

// What an entry is without following links: a link to a folder (or a junction) is neither file nor
// folder, so a link loop cannot trap the walk. A link counts as a file only when it leads to a regular
// file: opening a pipe or a device behind a replay's name could block the scan for good.
EntryType entryType(const fs::directory_entry& entry) {
    std::error_code ec;
    // The listing itself tells the type of nearly every entry; asking the file system again would cost a
    // call per file.
    const bool link = entry.is_symlink(ec);
    if (ec) return EntryType::Other;
    if (!link) {
        if (entry.is_directory(ec)) return EntryType::Folder;
        if (ec) return EntryType::Other;
        return entry.is_regular_file(ec) && !ec ? EntryType::File : EntryType::Other;
    }
    return entry.is_regular_file(ec) && !ec ? EntryType::File : EntryType::Other;
}
#endif

// One open listing per level, as a recursive walk would keep; an explicit stack so that deep trees
// cannot exhaust the call stack.
struct Level {
    std::u16string folder; // with its trailing separator
    fs::directory_iterator it;
};

struct NoFolders {
    void operator()(const std::u16string&) const {}
};

// Calls onEntry(parent, name, reachable) for every file, and with reachable false for every entry that
// cannot be told (EntryType::Unreachable) or opened for its length, so that the caller reports it
// whatever its name; onFolder(folder) for every folder listed, the root first, each with its trailing
// separator.
template <class OnEntry, class OnFolder = NoFolders>
void walkTree(std::u16string_view root, OnEntry&& onEntry, OnFolder&& onFolder = {}) {
    std::vector<Level> stack;
    auto open = [&stack, &onFolder](std::u16string folder) {
        std::error_code ec;
        fs::directory_iterator it(pathFromText(folder), fs::directory_options::skip_permission_denied, ec);
        if (ec) return;
        onFolder(folder);
        stack.push_back({std::move(folder), std::move(it)});
    };
    if (tooLongToOpen(withTrailingSeparator(root))) {
        onEntry(std::u16string(), std::u16string(root), false);
        return;
    }
    open(withTrailingSeparator(root));
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.it == fs::directory_iterator()) {
            stack.pop_back();
            continue;
        }
        const fs::directory_entry entry = *level.it;
        std::error_code ec;
        level.it.increment(ec);
        if (ec) level.it = fs::directory_iterator(); // a listing that fails part-way ends that folder
        const std::u16string name = textFromPath(entry.path().filename());
        switch (entryType(entry)) {
        case EntryType::File:
            onEntry(level.folder, name, true);
            break;
        case EntryType::Folder: {
            const std::u16string folder = level.folder + name + std::u16string(nativeSeparator());
            if (tooLongToOpen(folder))
                onEntry(level.folder, name, false);
            else
                open(folder);
            break;
        }
        case EntryType::Other:
            break;
        case EntryType::Unreachable:
            onEntry(level.folder, name, false);
            break;
        }
    }
}

bool acceptsName(std::u16string_view name, std::u16string_view nameFilter,
                 std::u16string_view extensionFilter) {
    const auto dot = name.rfind(u'.');
    const std::u16string_view extension =
        dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot + 1);
    const std::u16string_view base = dot == std::u16string_view::npos ? name : name.substr(0, dot);
    return (extensionFilter == u"*" || toLower(extension) == extensionFilter) &&
           (nameFilter == u"*" || toLower(base) == nameFilter);
}

} // namespace

std::int32_t countFolderFiles(std::u16string_view folder) {
    std::int32_t count = 0;
    walkTree(folder, [&count](const std::u16string&, const std::u16string&, bool) { ++count; });
    return count;
}

ReplayFolderListing listReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                                     std::u16string_view extensionFilter) {
    ReplayFolderListing listing;
    walkTree(
        folder,
        [&](const std::u16string& parent, const std::u16string& name, bool reachable) {
            if (!reachable || acceptsName(name, nameFilter, extensionFilter))
                listing.files.push_back(parent + name);
        },
        [&](const std::u16string& listed) { listing.folders.push_back(listed); });
    return listing;
}

void walkReplayFolder(std::u16string_view folder, std::u16string_view nameFilter,
                      std::u16string_view extensionFilter,
                      const std::function<void(const std::u16string& path)>& onFile) {
    walkTree(folder, [&](const std::u16string& parent, const std::u16string& name, bool reachable) {
        if (!reachable || acceptsName(name, nameFilter, extensionFilter)) onFile(parent + name);
    });
}

namespace {

// Records run at most this far ahead of the rows already appended, so that memory stays bounded.
constexpr std::size_t kReadAhead = 256;
// Waking a thread costs more than reading a small file, so threads wake for a batch of work: the caller
// for this many finished records, an idle worker for a quarter of the read-ahead set free.
constexpr std::size_t kCallerBatch = 16;

// Extracts the battle records of the given files on background threads. The caller takes them one by
// one in file order; a worker's exception comes out of take() on the calling thread, at that file.
class RecordPipeline final {
public:
    RecordPipeline(const std::vector<std::u16string>& paths, const RecordSource& source, int workers)
        : paths_(paths), source_(source), slots_(std::min(kReadAhead, paths.size())),
          refill_(std::max<std::size_t>(1, slots_.size() / 4)),
          batch_(std::max<std::size_t>(1, std::min(kCallerBatch, slots_.size() / 4))) {
        const auto wanted = std::min(static_cast<std::size_t>(workers), paths.size());
        threads_.reserve(wanted);
        for (std::size_t i = 0; i < wanted; ++i) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // fewer threads, or none: take() then extracts on the calling thread
            }
        }
    }
    RecordPipeline(const RecordPipeline&) = delete;
    RecordPipeline& operator=(const RecordPipeline&) = delete;

    ~RecordPipeline() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        spaceFreed_.notify_all();
        for (auto& thread : threads_)
            thread.join();
    }

    // The record of file `index`; indices must come in order 0, 1, 2, ...
    BattleRecord take(std::size_t index) {
        if (threads_.empty()) return source_.record(paths_[index]);
        Slot& slot = slots_[index % slots_.size()];
        std::unique_lock lock(mutex_);
        if (!slot.ready) {
            waitingFor_ = index;
            waitingUntil_ = std::min(index + batch_, paths_.size());
            callerWaiting_ = true;
            recordsReady_.wait(lock, [&] { return batchReady(); });
            callerWaiting_ = false;
        }
        BattleRecord record = std::move(slot.record);
        const std::exception_ptr error = std::move(slot.error);
        slot.ready = false;
        taken_ = index + 1;
        const bool wakeWorkers = free() == refill_;
        lock.unlock();
        if (wakeWorkers) spaceFreed_.notify_all();
        if (error) std::rethrow_exception(error);
        return record;
    }

private:
    struct Slot {
        BattleRecord record;
        std::exception_ptr error;
        bool ready = false;
    };

    // Slots a worker may still fill. With the lock held.
    std::size_t free() const { return taken_ + slots_.size() - next_; }

    // Every record the caller waits for is there. With the lock held.
    bool batchReady() const {
        for (std::size_t i = waitingFor_; i < waitingUntil_; ++i)
            if (!slots_[i % slots_.size()].ready) return false;
        return true;
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (free() == 0)
                spaceFreed_.wait(lock,
                                 [&] { return stopping_ || next_ == paths_.size() || free() >= refill_; });
            if (stopping_ || next_ == paths_.size()) return;
            const std::size_t index = next_++;
            lock.unlock();
            Slot done;
            try {
                done.record = source_.record(paths_[index]);
            } catch (...) {
                done.error = std::current_exception();
            }
            lock.lock();
            Slot& slot = slots_[index % slots_.size()];
            slot.record = std::move(done.record);
            slot.error = std::move(done.error);
            slot.ready = true;
            if (callerWaiting_ && index >= waitingFor_ && index < waitingUntil_ && batchReady())
                recordsReady_.notify_one();
        }
    }

    const std::vector<std::u16string>& paths_;
    const RecordSource& source_;
    std::vector<Slot> slots_; // record i lives in slot i % size until taken
    const std::size_t refill_;
    const std::size_t batch_;
    std::mutex mutex_;
    std::condition_variable recordsReady_;
    std::condition_variable spaceFreed_;
    std::size_t next_ = 0;  // the next file a worker picks up
    std::size_t taken_ = 0; // records before this one have been taken
    // The caller sleeps until records waitingFor_ .. waitingUntil_ - 1 are all there.
    std::size_t waitingFor_ = 0;
    std::size_t waitingUntil_ = 0;
    bool callerWaiting_ = false;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

int workerCount(int requested) {
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

} // namespace

namespace {

void report(FolderScanObserver& observer, const std::u16string& path, const BattleRecord& record) {
    if (record.kind == BattleRecordKind::Unreadable)
        observer.fileUnreadable(path);
    else
        observer.recordReady(path, record);
}

} // namespace

BattleRecord ExtractingRecordSource::record(const std::u16string& path) const {
    return extractBattleRecord(path, language_);
}

bool scanReplayFiles(std::u16string_view folder, std::u16string_view nameFilter,
                     std::u16string_view extensionFilter, const Language& language,
                     FolderScanObserver& observer, int workers) {
    return scanReplayFiles(folder, nameFilter, extensionFilter, ExtractingRecordSource(language), observer,
                           workers);
}

bool scanReplayFiles(std::u16string_view folder, std::u16string_view nameFilter,
                     std::u16string_view extensionFilter, const RecordSource& source,
                     FolderScanObserver& observer, int workers) {
    workers = workerCount(workers);
    if (workers == 1) {
        observer.filesCounted(countFolderFiles(folder));
        std::int32_t counter = 0;
        bool stopped = false;
        // The walk has no way out; after a stop it only lists the rest, which costs no reading.
        walkReplayFolder(folder, nameFilter, extensionFilter, [&](const std::u16string& path) {
            stopped = stopped || observer.stopRequested();
            if (stopped) return;
            observer.fileReached(path, counter);
            report(observer, path, source.record(path));
            observer.fileDone();
            ++counter;
        });
        return !stopped;
    }
    // One walk gives both the count and the files, in the order the plain walk meets them. The workers
    // only read and extract; the observer hears everything on this thread, in the plain walk's order.
    std::int32_t count = 0;
    std::vector<std::u16string> paths;
    walkTree(folder, [&](const std::u16string& parent, const std::u16string& name, bool reachable) {
        ++count;
        if (!reachable || acceptsName(name, nameFilter, extensionFilter)) paths.push_back(parent + name);
    });
    observer.filesCounted(count);
    RecordPipeline pipeline(paths, source, workers);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // The pipeline's workers end with it, whatever they had read ahead.
        if (observer.stopRequested()) return false;
        observer.fileReached(paths[i], static_cast<std::int32_t>(i));
        report(observer, paths[i], pipeline.take(i));
        observer.fileDone();
    }
    return true;
}

} // namespace tapeloft
