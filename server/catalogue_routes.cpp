// The script catalogue: the list of its pictures and scripts.

#include "server/routes.h"

#include <algorithm>

namespace ludomat::server {

namespace {

namespace fs = std::filesystem;

bool isCatalogueFile(const fs::path& file)
{
    static const char* const kExtensions[] = {".scp", ".png", ".jpg", ".bmp", ".gif"};
    std::string ext = file.extension().string();
    return std::find_if(std::begin(kExtensions), std::end(kExtensions),
                        [&](const char* known) { return ext == known; }) != std::end(kExtensions);
}

// "Ok", then every picture and script of the catalogue folder, one name a line.
void listGames(const Context& context, const Request&, Response& response)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(context.root / "ludomat" / "scripts", error))
        if (entry.is_regular_file(error) && isCatalogueFile(entry.path()))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string body = "Ok\r\n";
    for (const std::string& name : names) body += name + "\r\n";
    sendText(response, body);
}

}  // namespace

std::vector<Route> catalogueRoutes()
{
    return {
        {"GET", "/ludomat/brelk/listajogos.php", {}, "lista do catálogo: Ok e um nome de arquivo por linha", listGames},
    };
}

}  // namespace ludomat::server
