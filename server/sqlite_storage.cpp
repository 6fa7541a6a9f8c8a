#include "server/storage.h"

#include <sqlite3.h>

#include <ctime>
#include <mutex>
#include <stdexcept>

namespace ludomat::server {

namespace {

// Members belong to one group each; `presence` holds who is in a group's chat now and from
// which message on it receives.
const char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS groups (
  id INTEGER PRIMARY KEY,
  name BLOB NOT NULL UNIQUE
);
CREATE TABLE IF NOT EXISTS members (
  id INTEGER PRIMARY KEY,
  email BLOB NOT NULL UNIQUE,
  salt BLOB NOT NULL,
  password_hash BLOB NOT NULL,
  member_key BLOB UNIQUE,
  group_id INTEGER REFERENCES groups(id)
);
CREATE TABLE IF NOT EXISTS group_members (
  group_id INTEGER NOT NULL REFERENCES groups(id),
  member_id INTEGER NOT NULL REFERENCES members(id),
  nick BLOB NOT NULL,
  PRIMARY KEY (group_id, member_id),
  UNIQUE (group_id, nick)
);
CREATE TABLE IF NOT EXISTS presence (
  member_id INTEGER PRIMARY KEY REFERENCES members(id),
  group_id INTEGER NOT NULL REFERENCES groups(id),
  after_message INTEGER NOT NULL,
  last_seen INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS messages (
  id INTEGER PRIMARY KEY,
  group_id INTEGER NOT NULL REFERENCES groups(id),
  header BLOB NOT NULL,
  text BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS messages_by_group ON messages(group_id, id);
)";

// Nicks longer than the studio's field are cut.
constexpr size_t kMaxNick = 16;

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Text is kept as bytes: the studio's single-byte code page goes in and out unchanged.
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
        if (result != SQLITE_ROW && result != SQLITE_DONE && result != SQLITE_CONSTRAINT)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        m_constraintFailed = result == SQLITE_CONSTRAINT;
        return result == SQLITE_ROW;
    }
    // Runs a statement that returns no rows; false when a constraint refused it.
    bool run()
    {
        step();
        return !m_constraintFailed;
    }
    std::string text(int column)
    {
        auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
    }
    long long integer(int column) { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    bool m_constraintFailed = false;
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
        // In WAL mode a crash loses no committed transaction with NORMAL; only power loss might.
        exec("PRAGMA synchronous=NORMAL;");
        exec("PRAGMA foreign_keys=ON;");
        exec(kSchema);
    }
    ~SqliteStorage() override { sqlite3_close(m_db); }

    bool addMember(const std::string& email, const std::string& salt, const std::string& hash,
                   const std::string& group) override
    {
        std::lock_guard guard(m_lock);
        long long groupId = groupIdCreating(group);
        return Statement(m_db, "INSERT INTO members (email, salt, password_hash, group_id) VALUES (?1, ?2, ?3, ?4)")
            .bind(1, email).bind(2, salt).bind(3, hash).bind(4, groupId).run();
    }

    std::optional<Credentials> credentials(const std::string& email) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT id, salt, password_hash FROM members WHERE email = ?1");
        query.bind(1, email);
        if (!query.step()) return std::nullopt;
        return Credentials{query.integer(0), query.text(1), query.text(2)};
    }

