#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A thin owner of SQLite's C interface: a connection, its prepared statements, and results as values.
namespace tapeloft::sqlite {

// The result code of the last call; corruption and a file that is no database are told apart, as a cache
// rebuilds itself after them and only goes without after anything else.
enum class Outcome { Ok, Busy, Corrupt, Failed };

class Statement final {
public:
    Statement() = default;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    explicit operator bool() const { return statement_ != nullptr; }

    // Parameters count from 1. The bytes are copied.
    void bind(int index, std::int64_t value);
    void bind(int index, std::span<const std::byte> bytes);
    // Moves to the next row: true with a row, false when done or on an error (outcome() tells).
    bool step();
    // Back to the start, bindings kept.
    void reset();
    Outcome outcome() const { return outcome_; }

    std::int64_t integer(int column) const;
    std::span<const std::byte> bytes(int column) const;

private:
    friend class Database;
    explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}

    sqlite3_stmt* statement_ = nullptr;
    Outcome outcome_ = Outcome::Ok;
};

class Database final {
public:
    Database() = default;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // Opens (creating when missing) the database file for reading and writing; a closed Database when
    // that fails. Waits up to busyMilliseconds for another connection's lock before a call gives Busy.
    static Database open(const std::filesystem::path& file, int busyMilliseconds);

    explicit operator bool() const { return db_ != nullptr; }

    // Runs statements that return no rows.
    Outcome execute(std::string_view sql);
    // An empty Statement when the SQL does not prepare (outcome() of the database then tells why).
    Statement prepare(std::string_view sql);
    // The integer of a one-row, one-column query; nullopt when it gives no row or fails.
    std::optional<std::int64_t> queryInteger(std::string_view sql);
    Outcome outcome() const { return outcome_; }

private:
    explicit Database(sqlite3* db) : db_(db) {}
    Outcome record(int code);

    sqlite3* db_ = nullptr;
    Outcome outcome_ = Outcome::Ok;
};

// Classifies a SQLite result code.
Outcome outcomeOf(int code);

} // namespace tapeloft::sqlite
