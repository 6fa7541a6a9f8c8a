#pragma once
// The member area's rules, above the storage: who may sign up and log in, how long a key lives,
// nicks, the line that heads each chat message, what a listing may hold, and how polls page
// through a group's messages. Routes turn requests into these calls; the storage only keeps
// records, so any engine behind it gets the same rules.

#include "server/recent_nicks.h"
#include "server/storage.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ludomat::server {

struct MemberAreaSettings {
    std::string defaultGroup = "Turma";  // the group a new member joins
    size_t minPasswordLength = 8;
    long long keyIdleSeconds = 7 * 24 * 3600;  // a key not used for this long stops working
    // Lines a listing may carry: every studio in the chat draws what it receives.
    size_t maxListingLines = 1000;
};

// One chat message as the poll sends it: the line made by the server, then the member's text.
struct ChatMessage {
    std::string header;
    std::string text;
};

struct LoginReply {
    std::string text;                    // "Ok, bem-vindo(a)!|KEY" or why not
    std::chrono::milliseconds delay{0};  // how long to hold the reply back
};

class MemberArea {
public:
    using Now = std::function<long long()>;  // seconds since the epoch
    static constexpr size_t kMaxNick = 16;   // the studio's nick field
    static constexpr int kMessagesPerPoll = 100;
    static constexpr int kBacklog = 20;  // latest messages a member sees on entering
    static constexpr int kParticipantTimeoutSeconds = 10;
    // How stale a participant's last-seen time may be: well under the time-out, so polls every
    // 2 s need not each write it.
    static constexpr long long kSeenResolution = 4;
    static constexpr int kFailuresBeforeLock = 3;
    static constexpr long long kMaxLockSeconds = 60;  // an owner is never kept out longer
    // After "Sair" a key lapses this soon unless used again (entering again uses it).
    static constexpr long long kKeyGraceAfterLeaving = 30 * 60;

    MemberArea(Storage& storage, MemberAreaSettings settings, Now now = {});

    // The reply to a sign-up; the same whether or not the e-mail was already registered.
    std::string signUp(const std::string& email, const std::string& password);
    LoginReply login(const std::string& email, const std::string& password, const std::string& address);
    // The member holding `key` while it is in force, with its place in a group's chat.
    std::optional<KeyOwner> ownerOfKey(const std::string& key);
    // The name of the group of the member with `key`; empty when none.
    std::string groupOf(const std::string& key);

    // The member's nick in `group` after entering it; empty when it is not its group.
    std::string enter(MemberId member, const std::string& group);
    // The nick in force after asking for `wanted`; empty when refused.
    std::string changeNick(const KeyOwner& owner, const std::string& wanted);
    // Stores `sent` as a message of the member's group; false when it is in none.
    bool post(const KeyOwner& owner, const std::string& text);
    // The messages after the first `from` the member received since entering; nullopt when it
    // is not in `group`.
    std::optional<std::vector<ChatMessage>> poll(const KeyOwner& owner, const std::string& group, long long from);
    std::optional<std::vector<std::string>> participants(const KeyOwner& owner, const std::string& group);
    void leave(MemberId member);
    bool databaseReachable() { return m_storage.reachable(); }

    // The nick as kept: blanks trimmed, cut to kMaxNick; empty when nothing is left or it has
    // control characters.
    static std::string cleanNick(const std::string& nick);
    // What two nicks must not share in a group: lower case, blanks removed.
    static std::string nickKey(const std::string& nick);
    // The stored text of a sent message: a listing keeps its lines between "lst" and the last
    // "-§-"; anything else becomes one line. Empty when nothing is left.
    static std::string chatText(const std::string& sent);
    // True for a stored listing with more than the settings' listing lines.
    bool listingTooLong(const std::string& text) const;
    size_t maxListingLines() const { return m_settings.maxListingLines; }
    // How long failures number `failures` keep an e-mail locked.
    static long long lockSeconds(int failures);

private:
    std::string firstNick(GroupId group, MemberId member, const std::string& email);
    std::optional<MessageId> startOf(const Presence& presence, long long from);

    Storage& m_storage;
    MemberAreaSettings m_settings;
    Now m_now;
    std::atomic<long long> m_lastPrune{0};
    RecentNicks m_recentNicks;
};

}  // namespace ludomat::server
