// What every storage engine of the server must do, as tables of operations and the answers
// expected. Each engine is one row of kEngines; a new engine adds its factory there and must
// pass the same tables.

#include "postgres_cluster.h"
#include "server/storage.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

using namespace ludomat::server;
namespace fs = std::filesystem;

namespace {

struct Engine {
    const char* name;
    // Opens the engine's database kept under `folder`; opening it again finds the same records.
    std::function<std::unique_ptr<Storage>(const fs::path& folder)> open;
};

// Failures name the engine, not its bytes.
void PrintTo(const Engine& engine, std::ostream* out)
{
    *out << engine.name;
}

const Engine kEngines[] = {
    {"sqlite", [](const fs::path& folder) { return openSqliteStorage((folder / "membros.db").string()); }},
    // One database of the test's own cluster per folder; two connections, so the pool lends both.
    {"postgresql",
     [](const fs::path& folder) {
         return openPostgresStorage(ludomat::test::PostgresCluster::shared().databaseFor(folder.string()), 2);
     }},
};

class StorageContract : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("ludomat-contrato-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_folder);
        m_storage = GetParam().open(m_folder);
    }
    void TearDown() override
    {
        m_storage.reset();
        fs::remove_all(m_folder);
    }
    void reopen()
    {
        m_storage.reset();
        m_storage = GetParam().open(m_folder);
    }
    // Adds members 1..n of `group` named m1@x ... and returns their ids.
    std::vector<MemberId> members(int n, const std::string& group)
    {
        std::vector<MemberId> ids;
        for (int i = 0; i < n; ++i) {
            std::string email = "m" + std::to_string(ids.size()) + group + "@x";
            EXPECT_TRUE(m_storage->addMember(email, "sal", "hash", group));
            ids.push_back(m_storage->credentials(email)->id);
        }
        return ids;
    }

    fs::path m_folder;
    std::unique_ptr<Storage> m_storage;
};

// Text in the studio's single-byte code page, with a NUL, goes in and out unchanged.
const std::string kBytes("Jo\xE3o\0\xA7-\xFF", 8);

