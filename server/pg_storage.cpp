// The members' database in PostgreSQL: records only, no member-area rules (see member_area.h).
// Several server processes share it, so whatever must not interleave is one transaction.

#include "server/pg_pool.h"
#include "server/storage.h"

namespace ludomat::server {

namespace {

using pg::Params;
using pg::Query;

// Each entry upgrades the schema by one version; a database records the last one it has in
// `schema_version`, and an old one is only ever added to.
const char* const kMigrations[] = {
    R"(
CREATE TABLE groups (
  id BIGSERIAL PRIMARY KEY,
  name BYTEA NOT NULL UNIQUE
);
CREATE TABLE members (
  id BIGSERIAL PRIMARY KEY,
  email BYTEA NOT NULL UNIQUE,
  salt BYTEA NOT NULL,
  password_hash BYTEA NOT NULL,
  member_key BYTEA UNIQUE,
  key_used BIGINT NOT NULL DEFAULT 0,
  trusted_address BYTEA NOT NULL DEFAULT '',
  group_id BIGINT NOT NULL REFERENCES groups(id)
);
CREATE TABLE group_members (
  group_id BIGINT NOT NULL REFERENCES groups(id),
  member_id BIGINT NOT NULL REFERENCES members(id),
  nick BYTEA NOT NULL,
  nick_key BYTEA NOT NULL,
  PRIMARY KEY (group_id, member_id),
  UNIQUE (group_id, nick),
  UNIQUE (group_id, nick_key)
);
CREATE TABLE presence (
  member_id BIGINT PRIMARY KEY REFERENCES members(id),
  group_id BIGINT NOT NULL REFERENCES groups(id),
  after_message BIGINT NOT NULL,
  last_seen BIGINT NOT NULL,
  asked_count BIGINT NOT NULL DEFAULT 0,
  asked_id BIGINT NOT NULL DEFAULT 0,
  next_count BIGINT NOT NULL DEFAULT 0,
  next_id BIGINT NOT NULL DEFAULT 0
);
CREATE INDEX presence_by_group ON presence(group_id, last_seen);
CREATE TABLE messages (
  id BIGSERIAL PRIMARY KEY,
  group_id BIGINT NOT NULL REFERENCES groups(id),
  header BYTEA NOT NULL,
  text BYTEA NOT NULL
);
CREATE INDEX messages_by_group ON messages(group_id, id);
CREATE TABLE login_failures (
  email BYTEA PRIMARY KEY,
  count BIGINT NOT NULL,
  last_failure BIGINT NOT NULL,
  locked_until BIGINT NOT NULL
);
)",
    // Every poll rewrites a presence row: with no index on what it changes and room left in each
    // page, PostgreSQL updates the row in place instead of adding index entries each time.
    R"(
DROP INDEX presence_by_group;
CREATE INDEX presence_in_group ON presence(group_id);
ALTER TABLE presence SET (fillfactor = 70);
)",
};

// Any fixed number: processes starting together upgrade the schema one after the other.
const char kMigrationLock[] = "SELECT pg_advisory_xact_lock(2562047788015215)";

const Query kPing{"ping", "SELECT 1::bigint"};
const Query kAddGroup{"add_group", "INSERT INTO groups (name) VALUES ($1::bytea) ON CONFLICT DO NOTHING"};
const Query kAddMember{"add_member",
                       "INSERT INTO members (email, salt, password_hash, group_id) "
                       "SELECT $1::bytea, $2::bytea, $3::bytea, id FROM groups WHERE name = $4::bytea "
                       "ON CONFLICT (email) DO NOTHING"};
const Query kCredentials{"credentials",
                         "SELECT id, salt, password_hash, trusted_address FROM members WHERE email = $1::bytea"};
const Query kMember{"member",
                    "SELECT m.email, g.id, g.name FROM members m JOIN groups g ON g.id = m.group_id "
                    "WHERE m.id = $1::bigint"};
const Query kRecordLogin{"record_login",
                         "UPDATE members SET member_key = $2::bytea, key_used = $3::bigint, "
                         "trusted_address = $4::bytea WHERE id = $1::bigint"};
