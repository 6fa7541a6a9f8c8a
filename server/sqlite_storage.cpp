#include "server/storage.h"

#include <sqlite3.h>

#include <stdexcept>

namespace ludomat::server {

namespace {

// The tables the member area fills; accounts are created by the sign-up route.
const char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS members (
  id INTEGER PRIMARY KEY,
  email TEXT NOT NULL UNIQUE,
  salt BLOB NOT NULL,
  password_hash BLOB NOT NULL,
  member_key TEXT UNIQUE
);
CREATE TABLE IF NOT EXISTS groups (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE
);
CREATE TABLE IF NOT EXISTS group_members (
  group_id INTEGER NOT NULL REFERENCES groups(id),
  member_id INTEGER NOT NULL REFERENCES members(id),
  nick TEXT NOT NULL,
  PRIMARY KEY (group_id, member_id)
);
CREATE TABLE IF NOT EXISTS messages (
  id INTEGER PRIMARY KEY,
  group_id INTEGER NOT NULL REFERENCES groups(id),
  nick TEXT NOT NULL,
  text BLOB NOT NULL,
  sent_at TEXT NOT NULL DEFAULT (datetime('now'))
);
)";

class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const std::string& text)
    {
        sqlite3_bind_text(m_statement, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    bool step() { return sqlite3_step(m_statement) == SQLITE_ROW; }
    std::string text(int column)
    {
        auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

class SqliteStorage : public Storage {
public:
    explicit SqliteStorage(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK) {
            std::string reason = m_db ? sqlite3_errmsg(m_db) : "sem memória";
            sqlite3_close(m_db);
            throw std::runtime_error(reason);
        }
        sqlite3_busy_timeout(m_db, 2000);
        exec("PRAGMA journal_mode=WAL;");
        exec("PRAGMA foreign_keys=ON;");
        exec(kSchema);
    }
    ~SqliteStorage() override { sqlite3_close(m_db); }

    std::optional<std::string> memberKey(const std::string&, const std::string&) override
    {
        // Passwords are checked once sign-up stores salted hashes; until then no one matches.
        return std::nullopt;
    }

    std::string memberGroup(const std::string& memberKey) override
    {
        Statement query(m_db,
                        "SELECT g.name FROM groups g JOIN group_members gm ON gm.group_id = g.id "
                        "JOIN members m ON m.id = gm.member_id WHERE m.member_key = ?1 LIMIT 1");
        query.bind(1, memberKey);
        return query.step() ? query.text(0) : std::string();
    }

private:
    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::string reason = error ? error : "erro";
            sqlite3_free(error);
            throw std::runtime_error(reason);
        }
    }

    sqlite3* m_db = nullptr;
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& path)
{
    return std::make_unique<SqliteStorage>(path);
}

}  // namespace ludomat::server
