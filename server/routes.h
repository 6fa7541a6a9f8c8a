#pragma once
// The server's one table of routes: each entry is a method, a path pattern, the query keys the
// studio sends (in its order) and the handler. One file per group fills its part of the table.

#include "server/http_message.h"

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace ludomat::server {

class MemberArea;
class RateLimiter;

// The reply while the database cannot be reached (status 503).
inline const char kDatabaseUnavailable[] = "Banco de dados indispon\xEDvel; tente de novo em instantes.";

// What every handler may use.
struct Context {
    std::filesystem::path root;  // the content folder
    MemberArea* members = nullptr;
    RateLimiter* limiter = nullptr;  // none: the balancer in front limits the rate
    // While this file exists the health check fails, so the balancer sends members elsewhere.
    std::filesystem::path drainFile;
};

using Handler = std::function<void(const Context&, const Request&, Response&)>;

struct Route {
    const char* method;   // "GET" or "POST"
    std::string pattern;  // a regular expression over the decoded path
    std::vector<std::string> queryKeys;
    const char* help;
    Handler handler;
};

std::vector<Route> fileRoutes();
std::vector<Route> catalogueRoutes();
std::vector<Route> memberRoutes();

// Every route of the server, the most specific first.
std::vector<Route> allRoutes();

// Finds the route of a request and runs it; 404 when none matches.
class Router {
public:
    explicit Router(const Context& context);
    void dispatch(Request& request, Response& response) const;

private:
    const Context& m_context;
    std::vector<std::pair<Route, std::regex>> m_routes;
};

// Replies with the file `relative` under the content folder's "ludomat" folder, or 404 when it
// is not a plain file inside it.
void sendContentFile(const Context& context, const std::string& relative, Response& response);
// A text reply in the single-byte code page the studio reads.
void sendText(Response& response, const std::string& text);

}  // namespace ludomat::server