const Query kKeyOwner{"key_owner",
                      "SELECT m.id, m.key_used, p.group_id, g.name, p.after_message, p.asked_count, p.asked_id, "
                      "p.next_count, p.next_id, p.last_seen FROM members m "
                      "LEFT JOIN presence p ON p.member_id = m.id LEFT JOIN groups g ON g.id = p.group_id "
                      "WHERE m.member_key = $1::bytea"};
const Query kSetKeyUse{"set_key_use", "UPDATE members SET key_used = $2::bigint WHERE id = $1::bigint"};
const Query kDropKey{"drop_key", "UPDATE members SET member_key = NULL WHERE id = $1::bigint"};
const Query kNick{"nick", "SELECT nick FROM group_members WHERE group_id = $1::bigint AND member_id = $2::bigint"};
const Query kSetNick{"set_nick",
                     "INSERT INTO group_members (group_id, member_id, nick, nick_key) "
                     "VALUES ($1::bigint, $2::bigint, $3::bytea, $4::bytea) "
                     "ON CONFLICT (group_id, member_id) DO UPDATE SET nick = $3::bytea, nick_key = $4::bytea"};
const Query kEnter{"enter",
                   "INSERT INTO presence (member_id, group_id, after_message, last_seen) "
                   "VALUES ($1::bigint, $2::bigint, $3::bigint, $4::bigint) "
                   "ON CONFLICT (member_id) DO UPDATE SET group_id = $2::bigint, after_message = $3::bigint, "
                   "last_seen = $4::bigint, asked_count = 0, asked_id = 0, next_count = 0, next_id = 0"};
const Query kPresence{"presence",
                      "SELECT p.group_id, g.name, p.after_message, p.asked_count, p.asked_id, p.next_count, "
                      "p.next_id, p.last_seen FROM presence p JOIN groups g ON g.id = p.group_id "
                      "WHERE p.member_id = $1::bigint"};
const Query kTouch{"touch", "UPDATE presence SET last_seen = $2::bigint WHERE member_id = $1::bigint"};
const Query kPolled{"polled",
                    "UPDATE presence SET last_seen = $2::bigint, asked_count = $3::bigint, asked_id = $4::bigint, "
                    "next_count = $5::bigint, next_id = $6::bigint WHERE member_id = $1::bigint"};
const Query kLeave{"leave", "DELETE FROM presence WHERE member_id = $1::bigint"};
const Query kNicksSeenSince{"nicks_seen_since",
                            "SELECT gm.nick FROM presence p JOIN group_members gm "
                            "ON gm.group_id = p.group_id AND gm.member_id = p.member_id "
                            "WHERE p.group_id = $1::bigint AND p.last_seen >= $2::bigint ORDER BY gm.nick"};
// Messages of a group get their ids while its row is locked, so they become visible in the
// order of their ids: a poll that saw id n never misses a smaller one committed later.
const Query kLockGroup{"lock_group", "SELECT id FROM groups WHERE id = $1::bigint FOR UPDATE"};
const Query kAddMessage{"add_message",
                        "INSERT INTO messages (group_id, header, text) VALUES ($1::bigint, $2::bytea, $3::bytea) "
                        "RETURNING id"};
const Query kIdBeforeLatest{"id_before_latest",
                            "SELECT id FROM messages WHERE group_id = $1::bigint ORDER BY id DESC LIMIT 1 "
                            "OFFSET $2::bigint"};
const Query kIdAfter{"id_after",
                     "SELECT id FROM messages WHERE group_id = $1::bigint AND id > $2::bigint ORDER BY id LIMIT 1 "
                     "OFFSET $3::bigint"};
const Query kMessagesAfter{"messages_after",
                           "SELECT id, header, text FROM messages WHERE group_id = $1::bigint AND id > $2::bigint "
                           "ORDER BY id LIMIT $3::bigint"};
const Query kLoginFailures{"login_failures",
                           "SELECT count, last_failure, locked_until FROM login_failures WHERE email = $1::bytea"};
