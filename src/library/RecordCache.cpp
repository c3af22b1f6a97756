#include "library/RecordCache.h"

#include "base/TextCodec.h"
#include "replay/RecordColumns.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

namespace tapeloft {

namespace {

// Raised whenever the tables change or the extraction could give another row for the same file: a cache
// of an older program is rebuilt, one of a newer program is left alone.
constexpr std::int64_t kCacheVersion = 1;
// Long enough for a second instance to finish its transaction, short enough not to stall a scan.
constexpr int kBusyMilliseconds = 1500;

constexpr std::string_view kCreateTables =
    "CREATE TABLE IF NOT EXISTS records (path BLOB PRIMARY KEY, size INTEGER NOT NULL, modified INTEGER NOT "
    "NULL, inode INTEGER NOT NULL, language INTEGER NOT NULL, kind INTEGER NOT NULL, row BLOB NOT NULL, "
    "checksum INTEGER NOT NULL) WITHOUT ROWID";

using Bytes = std::vector<std::byte>;

// UTF-16 little-endian, whatever the machine: the file moves between them with the program's folder.
Bytes bytesOf(std::u16string_view text) {
    Bytes bytes(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<std::byte>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::byte>(text[i] >> 8);
    }
    return bytes;
}

std::u16string textOf(std::span<const std::byte> bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(std::to_integer<unsigned>(bytes[2 * i]) |
                                        (std::to_integer<unsigned>(bytes[2 * i + 1]) << 8));
    return text;
}

// The smallest blob above every blob that starts with the prefix; empty when there is none.
Bytes upperBoundOf(Bytes prefix) {
    while (!prefix.empty() && prefix.back() == std::byte{0xFF})
        prefix.pop_back();
    if (!prefix.empty()) prefix.back() = static_cast<std::byte>(std::to_integer<unsigned>(prefix.back()) + 1);
    return prefix;
}

// Catches an entry that a damaged page or an edit of the file changed: its row would be wrong.
std::int64_t checksumOf(std::u16string_view path, const FileStamp& stamp, std::uint64_t language, int kind,
                        std::u16string_view row) {
    constexpr std::uint64_t kPrime = 0x100000001B3ull;
    std::uint64_t hash = 0xCBF29CE484222325ull;
    const auto addWord = [&](std::uint64_t word) {
        for (int b = 0; b < 8; ++b, word >>= 8)
            hash = (hash ^ (word & 0xFF)) * kPrime;
    };
    const auto addText = [&](std::u16string_view text) {
        addWord(text.size());
        for (const char16_t unit : text) {
            hash = (hash ^ (unit & 0xFFu)) * kPrime;
            hash = (hash ^ (unit >> 8)) * kPrime;
        }
    };
    addText(path);
    addWord(static_cast<std::uint64_t>(stamp.size));
    addWord(static_cast<std::uint64_t>(stamp.modifiedNs));
    addWord(stamp.inode);
    addWord(language);
    addWord(static_cast<std::uint64_t>(kind));
    addText(row);
    return static_cast<std::int64_t>(hash);
}

// What a fresh extraction of that file could have given: a kind the extraction has, and a row of every
// column with the file's path in its place, or no row for an unreadable file.
bool plausible(std::u16string_view path, int kind, std::u16string_view row) {
    switch (static_cast<BattleRecordKind>(kind)) {
    case BattleRecordKind::Unreadable:
        return row.empty();
    case BattleRecordKind::Marker:
    case BattleRecordKind::Full:
    case BattleRecordKind::NoResults:
        break;
    default:
        return false;
    }
    if (std::count(row.begin(), row.end(), u'\n') != RecordColumnCount - 1) return false;
    std::size_t start = 0;
    for (int column = 0; column < ColumnPath; ++column)
        start = row.find(u'\n', start) + 1;
    const std::size_t end = row.find(u'\n', start);
    return row.substr(start, end - start) == path;
}

void removeDatabaseFiles(const std::filesystem::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::path part = file;
        part += suffix;
        std::filesystem::remove(part, ec);
    }
}

enum class Prepared { Ready, Damaged, Foreign, Failed };

// Makes the tables of a new database, or checks an existing one is ours and current.
Prepared prepare(sqlite::Database& db) {
    const std::optional<std::int64_t> version = db.queryInteger("PRAGMA user_version");
    if (!version) return db.outcome() == sqlite::Outcome::Corrupt ? Prepared::Damaged : Prepared::Failed;
    // A newer program's cache is left exactly as it is.
    if (*version > kCacheVersion) return Prepared::Foreign;
    // WAL keeps readers and the writer of a second instance out of each other's way.
    db.execute("PRAGMA journal_mode=WAL");
    if (*version < kCacheVersion) {
        const std::optional<std::int64_t> tables = db.queryInteger("SELECT count(*) FROM sqlite_master");
        if (!tables) return db.outcome() == sqlite::Outcome::Corrupt ? Prepared::Damaged : Prepared::Failed;
        // Something older or not ours: start from nothing rather than guess.
        if (*tables != 0) return Prepared::Damaged;
        if (db.execute(kCreateTables) != sqlite::Outcome::Ok ||
            db.execute("PRAGMA user_version=" + std::to_string(kCacheVersion)) != sqlite::Outcome::Ok)
            return db.outcome() == sqlite::Outcome::Corrupt ? Prepared::Damaged : Prepared::Failed;
    }
    // A table of the same name but another shape does not prepare.
    sqlite::Statement probe =
        db.prepare("SELECT path, size, modified, inode, language, kind, row, checksum FROM records LIMIT 1");
    if (!probe) return db.outcome() == sqlite::Outcome::Busy ? Prepared::Failed : Prepared::Damaged;
    probe.step();
    if (probe.outcome() == sqlite::Outcome::Corrupt) return Prepared::Damaged;
    return probe.outcome() == sqlite::Outcome::Ok ? Prepared::Ready : Prepared::Failed;
}

} // namespace

