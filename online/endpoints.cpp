#include "online/endpoints.h"

#include "online/http_client.h"

namespace ludomat {

namespace {

constexpr size_t kMemberKeyLength = 100;
const std::string kAccessError = "Erro de acesso";

// A GET of the member base whose failure is replaced by `fallback`.
std::string memberText(Http& http, const char* script, const Query& query, const std::string& fallback)
{
    Http::Reply reply = http.get(http.memberBase() + script, query);
    return reply.ok ? reply.body.toStdString() : fallback;
}

}  // namespace

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
    return readLoginReply(memberText(http, "login.php", {{"Email", email}, {"Senha", password}}, kAccessError));
}

std::string signUp(Http& http, const std::string& email, const std::string& password)
{
    http.prepareRequest();
    return memberText(http, "cadastro.php", {{"Email", email}, {"Senha", password}}, kAccessError);
}

std::string memberGroup(Http& http, const std::string& memberKey)
{
    return memberText(http, "grups.php", {{"Idk", memberKey}}, {});
}

std::string enterGroup(Http& http, const std::string& memberKey, const std::string& group)
{
    return memberText(http, "entrar.php", {{"Idk", memberKey}, {"Grp", group}}, {});
}

std::string changeNick(Http& http, const std::string& memberKey, const std::string& nick)
{
    return memberText(http, "mudanik.php", {{"Idk", memberKey}, {"Nik", nick}}, {});
}

std::string fetchMessages(Http& http, const std::string& memberKey, int received, const std::string& group)
{
    return memberText(http, "pegamesgs.php", {{"Idk", memberKey}, {"Ini", std::to_string(received)}, {"Grp", group}}, {});
}

std::string fetchParticipants(Http& http, const std::string& memberKey, const std::string& group)
{
    return memberText(http, "pegaparts.php", {{"Idk", memberKey}, {"Grp", group}}, {});
}

void leaveGroup(Http& http, const std::string& memberKey)
{
    memberText(http, "sair.php", {{"Idk", memberKey}}, {});
}

}  // namespace ludomat