const Query kClearFailures{"clear_failures", "DELETE FROM login_failures WHERE email = $1::bytea"};
const Query kSetFailures{"set_failures",
                         "INSERT INTO login_failures (email, count, last_failure, locked_until) "
                         "VALUES ($1::bytea, $2::bigint, $3::bigint, $4::bigint) ON CONFLICT (email) DO UPDATE SET "
                         "count = $2::bigint, last_failure = $3::bigint, locked_until = $4::bigint"};
const Query kForgetFailures{"forget_failures", "DELETE FROM login_failures WHERE last_failure < $1::bigint"};
const Query kSchemaVersion{"schema_version", "SELECT version FROM schema_version"};
const Query kSetSchemaVersion{"set_schema_version", "UPDATE schema_version SET version = $1::bigint"};

// The eight presence columns of a row, from `first` on: group, its name, after, the two cursors,
// last seen.
Presence presenceAt(const pg::Result& r, int first)
{
    return Presence{r.integer(0, first),
                    r.bytes(0, first + 1),
                    r.integer(0, first + 2),
                    {r.integer(0, first + 3), r.integer(0, first + 4)},
                    {r.integer(0, first + 5), r.integer(0, first + 6)},
                    r.integer(0, first + 7)};
}

class PostgresStorage : public Storage {
public:
    PostgresStorage(const std::string& url, int connections) : m_pool(url, connections) { migrate(); }

    bool reachable() override
    {
        try {
            return run(kPing).rows() == 1;
        } catch (const std::exception&) {
            return false;
        }
    }

    bool addMember(const std::string& email, const std::string& salt, const std::string& hash,
                   const std::string& group) override
    {
        run(kAddGroup, Params().add(group));
        return run(kAddMember, Params().add(email).add(salt).add(hash).add(group)).affected() > 0;
    }

    std::optional<Credentials> credentials(const std::string& email) override
    {
        auto r = run(kCredentials, Params().add(email));
        if (r.rows() == 0) return std::nullopt;
        return Credentials{r.integer(0, 0), r.bytes(0, 1), r.bytes(0, 2), r.bytes(0, 3)};
    }

    std::optional<MemberInfo> member(MemberId member) override
    {
        auto r = run(kMember, Params().add(member));
        if (r.rows() == 0) return std::nullopt;
        return MemberInfo{r.bytes(0, 0), r.integer(0, 1), r.bytes(0, 2)};
    }

    void recordLogin(MemberId member, const std::string& keyDigest, const std::string& address, long long now) override
    {
        run(kRecordLogin, Params().add(member).add(keyDigest).add(now).add(address));
    }

    std::optional<KeyOwner> keyOwner(const std::string& keyDigest) override
    {
        auto r = run(kKeyOwner, Params().add(keyDigest));
        if (r.rows() == 0) return std::nullopt;
        KeyOwner owner{r.integer(0, 0), r.integer(0, 1), std::nullopt};
        if (!r.null(0, 2)) owner.presence = presenceAt(r, 2);
        return owner;
    }

    void setKeyUse(MemberId member, long long lastUsed) override
    {
        run(kSetKeyUse, Params().add(member).add(lastUsed));
    }
    void dropKey(MemberId member) override { run(kDropKey, Params().add(member)); }

    std::string nick(GroupId group, MemberId member) override
    {
        auto r = run(kNick, Params().add(group).add(member));
        return r.rows() ? r.bytes(0, 0) : std::string();
    }

    bool setNick(GroupId group, MemberId member, const std::string& nick, const std::string& nickKey) override
    {
        auto r = run(kSetNick, Params().add(group).add(member).add(nick).add(nickKey));
        return !r.refused() && r.affected() > 0;
    }

    void enter(MemberId member, GroupId group, MessageId after, long long now) override
    {
        run(kEnter, Params().add(member).add(group).add(after).add(now));
    }

    std::optional<Presence> presence(MemberId member) override
    {
        auto r = run(kPresence, Params().add(member));
        if (r.rows() == 0) return std::nullopt;
        return presenceAt(r, 0);
    }

    void touch(MemberId member, long long now) override { run(kTouch, Params().add(member).add(now)); }

    void polled(MemberId member, long long now, Cursor asked, Cursor next) override
    {
        run(kPolled, Params().add(member).add(now).add(asked.count).add(asked.id).add(next.count).add(next.id));
    }