    void setMemberKey(MemberId member, const std::string& key) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "UPDATE members SET member_key = ?2 WHERE id = ?1").bind(1, member).bind(2, key).run();
    }

    std::optional<MemberId> memberByKey(const std::string& key) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT id FROM members WHERE member_key = ?1");
        query.bind(1, key);
        return query.step() ? std::optional(query.integer(0)) : std::nullopt;
    }

    std::string memberGroup(const std::string& memberKey) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT g.name FROM groups g JOIN members m ON m.group_id = g.id WHERE m.member_key = ?1");
        query.bind(1, memberKey);
        return query.step() ? query.text(0) : std::string();
    }

    std::string enterGroup(MemberId member, const std::string& group, int backlog) override
    {
        std::lock_guard guard(m_lock);
        Statement own(m_db, "SELECT g.id, m.email FROM groups g JOIN members m ON m.group_id = g.id "
                            "WHERE m.id = ?1 AND g.name = ?2");
        own.bind(1, member).bind(2, group);
        if (!own.step()) return {};
        long long groupId = own.integer(0);
        std::string nick = nickIn(groupId, member);
        if (nick.empty()) nick = firstNick(groupId, member, own.text(1));
        Statement after(m_db, "SELECT id FROM messages WHERE group_id = ?1 ORDER BY id DESC LIMIT 1 OFFSET ?2");
        after.bind(1, groupId).bind(2, (long long)backlog);
        long long afterMessage = after.step() ? after.integer(0) : 0;
        Statement(m_db, "INSERT OR REPLACE INTO presence (member_id, group_id, after_message, last_seen) "
                        "VALUES (?1, ?2, ?3, ?4)")
            .bind(1, member).bind(2, groupId).bind(3, afterMessage).bind(4, now()).run();
        return nick;
    }

    std::string changeNick(MemberId member, const std::string& nick) override
    {
        std::lock_guard guard(m_lock);
        long long groupId = presentGroup(member);
        std::string wanted = nick.substr(0, kMaxNick);
        if (groupId == 0 || wanted.empty()) return {};
        if (!Statement(m_db, "UPDATE group_members SET nick = ?3 WHERE group_id = ?1 AND member_id = ?2")
                 .bind(1, groupId).bind(2, member).bind(3, wanted).run())
            return {};
        return nickIn(groupId, member);
    }

    bool addMessage(MemberId member, const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        long long groupId = presentGroup(member);
        if (groupId == 0) return false;
        touch(member);
        return Statement(m_db, "INSERT INTO messages (group_id, header, text) VALUES (?1, ?2, ?3)")
            .bind(1, groupId).bind(2, header(nickIn(groupId, member))).bind(3, text).run();
    }

    std::optional<std::vector<ChatMessage>> messages(MemberId member, const std::string& group, long long from,
                                                     int limit) override
    {
        std::lock_guard guard(m_lock);
        Statement where(m_db, "SELECT p.group_id, p.after_message FROM presence p JOIN groups g ON g.id = p.group_id "
                              "WHERE p.member_id = ?1 AND g.name = ?2");
        where.bind(1, member).bind(2, group);
        if (!where.step()) return std::nullopt;
        touch(member);
        Statement query(m_db, "SELECT header, text FROM messages WHERE group_id = ?1 AND id > ?2 "
                              "ORDER BY id LIMIT ?3 OFFSET ?4");
        query.bind(1, where.integer(0)).bind(2, where.integer(1)).bind(3, (long long)limit).bind(4, from);
        std::vector<ChatMessage> result;
        while (query.step()) result.push_back({query.text(0), query.text(1)});
        return result;
    }

    std::optional<std::vector<std::string>> participants(MemberId member, const std::string& group,
                                                         int timeoutSeconds) override
    {
        std::lock_guard guard(m_lock);
        Statement where(m_db, "SELECT p.group_id FROM presence p JOIN groups g ON g.id = p.group_id "
                              "WHERE p.member_id = ?1 AND g.name = ?2");
        where.bind(1, member).bind(2, group);
        if (!where.step()) return std::nullopt;
        touch(member);
        Statement query(m_db, "SELECT gm.nick FROM presence p JOIN group_members gm "
                              "ON gm.group_id = p.group_id AND gm.member_id = p.member_id "
                              "WHERE p.group_id = ?1 AND p.last_seen >= ?2 ORDER BY gm.nick");
        query.bind(1, where.integer(0)).bind(2, now() - timeoutSeconds);
        std::vector<std::string> nicks;
        while (query.step()) nicks.push_back(query.text(0));
        return nicks;
    }

    void leaveGroup(MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "DELETE FROM presence WHERE member_id = ?1").bind(1, member).run();
    }

private:
    static long long now() { return (long long)std::time(nullptr); }

    // "Ana (14:05)": who wrote, and when by the server's clock.
    static std::string header(const std::string& nick)
    {
        std::time_t t = std::time(nullptr);
        std::tm local{};
        localtime_r(&t, &local);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M", &local);
        return nick + " (" + clock + ")";
    }

    long long groupIdCreating(const std::string& name)
    {
        Statement(m_db, "INSERT OR IGNORE INTO groups (name) VALUES (?1)").bind(1, name).run();
        Statement query(m_db, "SELECT id FROM groups WHERE name = ?1");
        query.bind(1, name);
        return query.step() ? query.integer(0) : 0;
    }

    long long presentGroup(MemberId member)
    {
        Statement query(m_db, "SELECT group_id FROM presence WHERE member_id = ?1");
        query.bind(1, member);
        return query.step() ? query.integer(0) : 0;
    }

    void touch(MemberId member)
    {
        Statement(m_db, "UPDATE presence SET last_seen = ?2 WHERE member_id = ?1").bind(1, member).bind(2, now()).run();
    }

    std::string nickIn(long long groupId, MemberId member)
    {
        Statement query(m_db, "SELECT nick FROM group_members WHERE group_id = ?1 AND member_id = ?2");
        query.bind(1, groupId).bind(2, member);
        return query.step() ? query.text(0) : std::string();
    }

    // The part of the e-mail before "@", made unique in the group with the member's number.
    std::string firstNick(long long groupId, MemberId member, const std::string& email)
    {
        std::string base = email.substr(0, email.find('@')).substr(0, kMaxNick);
        if (base.empty()) base = "membro";
        for (std::string nick : {base, base.substr(0, 10) + std::to_string(member)}) {
            if (Statement(m_db, "INSERT INTO group_members (group_id, member_id, nick) VALUES (?1, ?2, ?3)")
                    .bind(1, groupId).bind(2, member).bind(3, nick).run())
                return nick;
        }
        return {};
    }

    void exec(const char* sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::string reason = error ? error : "erro";
            sqlite3_free(error);
            throw std::runtime_error(reason);
        }
    }

    std::mutex m_lock;
    sqlite3* m_db = nullptr;
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& path)
{
    return std::make_unique<SqliteStorage>(path);
}

}  // namespace ludomat::server
