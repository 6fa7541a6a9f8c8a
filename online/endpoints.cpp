#include "online/endpoints.h"

#include "online/http_client.h"

namespace ludomat {

namespace {

constexpr size_t kMemberKeyLength = 100;

// A GET of the member base whose failure is replaced by `fallback`.
std::string memberText(Http& http, const MemberRequest& request, const std::string& fallback)
{
    Http::Reply reply = http.get(http.memberBase() + request.script, request.query);
    return reply.ok ? reply.body.toStdString() : fallback;
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

bool isAccessRefusal(const std::string& reply)
{
    return trimmed(reply) == kAccessError;
}

bool isSendAccepted(const std::string& reply)
{
    const std::string text = trimmed(reply);
    return text.empty() || text == "Ok";
}

MemberRequest loginRequest(const std::string& email, const std::string& password)
{
    return {"login.php", {{"Email", email}, {"Senha", password}}};
}

MemberRequest signUpRequest(const std::string& email, const std::string& password)
{
    return {"cadastro.php", {{"Email", email}, {"Senha", password}}};
}

MemberRequest groupRequest(const std::string& memberKey)
{
    return {"grups.php", {{"Idk", memberKey}}};
}

MemberRequest enterRequest(const std::string& memberKey, const std::string& group)
{
    return {"entrar.php", {{"Idk", memberKey}, {"Grp", group}}};
}

MemberRequest nickRequest(const std::string& memberKey, const std::string& nick)
{
    return {"mudanik.php", {{"Idk", memberKey}, {"Nik", nick}}};
}

MemberRequest messagesRequest(const std::string& memberKey, int received, const std::string& group)
{
    return {"pegamesgs.php", {{"Idk", memberKey}, {"Ini", std::to_string(received)}, {"Grp", group}}};
}

MemberRequest participantsRequest(const std::string& memberKey, const std::string& group)
{
    return {"pegaparts.php", {{"Idk", memberKey}, {"Grp", group}}};
}

MemberRequest leaveRequest(const std::string& memberKey)
{
    return {"sair.php", {{"Idk", memberKey}}};
}

void askMember(Http& http, const MemberRequest& request, const std::string& fallback, QObject* context,
               std::function<void(const std::string&)> done)
{
    http.getAsync(http.memberBase() + request.script, request.query, context,
                  [fallback, done = std::move(done)](const Http::Reply& reply) {
                      done(reply.ok ? reply.body.toStdString() : fallback);
                  });
}

LoginReply readLoginReply(const std::string& reply)
{
    LoginReply result;
    result.ok = reply.find("Ok") != std::string::npos;
    size_t bar = reply.find('|');
    if (bar == std::string::npos) {
        result.memberKey = reply.substr(0, kMemberKeyLength);
    } else {
        result.status = reply.substr(0, bar);
        result.memberKey = reply.substr(bar + 1, kMemberKeyLength);
    }
    return result;
}

LoginReply login(Http& http, const std::string& email, const std::string& password)
{
    http.prepareRequest();
    return readLoginReply(memberText(http, loginRequest(email, password), kAccessError));
}

std::string signUp(Http& http, const std::string& email, const std::string& password)
{
    http.prepareRequest();
    return memberText(http, signUpRequest(email, password), kAccessError);
}

std::string memberGroup(Http& http, const std::string& memberKey)
{
    return memberText(http, groupRequest(memberKey), {});
}

std::string enterGroup(Http& http, const std::string& memberKey, const std::string& group)
{
    return memberText(http, enterRequest(memberKey, group), {});
}

std::string changeNick(Http& http, const std::string& memberKey, const std::string& nick)
{
    return memberText(http, nickRequest(memberKey, nick), {});
}

std::string fetchMessages(Http& http, const std::string& memberKey, int received, const std::string& group)
{
    return memberText(http, messagesRequest(memberKey, received, group), {});
}

std::string fetchParticipants(Http& http, const std::string& memberKey, const std::string& group)
{
    return memberText(http, participantsRequest(memberKey, group), {});
}

void leaveGroup(Http& http, const std::string& memberKey)
{
    // Sent as the program ends: a server that does not answer soon is not waited for, since it
    // drops a member it no longer hears from within seconds anyway.
    constexpr int kLeaveTimeoutMs = 1000;
    const MemberRequest request = leaveRequest(memberKey);
    http.get(http.memberBase() + request.script, request.query, kLeaveTimeoutMs);
}

}  // namespace ludomat