    void leave(MemberId member) override { run(kLeave, Params().add(member)); }

    std::vector<std::string> nicksSeenSince(GroupId group, long long since) override
    {
        auto r = run(kNicksSeenSince, Params().add(group).add(since));
        std::vector<std::string> nicks;
        for (int i = 0; i < r.rows(); ++i) nicks.push_back(r.bytes(i, 0));
        return nicks;
    }

    MessageId addMessage(GroupId group, const std::string& header, const std::string& text) override
    {
        auto connection = m_pool.acquire();
        connection->exec("BEGIN");
        try {
            connection->run(kLockGroup, Params().add(group));
            MessageId id = connection->run(kAddMessage, Params().add(group).add(header).add(text)).integer(0, 0);
            connection->exec("COMMIT");
            return id;
        } catch (...) {
            connection->rollback();
            throw;
        }
    }

    MessageId idBeforeLatest(GroupId group, int count) override
    {
        auto r = run(kIdBeforeLatest, Params().add(group).add((long long)count));
        return r.rows() ? r.integer(0, 0) : 0;
    }

    std::optional<MessageId> idAfter(GroupId group, MessageId after, long long skip) override
    {
        auto r = run(kIdAfter, Params().add(group).add(after).add(skip - 1));
        return r.rows() ? std::optional(r.integer(0, 0)) : std::nullopt;
    }

    std::vector<StoredMessage> messagesAfter(GroupId group, MessageId after, int limit) override
    {
        auto r = run(kMessagesAfter, Params().add(group).add(after).add((long long)limit));
        std::vector<StoredMessage> messages;
        for (int i = 0; i < r.rows(); ++i) messages.push_back({r.integer(i, 0), r.bytes(i, 1), r.bytes(i, 2)});
        return messages;
    }

    LoginFailures loginFailures(const std::string& email) override
    {
        auto r = run(kLoginFailures, Params().add(email));
        if (r.rows() == 0) return {};
        return LoginFailures{int(r.integer(0, 0)), r.integer(0, 1), r.integer(0, 2)};
    }

    void setLoginFailures(const std::string& email, const LoginFailures& failures) override
    {
        if (failures.count == 0)
            run(kClearFailures, Params().add(email));
        else
            run(kSetFailures,
                Params().add(email).add((long long)failures.count).add(failures.lastFailure).add(failures.lockedUntil));
    }

    void forgetLoginFailures(long long before) override { run(kForgetFailures, Params().add(before)); }

private:
    pg::Result run(const Query& query, const Params& params = {})
    {
        auto connection = m_pool.acquire();
        return connection->run(query, params);
    }

    void migrate()
    {
        auto connection = m_pool.acquire();
        connection->exec("BEGIN");
        try {
            connection->exec(kMigrationLock);
            connection->exec("CREATE TABLE IF NOT EXISTS schema_version (version BIGINT NOT NULL)");
            auto current = connection->run(kSchemaVersion);
            if (current.rows() == 0) connection->exec("INSERT INTO schema_version VALUES (0)");
            const long long known = (long long)std::size(kMigrations);
            const long long version = current.rows() ? current.integer(0, 0) : 0;
            if (version > known)
                throw std::runtime_error("o banco tem o esquema " + std::to_string(version) +
                                         ", mais novo que o deste servidor (" + std::to_string(known) + ")");
            for (long long next = version; next < known; ++next) connection->exec(kMigrations[next]);
            connection->run(kSetSchemaVersion, Params().add(known));
            connection->exec("COMMIT");
        } catch (...) {
            connection->rollback();
            throw;
        }
    }

    pg::Pool m_pool;
};

}  // namespace

std::unique_ptr<Storage> openPostgresStorage(const std::string& url, int connections)
{
    return std::make_unique<PostgresStorage>(url, connections);
}

bool isPostgresAddress(const std::string& location)
{
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::unique_ptr<Storage> openStorage(const std::string& location, int connections)
{
    return isPostgresAddress(location) ? openPostgresStorage(location, connections) : openSqliteStorage(location);
}

}  // namespace ludomat::server
