#include "server/member_area.h"

#include "server/passwords.h"

#include <algorithm>
#include <ctime>

namespace ludomat::server {

namespace {

const char kSeparator[] = "-\xA7-";
constexpr size_t kMaxEmail = 100;
constexpr size_t kMaxPassword = 64;
constexpr long long kKeyUseResolution = 60;
// Failures older than this are forgotten: a member mistyping once a week is never locked.
constexpr long long kFailureMemorySeconds = 15 * 60;

bool hasControl(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; });
}

bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == 0xA0;
}

// "Ana (14:05)": who wrote, and when by the server's clock.
std::string header(const std::string& nick, long long now)
{
    std::time_t t = std::time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M", &local);
    return nick + " (" + clock + ")";
}

std::vector<std::string> splitLines(const std::string& sent)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= sent.size(); ++i) {
        if (i == sent.size() || sent[i] == '\n' || sent[i] == '\r') {
            lines.push_back(sent.substr(start, i - start));
            if (i + 1 < sent.size() && sent[i] == '\r' && sent[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

}  // namespace

MemberArea::MemberArea(Storage& storage, MemberAreaSettings settings, Now now)
    : m_storage(storage),
      m_settings(std::move(settings)),
      m_now(now ? std::move(now) : [] { return (long long)std::time(nullptr); })
{
}

std::string MemberArea::signUp(const std::string& email, const std::string& password)
{
    if (email.empty() || password.empty()) return "Informe o e-mail e a senha.";
    if (email.size() > kMaxEmail || email.find('@') == std::string::npos || hasControl(email))
        return "E-mail inv\xE1lido.";
    if (password.size() > kMaxPassword) return "Senha longa demais.";
    if (password.size() < m_settings.minPasswordLength)
        return "A senha precisa ter pelo menos " + std::to_string(m_settings.minPasswordLength) + " caracteres.";
    std::string salt = newSalt();
    // A taken e-mail gets the same answer, so sign-up does not tell who is registered.
    m_storage.addMember(email, salt, hashPassword(password, salt), m_settings.defaultGroup);
    return "Cadastro feito! Agora clique em acessar.";
}

long long MemberArea::lockSeconds(int failures)
{
    if (failures < kFailuresBeforeLock) return 0;
    return std::min(kMaxLockSeconds, 5LL << std::min(failures - kFailuresBeforeLock, 10));
}

LoginReply MemberArea::login(const std::string& email, const std::string& password, const std::string& address)
{
    const long long now = m_now();
    if (now - m_lastPrune > kFailureMemorySeconds) {
        m_storage.forgetLoginFailures(now - kFailureMemorySeconds);
        m_lastPrune = now;
    }
    auto stored = m_storage.credentials(email);
    LoginFailures failures = m_storage.loginFailures(email);
    if (now - failures.lastFailure > kFailureMemorySeconds) failures = {};
    // The address the owner last came in from is not locked out by someone guessing elsewhere.
    bool trusted = stored && !stored->trustedAddress.empty() && stored->trustedAddress == address;
    if (failures.lockedUntil > now && !trusted)
        return {"Muitas tentativas erradas; tente de novo em " + std::to_string(failures.lockedUntil - now) + " s.",
                std::chrono::milliseconds(500)};
    // An unknown e-mail costs the same time as a wrong password.
    std::string hash = hashPassword(password, stored ? stored->salt : newSalt());
    if (!stored || !sameHash(hash, stored->hash)) {
        ++failures.count;
        failures.lastFailure = now;
        failures.lockedUntil = now + lockSeconds(failures.count);
        m_storage.setLoginFailures(email, failures);
        auto delay = std::chrono::milliseconds(std::min(200 * failures.count, 3000));
        return {"E-mail ou senha incorretos.", delay};
    }
    if (failures.count > 0) m_storage.setLoginFailures(email, {});
    std::string key = newAccessKey();
    m_storage.recordLogin(stored->id, keyDigest(key), address, now);
    return {"Ok, bem-vindo(a)!|" + key, {}};
}

std::optional<KeyOwner> MemberArea::ownerOfKey(const std::string& key)
{
    if (key.empty()) return std::nullopt;
    auto owner = m_storage.keyOwner(keyDigest(key));
    if (!owner) return std::nullopt;
    const long long now = m_now();
    if (now - owner->lastUsed > m_settings.keyIdleSeconds) {
        m_storage.dropKey(owner->member);
        return std::nullopt;
    }
    // Written seldom, so polls do not write it every time, but often enough for a short limit.
    if (now - owner->lastUsed >= std::min(kKeyUseResolution, m_settings.keyIdleSeconds / 4))
        m_storage.setKeyUse(owner->member, now);
    return owner;
}

std::string MemberArea::groupOf(const std::string& key)
{
    auto owner = ownerOfKey(key);
    auto info = owner ? m_storage.member(owner->member) : std::nullopt;
    return info ? info->groupName : std::string();
}

std::string MemberArea::cleanNick(const std::string& nick)
{
    size_t begin = 0, end = nick.size();
    while (begin < end && isBlank(nick[begin])) ++begin;
    while (end > begin && isBlank(nick[end - 1])) --end;
    std::string clean = nick.substr(begin, std::min(end - begin, kMaxNick));
    while (!clean.empty() && isBlank(clean.back())) clean.pop_back();
    return hasControl(clean) ? std::string() : clean;
}

std::string MemberArea::nickKey(const std::string& nick)
{
    std::string key;
    for (unsigned char c : nick) {
        if (isBlank(c)) continue;
        // ASCII and the accented capitals of the studio's code page (but for the sign ×).
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
        key += char(c);
    }
    return key;
}

// The part of the e-mail before "@", made unique in the group with the member's number.
std::string MemberArea::firstNick(GroupId group, MemberId member, const std::string& email)
{
    std::string base = cleanNick(email.substr(0, email.find('@')));
    if (base.empty()) base = "membro";
    for (const std::string& nick : {base, cleanNick(base.substr(0, 10) + std::to_string(member))})
        if (m_storage.setNick(group, member, nick, nickKey(nick))) return nick;
    return {};
}

std::string MemberArea::enter(MemberId member, const std::string& group)
{
    auto info = m_storage.member(member);
    if (!info || info->groupName != group) return {};
    std::string nick = m_storage.nick(info->group, member);
    if (nick.empty()) nick = firstNick(info->group, member, info->email);
    if (nick.empty()) return {};
    m_storage.enter(member, info->group, m_storage.idBeforeLatest(info->group, kBacklog), m_now());
    m_recentNicks.forget();
    return nick;
}

std::string MemberArea::changeNick(const KeyOwner& owner, const std::string& wanted)
{
    const auto& presence = owner.presence;
    std::string nick = cleanNick(wanted);
    if (!presence || nick.empty()) return {};
    if (!m_storage.setNick(presence->group, owner.member, nick, nickKey(nick))) return {};
    m_recentNicks.forget();
    return m_storage.nick(presence->group, owner.member);
}

std::string MemberArea::chatText(const std::string& sent)
{
    std::vector<std::string> lines = splitLines(sent);
    size_t last = lines.size();
    while (last > 1 && lines[last - 1] != kSeparator) --last;
    if (lines.size() > 2 && lines.front() == "lst" && last > 1) {
        std::string text = "lst";
        for (size_t i = 1; i + 1 < last; ++i)
            if (lines[i] != kSeparator) text += "\r\n" + lines[i];
        return text + "\r\n" + kSeparator;
    }
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    // A lone "lst" would open a listing that never ends.
    return text == "lst" ? "lst " : text;
}

bool MemberArea::listingTooLong(const std::string& text) const
{
    if (!text.starts_with("lst\r\n")) return false;
    // "lst", the lines, the separator: the lines are two fewer than the line breaks plus one.
    size_t breaks = size_t(std::count(text.begin(), text.end(), '\n'));
    return breaks > m_settings.maxListingLines + 1;
}

bool MemberArea::post(const KeyOwner& owner, const std::string& text)
{
    const auto& presence = owner.presence;
    if (!presence) return false;
    const long long now = m_now();
    m_storage.addMessage(presence->group, header(m_storage.nick(presence->group, owner.member), now), text);
    m_storage.touch(owner.member, now);
    return true;
}

// The id after which the messages from number `from` on follow. The cursors of the last poll
// answer the usual cases at once; any other number is looked up once from the nearest cursor.
std::optional<MessageId> MemberArea::startOf(const Presence& presence, long long from)
{
    Cursor nearest{0, presence.after};
    for (const Cursor& known : {presence.asked, presence.next}) {
        if (known.count == from && (from == 0 || known.id != 0)) return known.id;
        if (known.id != 0 && known.count < from && known.count > nearest.count) nearest = known;
    }
    if (from == 0) return presence.after;
    return m_storage.idAfter(presence.group, nearest.id, from - nearest.count);
}

std::optional<std::vector<ChatMessage>> MemberArea::poll(const KeyOwner& owner, const std::string& group,
                                                         long long from)
{
    const MemberId member = owner.member;
    const auto& presence = owner.presence;
    if (!presence || presence->groupName != group) return std::nullopt;
    const long long now = m_now();
    std::vector<ChatMessage> result;
    std::optional<MessageId> start = startOf(*presence, std::max(0LL, from));
    if (!start) {  // asked past the end of the chat
        m_storage.touch(member, now);
        return result;
    }
    std::vector<StoredMessage> stored = m_storage.messagesAfter(presence->group, *start, kMessagesPerPoll);
    Cursor asked{std::max(0LL, from), *start};
    Cursor next{asked.count + (long long)stored.size(), stored.empty() ? *start : stored.back().id};
    if (asked != presence->asked || next != presence->next || now - presence->lastSeen >= kSeenResolution)
        m_storage.polled(member, now, asked, next);
    for (StoredMessage& message : stored) result.push_back({std::move(message.header), std::move(message.text)});
    return result;
}

std::optional<std::vector<std::string>> MemberArea::participants(const KeyOwner& owner, const std::string& group)
{
    const MemberId member = owner.member;
    const auto& presence = owner.presence;
    if (!presence || presence->groupName != group) return std::nullopt;
    const long long now = m_now();
    if (now - presence->lastSeen >= kSeenResolution) m_storage.touch(member, now);
    const GroupId id = presence->group;
    return m_recentNicks.get(id, now, [&] { return m_storage.nicksSeenSince(id, now - kParticipantTimeoutSeconds); });
}

void MemberArea::leave(MemberId member)
{
    m_storage.leave(member);
    m_recentNicks.forget();
    if (m_settings.keyIdleSeconds > kKeyGraceAfterLeaving)
        m_storage.setKeyUse(member, m_now() - m_settings.keyIdleSeconds + kKeyGraceAfterLeaving);
}

}  // namespace ludomat::server