TEST_P(StorageContract, membersAndKeys)
{
    Storage& s = *m_storage;
    struct Row {
        std::string email, group;
        bool added;
    };
    const Row rows[] = {
        {"ana@x", "Turma", true}, {"bia@x", "Turma", true},      {"ana@x", "Outra", false},
        {"ANA@x", "Outra", true}, {kBytes + "@x", kBytes, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(s.addMember(row.email, "sal-" + row.email, "h" + row.email, row.group), row.added) << row.email;
    EXPECT_FALSE(s.credentials("nina@x"));
    for (const Row& row : rows) {
        if (!row.added) continue;
        auto credentials = s.credentials(row.email);
        ASSERT_TRUE(credentials) << row.email;
        EXPECT_EQ(credentials->salt, "sal-" + row.email);
        EXPECT_EQ(credentials->hash, "h" + row.email);
        EXPECT_EQ(credentials->trustedAddress, "");
        auto info = s.member(credentials->id);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->email, row.email);
        EXPECT_EQ(info->groupName, row.group);
    }
    MemberId ana = s.credentials("ana@x")->id, bia = s.credentials("bia@x")->id;
    EXPECT_EQ(s.member(ana)->group, s.member(bia)->group);
    EXPECT_NE(s.member(ana)->group, s.member(s.credentials("ANA@x")->id)->group);
    EXPECT_FALSE(s.member(ana + bia + 1000));

    // Keys: a new one replaces the old; use is recorded; a dropped key finds nobody.
    s.recordLogin(ana, "k1", "10.0.0.1", 100);
    s.recordLogin(bia, "k2", "10.0.0.2", 100);
    s.recordLogin(ana, "k3", "10.0.0.3", 200);
    struct KeyRow {
        std::string key;
        MemberId owner;
        long long used;
    };
    const KeyRow keys[] = {{"k1", 0, 0}, {"k2", bia, 100}, {"k3", ana, 200}, {"", 0, 0}};
    for (const KeyRow& row : keys) {
        auto owner = s.keyOwner(row.key);
        EXPECT_EQ(owner ? owner->member : 0, row.owner) << row.key;
        if (owner) {
            EXPECT_EQ(owner->lastUsed, row.used) << row.key;
        }
    }
    EXPECT_EQ(s.credentials("ana@x")->trustedAddress, "10.0.0.3");
    s.setKeyUse(ana, 250);
    EXPECT_EQ(s.keyOwner("k3")->lastUsed, 250);
    s.dropKey(ana);
    EXPECT_FALSE(s.keyOwner("k3"));
    EXPECT_TRUE(s.keyOwner("k2"));

    reopen();
    EXPECT_EQ(m_storage->keyOwner("k2")->member, bia);
    EXPECT_EQ(m_storage->credentials(kBytes + "@x")->hash, "h" + kBytes + "@x");
}

TEST_P(StorageContract, nicksAreUniqueByKeyInAGroup)
{
    Storage& s = *m_storage;
    auto turma = members(3, "Turma");
    auto outra = members(1, "Outra");
    GroupId t = s.member(turma[0])->group, o = s.member(outra[0])->group;
    struct Row {
        GroupId group;
        MemberId member;
        std::string nick, key;
        bool accepted;
        std::string nickAfter;
    };
    const Row rows[] = {
        {t, turma[0], "Ana", "ana", true, "Ana"},
        {t, turma[1], "ana", "ana", false, ""},  // same key, other member
        {t, turma[1], "Bia", "bia", true, "Bia"},
        {t, turma[0], "ANA!", "ana!", true, "ANA!"},  // a member renames itself
        {t, turma[2], "Ana", "ana", true, "Ana"},     // the old key is free again
        {t, turma[1], "Ana", "ana", false, "Bia"},
        {t, turma[1], "Bia B", "biab", true, "Bia B"},
        {o, outra[0], "Ana", "ana", true, "Ana"},  // other groups do not clash
        {t, turma[1], kBytes, kBytes, true, kBytes},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(s.setNick(row.group, row.member, row.nick, row.key), row.accepted) << row.nick;
        EXPECT_EQ(s.nick(row.group, row.member), row.nickAfter) << row.nick;
    }
    EXPECT_EQ(s.nick(o, turma[0]), "");
}

TEST_P(StorageContract, presenceCursorsAndParticipants)
{
    Storage& s = *m_storage;
    auto ids = members(3, "Turma");
    GroupId g = s.member(ids[0])->group;
    for (size_t i = 0; i < ids.size(); ++i) s.setNick(g, ids[i], std::string(1, char('c' - i)), std::to_string(i));
    // A request reads the presence together with its key: the same record either way.
    s.recordLogin(ids[0], "k0", "10.0.0.1", 1000);
    auto sameViaKey = [&] { EXPECT_EQ(s.keyOwner("k0")->presence, s.presence(ids[0])); };
    EXPECT_FALSE(s.presence(ids[0]));
    sameViaKey();
    s.enter(ids[0], g, 7, 1000);
    s.enter(ids[1], g, 0, 1000);
    s.enter(ids[2], g, 0, 900);
    Presence p = *s.presence(ids[0]);
    EXPECT_EQ(p.group, g);
    EXPECT_EQ(p.groupName, "Turma");
    EXPECT_EQ(p.after, 7);
    EXPECT_EQ(p.asked.count, 0);
    EXPECT_EQ(p.next.count, 0);
    s.polled(ids[0], 1005, {3, 40}, {5, 52});
    p = *s.presence(ids[0]);
    EXPECT_EQ(p.asked.count, 3);
    EXPECT_EQ(p.asked.id, 40);
    EXPECT_EQ(p.next.count, 5);
    EXPECT_EQ(p.next.id, 52);
    EXPECT_EQ(p.lastSeen, 1005);
    sameViaKey();
    // Entering again starts with fresh cursors.
    s.enter(ids[0], g, 60, 1006);
    EXPECT_EQ(s.presence(ids[0])->next.count, 0);
    EXPECT_EQ(s.presence(ids[0])->after, 60);
    s.touch(ids[1], 1010);
    EXPECT_EQ(s.presence(ids[1])->lastSeen, 1010);

    struct Row {
        long long since;
        std::vector<std::string> nicks;
    };
    const Row rows[] = {{0, {"a", "b", "c"}}, {901, {"b", "c"}}, {1007, {"b"}}, {1011, {}}};
    for (const Row& row : rows) EXPECT_EQ(s.nicksSeenSince(g, row.since), row.nicks) << row.since;
    s.leave(ids[1]);
    EXPECT_FALSE(s.presence(ids[1]));
    s.leave(ids[0]);
    sameViaKey();
    EXPECT_EQ(s.nicksSeenSince(g, 0), (std::vector<std::string>{"a"}));
}

TEST_P(StorageContract, pagesMessagesById)
{
    Storage& s = *m_storage;
    GroupId a = s.member(members(1, "A")[0])->group;
    GroupId b = s.member(members(1, "B")[0])->group;
    EXPECT_EQ(s.idBeforeLatest(a, 0), 0);
    EXPECT_TRUE(s.messagesAfter(a, 0, 10).empty());
    // Two groups interleaved, generated from a seed; ids grow across both.
    std::mt19937 random(21);
    std::vector<MessageId> inA;
    MessageId last = 0;
    for (int i = 0; i < 60; ++i) {
        bool toA = random() % 3 != 0;
        MessageId id = s.addMessage(toA ? a : b, "h" + std::to_string(i), toA ? "a" + std::to_string(i) : kBytes);
        EXPECT_GT(id, last);
        last = id;
        if (toA) inA.push_back(id);
    }
    const long long n = (long long)inA.size();
    struct Skip {
        MessageId after;
        long long skip;
        std::optional<MessageId> id;
    };
    const Skip skips[] = {{0, 1, inA[0]},         {0, n, inA[n - 1]},  {0, n + 1, std::nullopt},
                          {inA[4], 1, inA[5]},    {inA[4], 3, inA[7]}, {inA[n - 1], 1, std::nullopt},
                          {inA[3] - 1, 1, inA[3]}};
    for (const Skip& row : skips) EXPECT_EQ(s.idAfter(a, row.after, row.skip), row.id) << row.after << "+" << row.skip;
    struct Latest {
        int count;
        MessageId id;
    };
    const Latest latest[] = {{0, inA[n - 1]}, {1, inA[n - 2]}, {20, inA[n - 21]}, {int(n) - 1, inA[0]}, {int(n), 0}};
    for (const Latest& row : latest) EXPECT_EQ(s.idBeforeLatest(a, row.count), row.id) << row.count;
    struct Page {
        MessageId after;
        int limit;
        size_t first, count;  // indexes into inA
    };
    const Page pages[] = {{0, 5, 0, 5}, {inA[4], 100, 5, size_t(n - 5)}, {inA[n - 1], 10, 0, 0}, {inA[9], 1, 10, 1}};
    for (const Page& row : pages) {
        auto got = s.messagesAfter(a, row.after, row.limit);
        ASSERT_EQ(got.size(), row.count) << row.after;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].id, inA[row.first + i]);
            EXPECT_EQ(got[i].header.substr(0, 1), "h");
            EXPECT_EQ(got[i].text.substr(0, 1), "a");
        }
    }
    for (const StoredMessage& m : s.messagesAfter(b, 0, 100)) EXPECT_EQ(m.text, kBytes);
}

