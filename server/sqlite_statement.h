#pragma once
// A thin owner of an SQLite connection and its prepared statements: text goes in and out as
// bytes, so the studio's single-byte code page passes unchanged; errors become exceptions, and
// a database another process keeps busy past the wait becomes StorageUnavailable.

#include "server/storage.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace ludomat::server {

constexpr int kBusyWaitMs = 10'000;

[[noreturn]] inline void throwError(sqlite3* db)
{
    int code = sqlite3_errcode(db) & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw StorageUnavailable(sqlite3_errmsg(db));
    throw std::runtime_error(sqlite3_errmsg(db));
}

class Database {
public:
    explicit Database(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK) {
            std::string reason = m_db ? sqlite3_errmsg(m_db) : "sem memória";
            sqlite3_close(m_db);
            throw std::runtime_error(reason);
        }
        // Another process on the same file (a second server, the service beside a hand-started
        // one) holds the write lock for a few milliseconds at a time: wait for it.
        sqlite3_busy_timeout(m_db, kBusyWaitMs);
        exec("PRAGMA journal_mode=WAL;");
        // In WAL mode a crash loses no committed transaction with NORMAL; only power loss might.
        exec("PRAGMA synchronous=NORMAL;");
        exec("PRAGMA foreign_keys=ON;");
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    operator sqlite3*() const { return m_db; }
    long long lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            sqlite3_free(error);
            throwError(m_db);
        }
    }
    // Runs `work` whole or not at all. The transaction takes the write lock as it begins (the
    // busy wait applies there), never by upgrading a read later, which another writer's commit
    // would refuse at once.
    template <typename Work>
    auto write(Work work)
    {
        exec("BEGIN IMMEDIATE;");
        try {
            auto result = work();
            exec("COMMIT;");
            return result;
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK) throwError(db);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const std::string& text)
    {
        sqlite3_bind_blob(m_statement, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, long long value)
    {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    bool step()
    {
        int result = sqlite3_step(m_statement);
        if (result != SQLITE_ROW && result != SQLITE_DONE && result != SQLITE_CONSTRAINT) throwError(m_db);
        m_constraintFailed = result == SQLITE_CONSTRAINT;
        return result == SQLITE_ROW;
    }
    // Runs a statement that returns no rows; false when a constraint refused it.
    bool run()
    {
        step();
        return !m_constraintFailed && sqlite3_changes(m_db) > 0;
    }
    std::string text(int column)
    {
        auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
    }
    long long integer(int column) { return sqlite3_column_int64(m_statement, column); }
    bool null(int column) { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    // The first column of the first row; 0 when there is none.
    long long firstInteger() { return step() ? integer(0) : 0; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    bool m_constraintFailed = false;
};

}  // namespace ludomat::server
