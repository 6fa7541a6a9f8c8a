// The member area: sign-up, log-in, groups, nicks and the group chat. Replies are single-byte
// text in the studio's code page; a request with a key that is not in force gets the refusal
// the studio takes as a failed reply.

#include "server/passwords.h"
#include "server/rate_limiter.h"
#include "server/routes.h"
#include "server/storage.h"

#include <cstdlib>

namespace ludomat::server {

namespace {

const char kAccessError[] = "Erro de acesso";
const char kSeparator[] = "-\xA7-";
// A chat message larger than this is refused whole.
constexpr size_t kMaxMessageBytes = 64 * 1024;
// Messages one poll sends at most; the next poll goes on from there.
constexpr int kMessagesPerPoll = 100;
// Latest messages a member sees on entering, so the chat does not start blank.
constexpr int kBacklog = 20;
// A participant that has not polled for this long has left.
constexpr int kParticipantTimeoutSeconds = 10;
constexpr size_t kMaxEmail = 100;
constexpr size_t kMaxPassword = 64;

RateLimiter& limiter()
{
    static RateLimiter instance;
    return instance;
}

bool hasControl(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// False (after answering 429) when `who` asked too often.
bool admit(const std::string& who, httplib::Response& response)
{
    if (limiter().admit(who)) return true;
    response.status = 429;
    sendText(response, "Muitas requisi\xE7\xF5" "es; espere um pouco.");
    return false;
}

// The member with the request's key; otherwise answers `refusal` and returns nothing.
std::optional<MemberId> member(const Context& context, const httplib::Request& request, httplib::Response& response,
                               const std::string& refusal)
{
    const std::string key = request.get_param_value("Idk");
    if (!admit("k:" + key, response)) return std::nullopt;
    auto id = key.empty() ? std::nullopt : context.storage->memberByKey(key);
    if (!id) sendText(response, refusal);
    return id;
}

void signUp(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    const std::string email = request.get_param_value("Email");
    const std::string password = request.get_param_value("Senha");
    if (!admit("e:" + email, response)) return;
    if (email.empty() || password.empty()) return sendText(response, "Informe o e-mail e a senha.");
    if (email.size() > kMaxEmail || email.find('@') == std::string::npos || hasControl(email))
        return sendText(response, "E-mail inv\xE1lido.");
    if (password.size() > kMaxPassword) return sendText(response, "Senha longa demais.");
    std::string salt = newSalt();
    if (!context.storage->addMember(email, salt, hashPassword(password, salt), context.defaultGroup))
        return sendText(response, "Este e-mail j\xE1 est\xE1 cadastrado.");
    sendText(response, "Cadastro feito! Agora clique em acessar.");
}

void login(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    const std::string email = request.get_param_value("Email");
    if (!admit("e:" + email, response)) return;
    auto stored = context.storage->credentials(email);
    // An unknown e-mail costs the same time as a wrong password.
    std::string hash = hashPassword(request.get_param_value("Senha"), stored ? stored->salt : newSalt());
    if (!stored || !sameHash(hash, stored->hash)) return sendText(response, "E-mail ou senha incorretos.");
    std::string key = newAccessKey();
    context.storage->setMemberKey(stored->id, key);
    sendText(response, "Ok, bem-vindo(a)!|" + key);
}

void group(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    const std::string key = request.get_param_value("Idk");
    if (!admit("k:" + key, response)) return;
    sendText(response, key.empty() ? std::string() : context.storage->memberGroup(key));
}

void enter(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    if (auto id = member(context, request, response, {}))
        sendText(response, context.storage->enterGroup(*id, request.get_param_value("Grp"), kBacklog));
}

void nick(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    if (auto id = member(context, request, response, {})) {
        std::string wanted = request.get_param_value("Nik");
        sendText(response, hasControl(wanted) ? std::string() : context.storage->changeNick(*id, wanted));
    }
}

// The text stored for a chat message: a listing keeps its lines between "lst" and the last
// "-§-"; any other text becomes one line, since a text record has exactly one.
std::string chatText(const std::string& sent)
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

void send(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    auto id = member(context, request, response, kAccessError);
    if (!id) return;
    std::string sent = request.has_file("Txt") ? request.get_file_value("Txt").content : request.get_param_value("Txt");
    if (sent.size() > kMaxMessageBytes) {
        response.status = 413;
        return sendText(response, "Mensagem grande demais (m\xE1ximo 64 KiB).");
    }
    std::string text = chatText(sent);
    if (text.empty()) return sendText(response, "Mensagem vazia.");
    sendText(response, context.storage->addMessage(*id, text) ? "Ok" : kAccessError);
}

void messages(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    auto id = member(context, request, response, kAccessError);
    if (!id) return;
    long long from = std::strtoll(request.get_param_value("Ini").c_str(), nullptr, 10);
    auto list = context.storage->messages(*id, request.get_param_value("Grp"), from < 0 ? 0 : from, kMessagesPerPoll);
    if (!list) return sendText(response, kAccessError);
    std::string body = "Ok\r\n";
    for (const ChatMessage& message : *list) body += message.header + "\r\n" + message.text + "\r\n\r\n";
    sendText(response, body);
}

void participants(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    auto id = member(context, request, response, kAccessError);
    if (!id) return;
    auto nicks = context.storage->participants(*id, request.get_param_value("Grp"), kParticipantTimeoutSeconds);
    if (!nicks) return sendText(response, kAccessError);
    std::string body = "Ok\r\n";
    for (const std::string& nick : *nicks) body += nick + "\r\n";
    sendText(response, body);
}

void leave(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    if (auto id = member(context, request, response, {})) {
        context.storage->leaveGroup(*id);
        sendText(response, "Ok");
    }
}

}  // namespace

std::vector<Route> memberRoutes()
{
    return {
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