TEST_P(StorageContract, loginFailures)
{
    Storage& s = *m_storage;
    EXPECT_EQ(s.loginFailures("ana@x").count, 0);
    s.setLoginFailures("ana@x", {3, 100, 104});
    s.setLoginFailures("bia@x", {1, 50, 0});
    LoginFailures f = s.loginFailures("ana@x");
    EXPECT_EQ(f.count, 3);
    EXPECT_EQ(f.lastFailure, 100);
    EXPECT_EQ(f.lockedUntil, 104);
    s.forgetLoginFailures(60);
    EXPECT_EQ(s.loginFailures("bia@x").count, 0);
    EXPECT_EQ(s.loginFailures("ana@x").count, 3);
    s.setLoginFailures("ana@x", {});
    EXPECT_EQ(s.loginFailures("ana@x").count, 0);
}

// A database made before versions were counted is upgraded in place: records kept, keys that
// were stored in the clear dropped, nicks that only differ in case kept apart.
TEST(SqliteUpgrade, keepsTheRecordsOfAFirstVersionDatabase)
{
    const fs::path folder = fs::temp_directory_path() / ("ludomat-v1-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string path = (folder / "antigo.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const char* v1 = R"(
CREATE TABLE groups (id INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE);
CREATE TABLE members (id INTEGER PRIMARY KEY, email BLOB NOT NULL UNIQUE, salt BLOB NOT NULL,
  password_hash BLOB NOT NULL, member_key BLOB UNIQUE, group_id INTEGER REFERENCES groups(id));
CREATE TABLE group_members (group_id INTEGER NOT NULL, member_id INTEGER NOT NULL, nick BLOB NOT NULL,
  PRIMARY KEY (group_id, member_id), UNIQUE (group_id, nick));
CREATE TABLE presence (member_id INTEGER PRIMARY KEY, group_id INTEGER NOT NULL, after_message INTEGER NOT NULL,
  last_seen INTEGER NOT NULL);
CREATE TABLE messages (id INTEGER PRIMARY KEY, group_id INTEGER NOT NULL, header BLOB NOT NULL, text BLOB NOT NULL);
INSERT INTO groups VALUES (1, CAST('Turma' AS BLOB));
INSERT INTO members VALUES (1, CAST('ana@x' AS BLOB), x'00', x'01', CAST('chave-clara' AS BLOB), 1);
INSERT INTO members VALUES (2, CAST('bia@x' AS BLOB), x'00', x'01', NULL, 1);
INSERT INTO members VALUES (3, CAST('caio@x' AS BLOB), x'00', x'01', NULL, 1);
INSERT INTO group_members VALUES (1, 1, CAST('Ana' AS BLOB)), (1, 2, CAST('ana' AS BLOB));
INSERT INTO presence VALUES (1, 1, 0, 100);
INSERT INTO messages (group_id, header, text) VALUES (1, x'68', x'61'), (1, x'68', x'62'), (1, x'68', x'63');
)";
    ASSERT_EQ(sqlite3_exec(db, v1, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    for (int opening = 0; opening < 2; ++opening) {
        auto s = openSqliteStorage(path);
        EXPECT_TRUE(s->credentials("ana@x"));
        EXPECT_FALSE(s->keyOwner("chave-clara"));
        EXPECT_EQ(s->nick(1, 1), "Ana");
        EXPECT_EQ(s->nick(1, 2), "ana");
        EXPECT_FALSE(s->setNick(1, 3, "ANA", "ana"));
        EXPECT_TRUE(s->setNick(1, 3, "Caio", "caio"));
        EXPECT_EQ(s->messagesAfter(1, 0, 10).size(), 3u);
        ASSERT_TRUE(s->presence(1));
        EXPECT_EQ(s->presence(1)->after, 0);
    }
    fs::remove_all(folder);
}

// Servers starting together on an empty PostgreSQL database make the schema once; a database
// from a newer server is refused, never changed.
TEST(PostgresSchema, isMadeOnceAndANewerOneIsRefused)
{
    const std::string url = ludomat::test::PostgresCluster::shared().freshDatabase();
    std::atomic<int> opened{0};
    std::vector<std::thread> servers;
    for (int i = 0; i < 3; ++i)
        servers.emplace_back([&, i] {
            if (openPostgresStorage(url, 1)->addMember("m" + std::to_string(i) + "@x", "s", "h", "Turma")) ++opened;
        });
    for (std::thread& server : servers) server.join();
    EXPECT_EQ(opened, 3);
    std::unique_ptr<PGconn, decltype(&PQfinish)> db(PQconnectdb(url.c_str()), PQfinish);
    auto version = [&](const char* sql) {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(db.get(), sql), PQclear);
        return PQntuples(result.get()) == 1 ? std::string(PQgetvalue(result.get(), 0, 0)) : std::string("?");
    };
    EXPECT_EQ(version("SELECT count(*) FROM schema_version"), "1");
    EXPECT_EQ(version("SELECT version FROM schema_version"), "2");
    version("UPDATE schema_version SET version = 99 RETURNING version");
    EXPECT_THROW(openPostgresStorage(url, 1), std::runtime_error);
    EXPECT_EQ(version("SELECT count(*) FROM members"), "3");
}

// A database of the first PostgreSQL schema is upgraded in place, its records kept.
TEST(PostgresSchema, upgradesAFirstVersionDatabase)
{
    const std::string url = ludomat::test::PostgresCluster::shared().freshDatabase();
    std::unique_ptr<PGconn, decltype(&PQfinish)> db(PQconnectdb(url.c_str()), PQfinish);
    const char* v1 = R"(
CREATE TABLE schema_version (version BIGINT NOT NULL);
INSERT INTO schema_version VALUES (1);
CREATE TABLE groups (id BIGSERIAL PRIMARY KEY, name BYTEA NOT NULL UNIQUE);
CREATE TABLE members (id BIGSERIAL PRIMARY KEY, email BYTEA NOT NULL UNIQUE, salt BYTEA NOT NULL,
  password_hash BYTEA NOT NULL, member_key BYTEA UNIQUE, key_used BIGINT NOT NULL DEFAULT 0,
  trusted_address BYTEA NOT NULL DEFAULT '', group_id BIGINT NOT NULL REFERENCES groups(id));
CREATE TABLE group_members (group_id BIGINT NOT NULL REFERENCES groups(id), member_id BIGINT NOT NULL
  REFERENCES members(id), nick BYTEA NOT NULL, nick_key BYTEA NOT NULL, PRIMARY KEY (group_id, member_id),
  UNIQUE (group_id, nick), UNIQUE (group_id, nick_key));
CREATE TABLE presence (member_id BIGINT PRIMARY KEY REFERENCES members(id), group_id BIGINT NOT NULL
  REFERENCES groups(id), after_message BIGINT NOT NULL, last_seen BIGINT NOT NULL,
  asked_count BIGINT NOT NULL DEFAULT 0, asked_id BIGINT NOT NULL DEFAULT 0,
  next_count BIGINT NOT NULL DEFAULT 0, next_id BIGINT NOT NULL DEFAULT 0);
CREATE INDEX presence_by_group ON presence(group_id, last_seen);
CREATE TABLE messages (id BIGSERIAL PRIMARY KEY, group_id BIGINT NOT NULL REFERENCES groups(id),
  header BYTEA NOT NULL, text BYTEA NOT NULL);
CREATE INDEX messages_by_group ON messages(group_id, id);
CREATE TABLE login_failures (email BYTEA PRIMARY KEY, count BIGINT NOT NULL, last_failure BIGINT NOT NULL,
  locked_until BIGINT NOT NULL);
INSERT INTO groups (name) VALUES ('Turma');
INSERT INTO members (email, salt, password_hash, member_key, group_id) VALUES ('ana@x', 's', 'h', 'k', 1);
INSERT INTO presence (member_id, group_id, after_message, last_seen) VALUES (1, 1, 0, 100);
INSERT INTO messages (group_id, header, text) VALUES (1, 'h', 'a'), (1, 'h', 'b');
)";
    PQclear(PQexec(db.get(), v1));
    for (int opening = 0; opening < 2; ++opening) {
        auto s = openPostgresStorage(url, 1);
        EXPECT_EQ(s->keyOwner("k")->member, 1);
        EXPECT_EQ(s->presence(1)->lastSeen, 100);
        EXPECT_EQ(s->messagesAfter(1, 0, 10).size(), 2u);
    }
    std::unique_ptr<PGresult, decltype(&PQclear)> indexes(
        PQexec(db.get(),
               "SELECT string_agg(indexname, ',' ORDER BY indexname) FROM pg_indexes WHERE tablename = "
               "'presence'"),
        PQclear);
    EXPECT_STREQ(PQgetvalue(indexes.get(), 0, 0), "presence_in_group,presence_pkey");
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageContract, testing::ValuesIn(kEngines),
                         [](const testing::TestParamInfo<Engine>& info) { return std::string(info.param.name); });

}  // namespace