RecordCache RecordCache::open(const std::filesystem::path& file) {
    RecordCache cache;
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite::Database db = sqlite::Database::open(file, kBusyMilliseconds);
        if (!db) return cache;
        switch (prepare(db)) {
        case Prepared::Ready:
            cache.db_ = std::move(db);
            cache.opening_ = attempt > 0 ? CacheOpening::Rebuilt
                             : existed   ? CacheOpening::Opened
                                         : CacheOpening::Created;
            return cache;
        case Prepared::Damaged:
            db = sqlite::Database();
            removeDatabaseFiles(file);
            continue;
        case Prepared::Foreign:
        case Prepared::Failed:
            return cache;
        }
    }
    return cache;
}

std::unordered_map<std::u16string, CachedRecord> RecordCache::entriesBelow(std::u16string_view folderPrefix,
                                                                           std::uint64_t language) {
    std::unordered_map<std::u16string, CachedRecord> entries;
    if (!db_) return entries;
    const Bytes low = bytesOf(folderPrefix);
    const Bytes high = upperBoundOf(low);
    sqlite::Statement select = db_.prepare(
        high.empty()
            ? "SELECT path, size, modified, inode, kind, row, checksum FROM records WHERE path >= ?1 AND "
              "language = ?3"
            : "SELECT path, size, modified, inode, kind, row, checksum FROM records WHERE path >= ?1 AND "
              "path < ?2 AND language = ?3");
    if (!select) {
        db_ = sqlite::Database();
        return entries;
    }
    select.bind(1, low);
    if (!high.empty()) select.bind(2, high);
    select.bind(3, static_cast<std::int64_t>(language));
    while (select.step()) {
        std::u16string path = textOf(select.bytes(0));
        CachedRecord entry;
        entry.stamp = {select.integer(1), select.integer(2), static_cast<std::uint64_t>(select.integer(3))};
        const auto kind = static_cast<int>(select.integer(4));
        entry.record.rowText = textOf(select.bytes(5));
        if (select.integer(6) != checksumOf(path, entry.stamp, language, kind, entry.record.rowText) ||
            !plausible(path, kind, entry.record.rowText))
            continue;
        entry.record.kind = static_cast<BattleRecordKind>(kind);
        entry.record.contentRead = true;
        entries.emplace(std::move(path), std::move(entry));
    }
    if (select.outcome() != sqlite::Outcome::Ok) {
        // Whatever was read before the failure passed its checks, but a scan without the cache is the
        // simpler promise.
        entries.clear();
        db_ = sqlite::Database();
    }
    return entries;
}

bool RecordCache::update(std::u16string_view folderPrefix, std::span<const FreshRecord> fresh,
                         const std::unordered_set<std::u16string>* present, std::uint64_t language) {
    if (!db_) return false;
    if (db_.execute("BEGIN IMMEDIATE") != sqlite::Outcome::Ok) return false;
    const auto fail = [this] {
        db_.execute("ROLLBACK");
        return false;
    };
    sqlite::Statement insert = db_.prepare(
        "INSERT OR REPLACE INTO records (path, size, modified, inode, language, kind, row, checksum) VALUES "
        "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (!insert) return fail();
    for (const FreshRecord& f : fresh) {
        const int kind = static_cast<int>(f.record.kind);
        insert.reset();
        insert.bind(1, bytesOf(f.path));
        insert.bind(2, f.stamp.size);
        insert.bind(3, f.stamp.modifiedNs);
        insert.bind(4, static_cast<std::int64_t>(f.stamp.inode));
        insert.bind(5, static_cast<std::int64_t>(language));
        insert.bind(6, static_cast<std::int64_t>(kind));
        insert.bind(7, bytesOf(f.record.rowText));
        insert.bind(8, checksumOf(f.path, f.stamp, language, kind, f.record.rowText));
        insert.step();
        if (insert.outcome() != sqlite::Outcome::Ok) return fail();
    }
    if (present == nullptr) return db_.execute("COMMIT") == sqlite::Outcome::Ok || fail();
    // Entries of files that are gone, whatever language made them.
    const Bytes low = bytesOf(folderPrefix);
    const Bytes high = upperBoundOf(low);
    sqlite::Statement below =
        db_.prepare(high.empty() ? "SELECT path FROM records WHERE path >= ?1"
                                 : "SELECT path FROM records WHERE path >= ?1 AND path < ?2");
    if (!below) return fail();
    below.bind(1, low);
    if (!high.empty()) below.bind(2, high);
    std::vector<Bytes> gone;
    while (below.step()) {
        const std::span<const std::byte> path = below.bytes(0);
        if (!present->contains(textOf(path))) gone.emplace_back(path.begin(), path.end());
    }
    if (below.outcome() != sqlite::Outcome::Ok) return fail();
    sqlite::Statement forget = db_.prepare("DELETE FROM records WHERE path = ?1");
    if (!forget) return fail();
    for (const Bytes& path : gone) {
        forget.reset();
        forget.bind(1, path);
        forget.step();
        if (forget.outcome() != sqlite::Outcome::Ok) return fail();
    }
    return db_.execute("COMMIT") == sqlite::Outcome::Ok || fail();
}

bool RecordCache::clear() {
    return db_ && db_.execute("DELETE FROM records") == sqlite::Outcome::Ok;
}

} // namespace tapeloft
