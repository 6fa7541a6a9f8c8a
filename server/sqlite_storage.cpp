// The members' database in SQLite: records only, no member-area rules (see member_area.h).

#include "server/sqlite_statement.h"
#include "server/storage.h"

#include <mutex>

namespace ludomat::server {

namespace {

// The first schema, as databases made before versions were counted have it. Members belong to
// one group each; `presence` holds who is in a group's chat now and from which message on.
const char kSchemaVersion1[] = R"(
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

// Keys kept as digests with their last use (the keys in the clear are dropped: members log in
// again), the trusted address, nicks compared by a key, poll cursors and log-in failures.
// Old nicks get a lower-cased key without spaces; clashing ones keep their member's number.
const char kUpgradeToVersion2[] = R"(
ALTER TABLE members ADD COLUMN key_used INTEGER NOT NULL DEFAULT 0;
ALTER TABLE members ADD COLUMN trusted_address BLOB NOT NULL DEFAULT x'';
UPDATE members SET member_key = NULL;
ALTER TABLE group_members ADD COLUMN nick_key BLOB;
UPDATE group_members SET nick_key = CAST(lower(replace(CAST(nick AS TEXT), ' ', '')) AS BLOB);
UPDATE group_members SET nick_key = nick_key || CAST('#' || member_id AS BLOB) WHERE EXISTS (
  SELECT 1 FROM group_members o WHERE o.group_id = group_members.group_id
  AND o.nick_key = group_members.nick_key AND o.member_id < group_members.member_id);
CREATE UNIQUE INDEX group_nick_keys ON group_members(group_id, nick_key);
ALTER TABLE presence ADD COLUMN asked_count INTEGER NOT NULL DEFAULT 0;
ALTER TABLE presence ADD COLUMN asked_id INTEGER NOT NULL DEFAULT 0;
ALTER TABLE presence ADD COLUMN next_count INTEGER NOT NULL DEFAULT 0;
ALTER TABLE presence ADD COLUMN next_id INTEGER NOT NULL DEFAULT 0;
CREATE TABLE login_failures (
  email BLOB PRIMARY KEY,
  count INTEGER NOT NULL,
  last_failure INTEGER NOT NULL,
  locked_until INTEGER NOT NULL
);
PRAGMA user_version = 2;
)";

// The eight presence columns of a row, from `first` on: group, its name, after, the two cursors,
// last seen.
Presence presenceAt(Statement& query, int first)
{
    return Presence{query.integer(first),
                    query.text(first + 1),
                    query.integer(first + 2),
                    {query.integer(first + 3), query.integer(first + 4)},
                    {query.integer(first + 5), query.integer(first + 6)},
                    query.integer(first + 7)};
}

class SqliteStorage : public Storage {
public:
    explicit SqliteStorage(const std::string& path) : m_db(path)
    {
        std::lock_guard guard(m_lock);
        // Read and upgraded under the write lock, so two processes starting together upgrade once.
        m_db.write([this] {
            m_db.exec(kSchemaVersion1);
            long long version = Statement(m_db, "PRAGMA user_version").firstInteger();
            if (version < 2) m_db.exec(kUpgradeToVersion2);
            return version;
        });
    }

    bool reachable() override
    {
        std::lock_guard guard(m_lock);
        try {
            return Statement(m_db, "SELECT count(*) FROM groups").step();
        } catch (const std::exception&) {
            return false;
        }
    }

    bool addMember(const std::string& email, const std::string& salt, const std::string& hash,
                   const std::string& group) override
    {
        std::lock_guard guard(m_lock);
        return m_db.write([&] {
            Statement(m_db, "INSERT OR IGNORE INTO groups (name) VALUES (?1)").bind(1, group).run();
            return Statement(m_db,
                             "INSERT INTO members (email, salt, password_hash, group_id) "
                             "SELECT ?1, ?2, ?3, id FROM groups WHERE name = ?4")
                .bind(1, email)
                .bind(2, salt)
                .bind(3, hash)
                .bind(4, group)
                .run();
        });
    }

