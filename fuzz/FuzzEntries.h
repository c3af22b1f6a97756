#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The fuzz targets' entry functions, shared by the libFuzzer programs and the GoogleTest that runs them on
// every build. Each takes any bytes, runs them through the code under test and checks what must hold for
// every input; a broken check prints what broke and aborts, so both libFuzzer and ctest see a crash.
namespace tapeloft::fuzz {

// The UTF-8 and the UTF-16 entry point of the JSON parser agree on the bytes; the bytes read as UTF-16
// parse without harm; every lookup on the trees is consistent.
void fuzzJson(const std::uint8_t* data, std::size_t size);
// The bytes as a replay file: read from memory in large and in small chunks and from a file (all three
// agree), then the battle record and the battle details extracted from what was read.
void fuzzReplay(const std::uint8_t* data, std::size_t size);
// The bytes as a preference file: parse, write and parse again give the same file, values set through
// set() read back, and a language built from it answers every message.
void fuzzPrefs(const std::uint8_t* data, std::size_t size);
// The bytes as a sheet: records written one by one and whole sheets exported, both read back record by
// record: the file is a complete sequence of records from BOF to EOF, and every cell holds its text as the
// code page conversion gives it.
void fuzzXls(const std::uint8_t* data, std::size_t size);
// The bytes as a run of operations on a list (rows, filters, sorts, selection, colours, columns, bulk
// updates), each followed by a comparison with a plain model of the list and with a view that follows
// the notifications.
void fuzzListModel(const std::uint8_t* data, std::size_t size);
// The bytes as ColumnOrder.Dat and as Settings.ini: the order read is the built one or a permutation and
// survives a write, every typed setting reads as the file says, and what is written reads back.
void fuzzSettings(const std::uint8_t* data, std::size_t size);
// Texts and names from the bytes: path and text conversions round trip, and a folder tree made of the
// names is walked and counted exactly.
void fuzzPaths(const std::uint8_t* data, std::size_t size);

// The bytes as the record cache of a small replay folder: every scan meets the same files as one without a
// cache, with rows a replay could give, and after a full rescan the very rows of a scan without a cache.
void fuzzCache(const std::uint8_t* data, std::size_t size);
// A cache database made by a scan of that folder, for the seeds.
std::string cacheSeedBytes();

enum class Target { Json, Replay, Prefs, Xls, ListModel, Settings, Paths, Cache };
inline constexpr Target kAllTargets[] = {Target::Json,      Target::Replay,   Target::Prefs, Target::Xls,
                                         Target::ListModel, Target::Settings, Target::Paths, Target::Cache};

struct Seed final {
    std::string name; // a file name for the corpus folder
    std::string bytes;
};

// Seeds made in the program: sample replays of every kind, their JSON blocks, and small hand-made cases.
std::vector<Seed> builtInSeeds(Target target);

// The hand-made seed files of a target below folder (fuzz/seeds/<target> of the checkout); empty when
// the folder is missing.
std::vector<Seed> seedFiles(const std::filesystem::path& folder);

// "json", "replay", "prefs", "xls", "listmodel", "settings", "paths" or "cache".
const char* targetName(Target target);

} // namespace tapeloft::fuzz
