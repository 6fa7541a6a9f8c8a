// Files of the content folder: the version file and update package, the web menu and help
// pages, the catalogue's scripts and pictures, and the member area's pages and files.

#include "server/routes.h"

namespace ludomat::server {

std::vector<Route> fileRoutes()
{
    auto serve = [](const Context& context, const Request& request, Response& response) {
        sendContentFile(context, request.captures.at(1), response);
    };
    return {
        {"GET", R"(/ludomat/(.+))", {}, "arquivos do produto, catálogo e área de membros", serve},
    };
}

}  // namespace ludomat::server
