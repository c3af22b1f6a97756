// The record cache keeps what it is given, gives back only what is sound, and never stands in a scan's way:
// a damaged, foreign, locked or half-written database is rebuilt or passed by.
#include "library/RecordCache.h"
#include "library/Sqlite.h"

#include "base/TextCodec.h"
#include "replay/RecordColumns.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace tapeloft;
using tapeloft::test::readBytes;
using tapeloft::test::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kLanguage = 0x1234;

// A row of every column with the path in its place, as the extraction makes it.
std::u16string rowFor(const std::u16string& path, const std::u16string& date) {
    std::u16string row;
    for (int column = 0; column < RecordColumnCount; ++column) {
        if (column > 0) row += u'\n';
        if (column == ColumnDate) row += date;
        if (column == ColumnPath) row += path;
    }
    return row;
}

FreshRecord fresh(const std::u16string& path, std::int64_t size,
                  BattleRecordKind kind = BattleRecordKind::Full) {
    FreshRecord f;
    f.path = path;
    f.stamp = {size, 1'700'000'000'123'456'789 + size, 42};
    f.record.kind = kind;
    f.record.contentRead = true;
    if (kind != BattleRecordKind::Unreadable)
        f.record.rowText = rowFor(path, u"0" + decimal(size) + u".01.2015");
    return f;
}

std::unordered_set<std::u16string> pathsOf(const std::vector<FreshRecord>& records) {
    std::unordered_set<std::u16string> paths;
    for (const auto& r : records)
        paths.insert(r.path);
    return paths;
}

} // namespace

TEST(RecordCache, KeepsEntriesByFolderAndLanguageAndForgetsFilesThatAreGone) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    RecordCache cache = RecordCache::open(file);
    ASSERT_EQ(cache.opening(), CacheOpening::Created);
    const std::vector<FreshRecord> replays = {fresh(u"/r/a.ivlreplay", 10), fresh(u"/r/sub/b.ivlreplay", 20),
                                              fresh(u"/r/c.ivlreplay", 30, BattleRecordKind::Unreadable),
                                              fresh(u"/r/\xDC80.ivlreplay", 40, BattleRecordKind::NoResults)};
    const std::vector<FreshRecord> sibling = {fresh(u"/r2/d.ivlreplay", 50)};
    const auto replayPaths = pathsOf(replays);
    ASSERT_TRUE(cache.update(u"/r/", replays, &replayPaths, kLanguage));
    ASSERT_TRUE(cache.update(u"/r2/", sibling, nullptr, kLanguage));

    auto entries = RecordCache::open(file).entriesBelow(u"/r/", kLanguage);
    ASSERT_EQ(entries.size(), replays.size());
    for (const FreshRecord& f : replays) {
        SCOPED_TRACE(utf16ToUtf8(f.path));
        const CachedRecord& e = entries.at(f.path);
        EXPECT_EQ(e.stamp, f.stamp);
        EXPECT_EQ(e.record.kind, f.record.kind);
        EXPECT_EQ(e.record.rowText, f.record.rowText);
        EXPECT_TRUE(e.record.contentRead);
    }
    // Another language's texts are not this language's.
    EXPECT_TRUE(cache.entriesBelow(u"/r/", kLanguage + 1).empty());
    EXPECT_EQ(cache.entriesBelow(u"/r2/", kLanguage).size(), 1u);

    // A walk that met only a.ivlreplay forgets the others below /r/ and nothing of /r2/.
    const std::unordered_set<std::u16string> present = {u"/r/a.ivlreplay"};
    ASSERT_TRUE(cache.update(u"/r/", {}, &present, kLanguage));
    entries = cache.entriesBelow(u"/r/", kLanguage);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries.contains(u"/r/a.ivlreplay"));
    EXPECT_EQ(cache.entriesBelow(u"/r2/", kLanguage).size(), 1u);
}

