#include "server/routes.h"

#include "server/storage.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace ludomat::server {

namespace {

namespace fs = std::filesystem;

const char* contentType(const fs::path& file)
{
    std::string ext = file.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".htm" || ext == ".html") return "text/html; charset=windows-1252";
    if (ext == ".png") return "image/png";
    if (ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
    if (ext == ".gif") return "image/gif";
    if (ext == ".bmp") return "image/bmp";
    if (ext == ".txt" || ext == ".scp") return "text/plain; charset=windows-1252";
    return "application/octet-stream";
}

// True when `relative` names something under `base` without leaving it.
bool staysInside(const std::string& relative)
{
    if (relative.empty() || relative.front() == '/' || relative.find('\\') != std::string::npos) return false;
    for (const auto& part : fs::path(relative))
        if (part == ".." || part == ".") return false;
    for (unsigned char c : relative)
        if (c < 0x20) return false;
    return true;
}

}  // namespace

void sendText(Response& response, const std::string& text)
{
    response.body = text;
    response.contentType = "text/plain; charset=windows-1252";
}

void sendContentFile(const Context& context, const std::string& relative, Response& response)
{
    fs::path base = context.root / "ludomat";
    std::error_code error;
    if (!staysInside(relative)) {
        response.status = 404;
        return;
    }
    fs::path file = base / relative;
    // A link inside the content folder may not lead out of it either.
    fs::path real = fs::weakly_canonical(file, error);
    fs::path realBase = fs::weakly_canonical(base, error);
    auto [mismatch, _] = std::mismatch(realBase.begin(), realBase.end(), real.begin(), real.end());
    if (error || mismatch != realBase.end() || !fs::is_regular_file(real, error)) {
        response.status = 404;
        return;
    }
    std::ifstream in(real, std::ios::binary);
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    response.body = std::move(body);
    response.contentType = contentType(real);
}

std::vector<Route> allRoutes()
{
    std::vector<Route> routes;
    for (auto group : {memberRoutes, catalogueRoutes, fileRoutes})
        for (Route& route : group()) routes.push_back(std::move(route));
    return routes;
}

Router::Router(const Context& context) : m_context(context)
{
    for (Route& route : allRoutes()) {
        std::regex pattern(route.pattern);
        m_routes.emplace_back(std::move(route), std::move(pattern));
    }
}

void Router::dispatch(Request& request, Response& response) const
{
    for (const auto& [route, pattern] : m_routes) {
        std::smatch match;
        if (request.method != route.method || !std::regex_match(request.path, match, pattern)) continue;
        request.captures.assign(match.begin(), match.end());
        try {
            route.handler(m_context, request, response);
        } catch (const StorageUnavailable& error) {
            // The client tries again; the storage reconnects by itself when the database is back.
            std::fprintf(stderr, "ludomat-server: banco indisponível em %s: %s\n", request.path.c_str(), error.what());
            response = Response{};
            response.status = 503;
            sendText(response, kDatabaseUnavailable);
        }
        return;
    }
    response.status = 404;
}

}  // namespace ludomat::server
