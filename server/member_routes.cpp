// The member area's routes: sign-up, log-in, groups, nicks and the group chat. Replies are
// single-byte text in the studio's code page; a request with a key that is not in force gets
// the refusal the studio takes as a failed reply. The rules themselves are in member_area.h.

#include "server/member_area.h"
#include "server/rate_limiter.h"
#include "server/routes.h"

#include <cstdlib>

namespace ludomat::server {

namespace {

const char kAccessError[] = "Erro de acesso";
// A chat message larger than this is refused whole.
constexpr size_t kMaxMessageBytes = 64 * 1024;

// False (after answering 429) when `who` asked too often.
bool admit(const Context& context, const std::string& who, Response& response)
{
    if (!context.limiter || context.limiter->admit(who)) return true;
    response.status = 429;
    sendText(response,
             "Muitas requisi\xE7\xF5"
             "es; espere um pouco.");
    return false;
}

// The member with the request's key; otherwise answers `refusal` and returns nothing.
std::optional<KeyOwner> member(const Context& context, const Request& request, Response& response,
                               const std::string& refusal)
{
    const std::string key = request.param("Idk");
    if (!admit(context, "k:" + key, response)) return std::nullopt;
    auto owner = context.members->ownerOfKey(key);
    if (!owner) sendText(response, refusal);
    return owner;
}

void signUp(const Context& context, const Request& request, Response& response)
{
    if (!admit(context, "a:" + request.remoteAddress, response)) return;
    sendText(response, context.members->signUp(request.param("Email"), request.param("Senha")));
}

void login(const Context& context, const Request& request, Response& response)
{
    if (!admit(context, "a:" + request.remoteAddress, response)) return;
    LoginReply reply = context.members->login(request.param("Email"), request.param("Senha"), request.remoteAddress);
    sendText(response, reply.text);
    response.delay = reply.delay;
}

void group(const Context& context, const Request& request, Response& response)
{
    const std::string key = request.param("Idk");
    if (!admit(context, "k:" + key, response)) return;
    sendText(response, context.members->groupOf(key));
}

void enter(const Context& context, const Request& request, Response& response)
{
    if (auto owner = member(context, request, response, {}))
        sendText(response, context.members->enter(owner->member, request.param("Grp")));
}

void nick(const Context& context, const Request& request, Response& response)
{
    if (auto owner = member(context, request, response, {}))
        sendText(response, context.members->changeNick(*owner, request.param("Nik")));
}

void send(const Context& context, const Request& request, Response& response)
{
    auto owner = member(context, request, response, kAccessError);
    if (!owner) return;
    std::string sent = request.hasField("Txt") ? request.field("Txt") : request.param("Txt");
    if (sent.size() > kMaxMessageBytes) {
        response.status = 413;
        return sendText(response, "Mensagem grande demais (m\xE1ximo 64 KiB).");
    }
    std::string text = MemberArea::chatText(sent);
    if (text.empty()) return sendText(response, "Mensagem vazia.");
    if (context.members->listingTooLong(text)) {
        response.status = 413;
        return sendText(response, "Listagem longa demais (m\xE1ximo " +
                                      std::to_string(context.members->maxListingLines()) + " linhas).");
    }
    sendText(response, context.members->post(*owner, text) ? "Ok" : kAccessError);
}

void messages(const Context& context, const Request& request, Response& response)
{
    auto owner = member(context, request, response, kAccessError);
    if (!owner) return;
    long long from = std::strtoll(request.param("Ini").c_str(), nullptr, 10);
    auto list = context.members->poll(*owner, request.param("Grp"), from);
    if (!list) return sendText(response, kAccessError);
    std::string body = "Ok\r\n";
    for (const ChatMessage& message : *list) body += message.header + "\r\n" + message.text + "\r\n\r\n";
    sendText(response, body);
}

void participants(const Context& context, const Request& request, Response& response)
{
    auto owner = member(context, request, response, kAccessError);
    if (!owner) return;
    auto nicks = context.members->participants(*owner, request.param("Grp"));
    if (!nicks) return sendText(response, kAccessError);
    std::string body = "Ok\r\n";
    for (const std::string& nick : *nicks) body += nick + "\r\n";
    sendText(response, body);
}

void leave(const Context& context, const Request& request, Response& response)
{
    if (auto owner = member(context, request, response, {})) {
        context.members->leave(owner->member);
        sendText(response, "Ok");
    }
}

// For the balancer's health check: 200 while the database answers and the server is not being
// drained, else 503. Every other route keeps answering while draining.
void health(const Context& context, const Request&, Response& response)
{
    std::error_code error;
    if (!context.drainFile.empty() && std::filesystem::exists(context.drainFile, error)) {
        response.status = 503;
        return sendText(response, "Servidor em manuten\xE7\xE3o; os membros seguem noutro servidor.");
    }
    if (context.members->databaseReachable()) return sendText(response, "Ok");
    response.status = 503;
    sendText(response, kDatabaseUnavailable);
}

}  // namespace

std::vector<Route> memberRoutes()
{
    return {
        {"GET", "/healthz", {}, "estado do servidor e do banco: Ok ou 503", health},
        {"GET", "/ludomat/vip/login.php", {"Email", "Senha"}, "entrada: Ok|chave", login},
        {"GET", "/ludomat/vip/cadastro.php", {"Email", "Senha"}, "cadastro: mensagem", signUp},
        {"GET", "/ludomat/vip/grups.php", {"Idk"}, "grupo do membro", group},
        {"GET", "/ludomat/vip/entrar.php", {"Idk", "Grp"}, "entrar no grupo: apelido", enter},
        {"GET", "/ludomat/vip/mudanik.php", {"Idk", "Nik"}, "mudar apelido: apelido em vigor", nick},
        {"GET", "/ludomat/vip/pegamesgs.php", {"Idk", "Ini", "Grp"}, "mensagens do grupo", messages},
        {"GET", "/ludomat/vip/pegaparts.php", {"Idk", "Grp"}, "participantes do grupo", participants},
        {"POST", "/ludomat/vip/mandamsg.php", {"Idk"}, "mandar mensagem (campo Txt)", send},
        {"GET", "/ludomat/vip/sair.php", {"Idk"}, "sair do grupo", leave},
    };
}

}  // namespace ludomat::server
