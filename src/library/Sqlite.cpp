#include "library/Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace tapeloft::sqlite {

Outcome outcomeOf(int code) {
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return Outcome::Ok;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Outcome::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return Outcome::Corrupt;
    default:
        return Outcome::Failed;
    }
}

// --- Statement ------------------------------------------------------------------------------------------

Statement::Statement(Statement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)), outcome_(other.outcome_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
        outcome_ = other.outcome_;
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

void Statement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
}

void Statement::bind(int index, std::span<const std::byte> bytes) {
    // A zero-length blob, not NULL, for an empty span.
    static constexpr std::byte kNothing{};
    sqlite3_bind_blob64(statement_, index, bytes.empty() ? &kNothing : bytes.data(), bytes.size(),
                        SQLITE_TRANSIENT);
}

bool Statement::step() {
    const int code = sqlite3_step(statement_);
    outcome_ = outcomeOf(code);
    return code == SQLITE_ROW;
}

void Statement::reset() {
    sqlite3_reset(statement_);
    outcome_ = Outcome::Ok;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::span<const std::byte> Statement::bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr || size <= 0) return {};
    return {static_cast<const std::byte*>(data), static_cast<std::size_t>(size)};
}

// --- Database -------------------------------------------------------------------------------------------

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), outcome_(other.outcome_) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
        outcome_ = other.outcome_;
    }
    return *this;
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

Database Database::open(const std::filesystem::path& file, int busyMilliseconds) {
    sqlite3* db = nullptr;
    const std::u8string name = file.u8string();
    const int code =
        sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close_v2(db);
        return {};
    }
    sqlite3_busy_timeout(db, busyMilliseconds);
    sqlite3_extended_result_codes(db, 1);
    return Database(db);
}

Outcome Database::record(int code) {
    outcome_ = outcomeOf(code);
    return outcome_;
}

Outcome Database::execute(std::string_view sql) {
    const std::string text(sql);
    return record(sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr));
}

Statement Database::prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (record(code) != Outcome::Ok) {
        sqlite3_finalize(statement);
        return {};
    }
    return Statement(statement);
}

std::optional<std::int64_t> Database::queryInteger(std::string_view sql) {
    Statement statement = prepare(sql);
    if (!statement || !statement.step()) {
        if (statement) outcome_ = statement.outcome();
        return std::nullopt;
    }
    return statement.integer(0);
}

} // namespace tapeloft::sqlite
