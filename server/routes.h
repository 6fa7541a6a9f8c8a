#pragma once
// The server's one table of routes: each entry is a method, a path pattern, the query keys the
// studio sends (in its order) and the handler. One file per group fills its part of the table.

#include <httplib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ludomat::server {

class Storage;

// What every handler may use.
struct Context {
    std::filesystem::path root;  // the content folder
    Storage* storage = nullptr;
    std::string defaultGroup = "Turma";  // the group a new member joins
};

using Handler = std::function<void(const Context&, const httplib::Request&, httplib::Response&)>;

struct Route {
    const char* method;  // "GET" or "POST"
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
void installRoutes(httplib::Server& server, const Context& context);

// Replies with the file `relative` under the content folder's "ludomat" folder, or 404 when it
// is not a plain file inside it.
void sendContentFile(const Context& context, const std::string& relative, httplib::Response& response);
// A text reply in the single-byte code page the studio reads.
void sendText(httplib::Response& response, const std::string& text);

}  // namespace ludomat::server