TEST(RecordCache, AnEntryThatWasChangedBehindItsBackIsLeftOut) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    {
        RecordCache cache = RecordCache::open(file);
        const std::vector<FreshRecord> replays = {fresh(u"/r/a.ivlreplay", 10), fresh(u"/r/b.ivlreplay", 20),
                                                  fresh(u"/r/c.ivlreplay", 30), fresh(u"/r/d.ivlreplay", 40)};
        ASSERT_TRUE(cache.update(u"/r/", replays, nullptr, kLanguage));
    }
    // One changed row, one changed size, one row that no extraction could give, one changed kind.
    sqlite::Database raw = sqlite::Database::open(file, 100);
    ASSERT_TRUE(raw);
    const auto pathBlob = [](const char* name) {
        std::string hex;
        for (const char c : std::string("/r/") + name) {
            char byte[5];
            std::snprintf(byte, sizeof byte, "%02X00", static_cast<unsigned char>(c));
            hex += byte;
        }
        return "X'" + hex + "'";
    };
    ASSERT_EQ(raw.execute("UPDATE records SET row = substr(row, 3) WHERE path = " + pathBlob("a.ivlreplay")),
              sqlite::Outcome::Ok);
    ASSERT_EQ(raw.execute("UPDATE records SET size = 11 WHERE path = " + pathBlob("b.ivlreplay")),
              sqlite::Outcome::Ok);
    ASSERT_EQ(raw.execute("UPDATE records SET kind = 7 WHERE path = " + pathBlob("c.ivlreplay")),
              sqlite::Outcome::Ok);
    const auto entries = RecordCache::open(file).entriesBelow(u"/r/", kLanguage);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries.contains(u"/r/d.ivlreplay"));
}

// Whatever lies at the cache's place, opening gives a usable cache or one that is passed by, never a crash.
TEST(RecordCache, DamagedOrForeignFilesAreRebuiltOrLeftAlone) {
    TempDir dir;
    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const fs::path good = dir.path() / "good.sqlite";
    {
        RecordCache cache = RecordCache::open(good);
        std::vector<FreshRecord> many;
        for (int i = 0; i < 400; ++i)
            many.push_back(fresh(u"/r/" + decimal(i) + u".ivlreplay", i + 1));
        ASSERT_TRUE(cache.update(u"/r/", many, nullptr, kLanguage));
    }
    const std::string whole = readBytes(good);
    ASSERT_GT(whole.size(), 8192u);

    const auto write = [&](const char* name, const std::string& bytes) { return dir.write(name, bytes); };
    const auto withSql = [&](const char* name, const char* sql) {
        const fs::path file = dir.path() / name;
        sqlite::Database db = sqlite::Database::open(file, 100);
        EXPECT_EQ(db.execute(sql), sqlite::Outcome::Ok) << name;
        return file;
    };
    const struct {
        const char* what;
        fs::path file;
        CacheOpening expected;
    } cases[] = {
        {"random bytes", write("noise.sqlite", noise), CacheOpening::Rebuilt},
        {"a truncated database", write("cut.sqlite", whole.substr(0, whole.size() / 2)),
         CacheOpening::Rebuilt},
        {"the header of a database only", write("head.sqlite", whole.substr(0, 100)), CacheOpening::Rebuilt},
        {"a table of another shape",
         withSql("shape.sqlite", "CREATE TABLE records (path TEXT); PRAGMA user_version=1"),
         CacheOpening::Rebuilt},
        {"someone else's database", withSql("other.sqlite", "CREATE TABLE notes (text TEXT)"),
         CacheOpening::Rebuilt},
        {"a cache of a newer program", withSql("newer.sqlite", "PRAGMA user_version=99"),
         CacheOpening::Bypassed},
        {"an empty file", write("empty.sqlite", ""), CacheOpening::Opened},
        {"a folder", dir.path() / "folder.sqlite", CacheOpening::Bypassed},
    };
    fs::create_directory(dir.path() / "folder.sqlite");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = fs::is_regular_file(c.file) ? readBytes(c.file) : "";
        RecordCache cache = RecordCache::open(c.file);
        EXPECT_EQ(cache.opening(), c.expected);
        EXPECT_EQ(cache.usable(), c.expected != CacheOpening::Bypassed);
        if (!cache.usable()) {
            // Passed by: left as it was, and every call answers without harm.
            if (fs::is_regular_file(c.file)) {
                EXPECT_TRUE(readBytes(c.file) == before) << "the file was changed";
            }
            EXPECT_TRUE(cache.entriesBelow(u"/r/", kLanguage).empty());
            EXPECT_FALSE(cache.update(u"/r/", std::vector{fresh(u"/r/x.ivlreplay", 1)}, nullptr, kLanguage));
            continue;
        }
        EXPECT_TRUE(cache.entriesBelow(u"/r/", kLanguage).empty());
        ASSERT_TRUE(cache.update(u"/r/", std::vector{fresh(u"/r/x.ivlreplay", 1)}, nullptr, kLanguage));
        EXPECT_EQ(RecordCache::open(c.file).entriesBelow(u"/r/", kLanguage).size(), 1u);
    }
}