    std::optional<Credentials> credentials(const std::string& email) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT id, salt, password_hash, trusted_address FROM members WHERE email = ?1");
        query.bind(1, email);
        if (!query.step()) return std::nullopt;
        return Credentials{query.integer(0), query.text(1), query.text(2), query.text(3)};
    }

    std::optional<MemberInfo> member(MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db,
                        "SELECT m.email, g.id, g.name FROM members m JOIN groups g ON g.id = m.group_id "
                        "WHERE m.id = ?1");
        query.bind(1, member);
        if (!query.step()) return std::nullopt;
        return MemberInfo{query.text(0), query.integer(1), query.text(2)};
    }

    void recordLogin(MemberId member, const std::string& keyDigest, const std::string& address, long long now) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "UPDATE members SET member_key = ?2, key_used = ?3, trusted_address = ?4 WHERE id = ?1")
            .bind(1, member)
            .bind(2, keyDigest)
            .bind(3, now)
            .bind(4, address)
            .run();
    }

    std::optional<KeyOwner> keyOwner(const std::string& keyDigest) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db,
                        "SELECT m.id, m.key_used, p.group_id, g.name, p.after_message, p.asked_count, p.asked_id, "
                        "p.next_count, p.next_id, p.last_seen FROM members m "
                        "LEFT JOIN presence p ON p.member_id = m.id LEFT JOIN groups g ON g.id = p.group_id "
                        "WHERE m.member_key = ?1");
        query.bind(1, keyDigest);
        if (!query.step()) return std::nullopt;
        KeyOwner owner{query.integer(0), query.integer(1), std::nullopt};
        if (!query.null(2)) owner.presence = presenceAt(query, 2);
        return owner;
    }

    void setKeyUse(MemberId member, long long lastUsed) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "UPDATE members SET key_used = ?2 WHERE id = ?1").bind(1, member).bind(2, lastUsed).run();
    }

    void dropKey(MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "UPDATE members SET member_key = NULL WHERE id = ?1").bind(1, member).run();
    }

    std::string nick(GroupId group, MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT nick FROM group_members WHERE group_id = ?1 AND member_id = ?2");
        query.bind(1, group).bind(2, member);
        return query.step() ? query.text(0) : std::string();
    }

    bool setNick(GroupId group, MemberId member, const std::string& nick, const std::string& nickKey) override
    {
        std::lock_guard guard(m_lock);
        return Statement(m_db,
                         "INSERT INTO group_members (group_id, member_id, nick, nick_key) VALUES (?1, ?2, ?3, ?4) "
                         "ON CONFLICT (group_id, member_id) DO UPDATE SET nick = ?3, nick_key = ?4")
            .bind(1, group)
            .bind(2, member)
            .bind(3, nick)
            .bind(4, nickKey)
            .run();
    }

    void enter(MemberId member, GroupId group, MessageId after, long long now) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db,
                  "INSERT OR REPLACE INTO presence (member_id, group_id, after_message, last_seen) "
                  "VALUES (?1, ?2, ?3, ?4)")
            .bind(1, member)
            .bind(2, group)
            .bind(3, after)
            .bind(4, now)
            .run();
    }

    std::optional<Presence> presence(MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db,
                        "SELECT p.group_id, g.name, p.after_message, p.asked_count, p.asked_id, "
                        "p.next_count, p.next_id, p.last_seen FROM presence p JOIN groups g ON g.id = p.group_id "
                        "WHERE p.member_id = ?1");
        query.bind(1, member);
        if (!query.step()) return std::nullopt;
        return presenceAt(query, 0);
    }

    void touch(MemberId member, long long now) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "UPDATE presence SET last_seen = ?2 WHERE member_id = ?1").bind(1, member).bind(2, now).run();
    }

    void polled(MemberId member, long long now, Cursor asked, Cursor next) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db,
                  "UPDATE presence SET last_seen = ?2, asked_count = ?3, asked_id = ?4, next_count = ?5, "
                  "next_id = ?6 WHERE member_id = ?1")
            .bind(1, member)
            .bind(2, now)
            .bind(3, asked.count)
            .bind(4, asked.id)
            .bind(5, next.count)
            .bind(6, next.id)
            .run();
    }

    void leave(MemberId member) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "DELETE FROM presence WHERE member_id = ?1").bind(1, member).run();
    }

    std::vector<std::string> nicksSeenSince(GroupId group, long long since) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db,
                        "SELECT gm.nick FROM presence p JOIN group_members gm "
                        "ON gm.group_id = p.group_id AND gm.member_id = p.member_id "
                        "WHERE p.group_id = ?1 AND p.last_seen >= ?2 ORDER BY gm.nick");
        query.bind(1, group).bind(2, since);
        std::vector<std::string> nicks;
        while (query.step()) nicks.push_back(query.text(0));
        return nicks;
    }

    MessageId addMessage(GroupId group, const std::string& header, const std::string& text) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "INSERT INTO messages (group_id, header, text) VALUES (?1, ?2, ?3)")
            .bind(1, group)
            .bind(2, header)
            .bind(3, text)
            .run();
        return m_db.lastInsertId();
    }

    MessageId idBeforeLatest(GroupId group, int count) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT id FROM messages WHERE group_id = ?1 ORDER BY id DESC LIMIT 1 OFFSET ?2");
        query.bind(1, group).bind(2, (long long)count);
        return query.step() ? query.integer(0) : 0;
    }

    std::optional<MessageId> idAfter(GroupId group, MessageId after, long long skip) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT id FROM messages WHERE group_id = ?1 AND id > ?2 ORDER BY id LIMIT 1 OFFSET ?3");
        query.bind(1, group).bind(2, after).bind(3, skip - 1);
        return query.step() ? std::optional(query.integer(0)) : std::nullopt;
    }

    std::vector<StoredMessage> messagesAfter(GroupId group, MessageId after, int limit) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db,
                        "SELECT id, header, text FROM messages WHERE group_id = ?1 AND id > ?2 ORDER BY id "
                        "LIMIT ?3");
        query.bind(1, group).bind(2, after).bind(3, (long long)limit);
        std::vector<StoredMessage> result;
        while (query.step()) result.push_back({query.integer(0), query.text(1), query.text(2)});
        return result;
    }

    LoginFailures loginFailures(const std::string& email) override
    {
        std::lock_guard guard(m_lock);
        Statement query(m_db, "SELECT count, last_failure, locked_until FROM login_failures WHERE email = ?1");
        query.bind(1, email);
        if (!query.step()) return {};
        return LoginFailures{int(query.integer(0)), query.integer(1), query.integer(2)};
    }

    void setLoginFailures(const std::string& email, const LoginFailures& failures) override
    {
        std::lock_guard guard(m_lock);
        if (failures.count == 0) {
            Statement(m_db, "DELETE FROM login_failures WHERE email = ?1").bind(1, email).run();
            return;
        }
        Statement(m_db,
                  "INSERT OR REPLACE INTO login_failures (email, count, last_failure, locked_until) "
                  "VALUES (?1, ?2, ?3, ?4)")
            .bind(1, email)
            .bind(2, (long long)failures.count)
            .bind(3, failures.lastFailure)
            .bind(4, failures.lockedUntil)
            .run();
    }

    void forgetLoginFailures(long long before) override
    {
        std::lock_guard guard(m_lock);
        Statement(m_db, "DELETE FROM login_failures WHERE last_failure < ?1").bind(1, before).run();
    }

private:
    std::mutex m_lock;
    Database m_db;
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& path)
{
    return std::make_unique<SqliteStorage>(path);
}

}  // namespace ludomat::server
