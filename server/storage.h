#pragma once
// Where the server keeps members, groups, chat messages and log-in failures. It stores and
// finds records only: every rule of the member area (nicks, header lines, paging, keys, locks)
// lives in member_area.h above it, so another database engine implements this and nothing else.
// Every method is safe to call from several threads at once; times are seconds since the epoch.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ludomat::server {

using MemberId = long long;
using GroupId = long long;
using MessageId = long long;  // grows with every message stored, across all groups

struct Credentials {
    MemberId id = 0;
    std::string salt;
    std::string hash;
    std::string trustedAddress;  // where the member last logged in from
};

struct MemberInfo {
    std::string email;
    GroupId group = 0;
    std::string groupName;
};

// "The `count`-th message the member received since entering is `id`" (count 0: none yet).
struct Cursor {
    long long count = 0;
    MessageId id = 0;
    bool operator==(const Cursor&) const = default;
};

// A member inside a group's chat: it receives the messages after `after`. `asked` and `next`
// are where its last poll started and where the next one will start.
struct Presence {
    GroupId group = 0;
    std::string groupName;
    MessageId after = 0;
    Cursor asked;
    Cursor next;
    long long lastSeen = 0;
    bool operator==(const Presence&) const = default;
};

// The member holding a key, when the key was last used, and where the member is in a group's
// chat: read together, so a poll or a post finds both in one query.
struct KeyOwner {
    MemberId member = 0;
    long long lastUsed = 0;
    std::optional<Presence> presence;
};

struct StoredMessage {
    MessageId id = 0;
    std::string header;
    std::string text;
};

struct LoginFailures {
    int count = 0;
    long long lastFailure = 0;
    long long lockedUntil = 0;
};

// The database cannot be reached or is too busy now; the request may be tried again later.
class StorageUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Storage {
public:
    virtual ~Storage() = default;

    // True when the database answers now.
    virtual bool reachable() = 0;

    // A new member of `group` (created when missing); false when the e-mail is taken.
    virtual bool addMember(const std::string& email, const std::string& salt, const std::string& hash,
                           const std::string& group) = 0;
    virtual std::optional<Credentials> credentials(const std::string& email) = 0;
    virtual std::optional<MemberInfo> member(MemberId member) = 0;
    // Replaces the member's key (stored as given, here a digest) and remembers the address.
    virtual void recordLogin(MemberId member, const std::string& keyDigest, const std::string& address,
                             long long now) = 0;
    virtual std::optional<KeyOwner> keyOwner(const std::string& keyDigest) = 0;
    virtual void setKeyUse(MemberId member, long long lastUsed) = 0;
    virtual void dropKey(MemberId member) = 0;

    // The member's nick in `group`; empty when it has none yet.
    virtual std::string nick(GroupId group, MemberId member) = 0;
    // Gives the member `nick` in `group`; false when another member there holds `nickKey`.
    virtual bool setNick(GroupId group, MemberId member, const std::string& nick, const std::string& nickKey) = 0;

    // Puts the member in `group`'s chat receiving what follows `after`, with fresh cursors.
    virtual void enter(MemberId member, GroupId group, MessageId after, long long now) = 0;
    virtual std::optional<Presence> presence(MemberId member) = 0;
    virtual void touch(MemberId member, long long now) = 0;
    // Records a poll: seen now, and the cursors it established.
    virtual void polled(MemberId member, long long now, Cursor asked, Cursor next) = 0;
    virtual void leave(MemberId member) = 0;
    // Nicks of the members in `group`'s chat seen at `since` or later, in byte order.
    virtual std::vector<std::string> nicksSeenSince(GroupId group, long long since) = 0;

    virtual MessageId addMessage(GroupId group, const std::string& header, const std::string& text) = 0;
    // The id just before the `count` latest messages of `group`; 0 when it has no more than that.
    virtual MessageId idBeforeLatest(GroupId group, int count) = 0;
    // The `skip`-th message of `group` after `after` (1 is the next one); nullopt when fewer.
    virtual std::optional<MessageId> idAfter(GroupId group, MessageId after, long long skip) = 0;
    // At most `limit` messages of `group` after `after`, oldest first.
    virtual std::vector<StoredMessage> messagesAfter(GroupId group, MessageId after, int limit) = 0;

    virtual LoginFailures loginFailures(const std::string& email) = 0;
    // Stores the failures of `email`; a count of 0 forgets them.
    virtual void setLoginFailures(const std::string& email, const LoginFailures& failures) = 0;
    // Forgets failures last seen before `time`.
    virtual void forgetLoginFailures(long long before) = 0;
};

// SQLite in WAL mode at `path` (":memory:" for a database that lives as long as the process).
// An older database is upgraded in place. Throws std::runtime_error with SQLite's message when
// the file cannot be opened.
std::unique_ptr<Storage> openSqliteStorage(const std::string& path);

// PostgreSQL at `url` ("postgresql://..."), with at most `connections` connections kept open.
// The schema is made or upgraded on opening. Throws StorageUnavailable when the server cannot be
// reached, std::runtime_error when it refuses.
std::unique_ptr<Storage> openPostgresStorage(const std::string& url, int connections);

// PostgreSQL when `location` is a "postgresql://" or "postgres://" address, else an SQLite file.
std::unique_ptr<Storage> openStorage(const std::string& location, int connections);
bool isPostgresAddress(const std::string& location);

}  // namespace ludomat::server
