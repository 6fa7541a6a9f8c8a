// The member area: log-in, sign-up, groups and chat. Accounts are not open yet, so each route
// answers the failure the studio expects from it.

#include "server/routes.h"
#include "server/storage.h"

namespace ludomat::server {

namespace {

const char kAccessError[] = "Erro de acesso";

Handler answer(std::string text)
{
    return [text](const Context&, const httplib::Request&, httplib::Response& response) { sendText(response, text); };
}

void login(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    auto key = context.storage->memberKey(request.get_param_value("Email"), request.get_param_value("Senha"));
    sendText(response, key ? "Ok|" + *key : std::string("Senha ou e-mail incorretos|"));
}

void group(const Context& context, const httplib::Request& request, httplib::Response& response)
{
    sendText(response, context.storage->memberGroup(request.get_param_value("Idk")));
}

}  // namespace

std::vector<Route> memberRoutes()
{
    return {
        {"GET", "/ludomat/vip/login.php", {"Email", "Senha"}, "entrada: Ok|chave", login},
        {"GET", "/ludomat/vip/cadastro.php", {"Email", "Senha"}, "cadastro", answer("Cadastro fechado por enquanto.")},
        {"GET", "/ludomat/vip/grups.php", {"Idk"}, "grupo do membro", group},
        {"GET", "/ludomat/vip/entrar.php", {"Idk", "Grp"}, "entrar no grupo: apelido", answer("")},
        {"GET", "/ludomat/vip/mudanik.php", {"Idk", "Nik"}, "mudar apelido", answer("")},
        {"GET", "/ludomat/vip/pegamesgs.php", {"Idk", "Ini", "Grp"}, "mensagens do grupo", answer(kAccessError)},
        {"GET", "/ludomat/vip/pegaparts.php", {"Idk", "Grp"}, "participantes do grupo", answer(kAccessError)},
        {"POST", "/ludomat/vip/mandamsg.php", {"Idk"}, "mandar mensagem (campo Txt)", answer(kAccessError)},
        {"GET", "/ludomat/vip/sair.php", {"Idk"}, "sair do grupo", answer("")},
    };
}

}  // namespace ludomat::server
