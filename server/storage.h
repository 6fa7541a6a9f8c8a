#pragma once
// Where the server keeps members, groups and chat messages. Handlers talk to this interface
// only, never to SQL, so the database behind it can change without touching a route.
// Every method is safe to call from several request threads at once.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ludomat::server {

using MemberId = long long;

// What log-in needs to check a password.
struct Credentials {
    MemberId id = 0;
    std::string salt;
    std::string hash;
};

// One chat message as the poll sends it: the line made by the server, then the member's text.
struct ChatMessage {
    std::string header;
    std::string text;
};

class Storage {
public:
    virtual ~Storage() = default;

    // A new member in `group` (created when missing); false when the e-mail is taken.
    virtual bool addMember(const std::string& email, const std::string& salt, const std::string& hash,
                           const std::string& group) = 0;
    virtual std::optional<Credentials> credentials(const std::string& email) = 0;
    // Replaces the member's access key; the old one stops working.
    virtual void setMemberKey(MemberId member, const std::string& key) = 0;
    virtual std::optional<MemberId> memberByKey(const std::string& key) = 0;
    // The group of the member with this key; empty when none.
    virtual std::string memberGroup(const std::string& memberKey) = 0;

    // Makes the member a participant of `group` (its own group only) and returns its nick there;
    // empty when refused. The member then receives the `backlog` latest messages and all later ones.
    virtual std::string enterGroup(MemberId member, const std::string& group, int backlog) = 0;
    // The nick in force after asking for `nick` in the member's current group (unique in it);
    // empty when the member is in no group or the nick is taken.
    virtual std::string changeNick(MemberId member, const std::string& nick) = 0;
    // Stores a message in the member's current group; false when it is in none.
    virtual bool addMessage(MemberId member, const std::string& text) = 0;
    // Messages of `group` received by the member after the first `from` since it entered,
    // at most `limit`; nullopt when it is not a participant of that group.
    virtual std::optional<std::vector<ChatMessage>> messages(MemberId member, const std::string& group, long long from,
                                                             int limit) = 0;
    // Nicks of the participants of `group` seen within `timeoutSeconds`; nullopt as above.
    virtual std::optional<std::vector<std::string>> participants(MemberId member, const std::string& group,
                                                                 int timeoutSeconds) = 0;
    virtual void leaveGroup(MemberId member) = 0;
};

// SQLite in WAL mode at `path` (":memory:" for a database that lives as long as the process).
// Throws std::runtime_error with SQLite's message when the file cannot be opened.
std::unique_ptr<Storage> openSqliteStorage(const std::string& path);

}  // namespace ludomat::server