TEST(RecordCache, ASecondInstanceReadsWhileOneWritesAndWaitsForItsTurn) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    RecordCache first = RecordCache::open(file);
    ASSERT_TRUE(first.update(u"/r/", std::vector{fresh(u"/r/a.ivlreplay", 1)}, nullptr, kLanguage));
    RecordCache second = RecordCache::open(file);
    ASSERT_TRUE(second.usable());

    // A writer holds the database: reading goes on, writing gives up after the wait and changes nothing.
    sqlite::Database writer = sqlite::Database::open(file, 100);
    ASSERT_EQ(writer.execute("BEGIN IMMEDIATE"), sqlite::Outcome::Ok);
    EXPECT_EQ(second.entriesBelow(u"/r/", kLanguage).size(), 1u);
    EXPECT_FALSE(second.update(u"/r/", std::vector{fresh(u"/r/b.ivlreplay", 2)}, nullptr, kLanguage));
    ASSERT_EQ(writer.execute("COMMIT"), sqlite::Outcome::Ok);
    EXPECT_TRUE(second.update(u"/r/", std::vector{fresh(u"/r/b.ivlreplay", 2)}, nullptr, kLanguage));
    EXPECT_EQ(first.entriesBelow(u"/r/", kLanguage).size(), 2u);
}

#ifndef _WIN32
// A process killed in the middle of its transaction leaves the cache as it was before it.
TEST(RecordCache, AProcessKilledWhileWritingLeavesAUsableCache) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    {
        RecordCache cache = RecordCache::open(file);
        ASSERT_TRUE(cache.update(u"/r/", std::vector{fresh(u"/r/kept.ivlreplay", 1)}, nullptr, kLanguage));
    }
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RecordCache cache = RecordCache::open(file);
            std::vector<FreshRecord> many;
            for (int i = 0; i < 2000; ++i)
                many.push_back(fresh(u"/r/many" + decimal(i) + u".ivlreplay", i + 2));
            for (;;)
                cache.update(u"/r/", many, nullptr, kLanguage);
        }
        usleep(150'000 + 50'000 * round);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        RecordCache cache = RecordCache::open(file);
        ASSERT_TRUE(cache.usable());
        const auto entries = cache.entriesBelow(u"/r/", kLanguage);
        EXPECT_TRUE(entries.contains(u"/r/kept.ivlreplay"));
        // All of a transaction or none of it.
        EXPECT_TRUE(entries.size() == 1 || entries.size() == 2001) << entries.size();
    }
}
#endif

#ifndef _WIN32
// Two programs scanning with one cache at once: both finish, and the cache stays sound.
TEST(RecordCache, TwoProcessesUseOneCacheAtOnce) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    std::vector<FreshRecord> mine, theirs;
    for (int i = 0; i < 300; ++i) {
        mine.push_back(fresh(u"/r/mine" + decimal(i) + u".ivlreplay", i + 1));
        theirs.push_back(fresh(u"/r/theirs" + decimal(i) + u".ivlreplay", i + 1));
    }
    ASSERT_TRUE(RecordCache::open(file).usable());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordCache cache = RecordCache::open(file);
        int written = 0;
        for (int round = 0; round < 20; ++round)
            written += cache.update(u"/r/", theirs, nullptr, kLanguage) ? 1 : 0;
        _exit(cache.usable() && written > 0 ? 0 : 1);
    }
    RecordCache cache = RecordCache::open(file);
    ASSERT_TRUE(cache.usable());
    int written = 0;
    for (int round = 0; round < 20; ++round) {
        written += cache.update(u"/r/", mine, nullptr, kLanguage) ? 1 : 0;
        EXPECT_LE(cache.entriesBelow(u"/r/", kLanguage).size(), 600u);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(written, 0);
    EXPECT_EQ(RecordCache::open(file).entriesBelow(u"/r/", kLanguage).size(), 600u);
}

// A cache the user may not write: read as far as possible, never in the way. Permissions do not bind root, so
// root makes the file immutable instead, where the file system allows it.
TEST(RecordCache, AReadOnlyCacheIsReadOrPassedBy) {
    TempDir dir;
    const fs::path file = dir.path() / "RecordCache.sqlite";
    ASSERT_TRUE(
        RecordCache::open(file).update(u"/r/", std::vector{fresh(u"/r/a.ivlreplay", 1)}, nullptr, kLanguage));
    const std::string quoted = "'" + file.string() + "'";
    const bool root = geteuid() == 0;
    if (root) {
        if (std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "this file system cannot make a file read-only for root";
    } else {
        fs::permissions(file, fs::perms::owner_read);
    }
    {
        RecordCache cache = RecordCache::open(file);
        EXPECT_FALSE(cache.update(u"/r/", std::vector{fresh(u"/r/b.ivlreplay", 2)}, nullptr, kLanguage));
        EXPECT_LE(cache.entriesBelow(u"/r/", kLanguage).size(), 1u);
    }
    if (root)
        std::system(("chattr -i " + quoted).c_str());
    else
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::exists(file)); // never removed for being read-only
}
#endif
