#pragma once
// A request as the routes see it, already checked and decoded, and the reply they fill in.
// The HTTP core (http_server.h) makes one from the bytes on the wire.

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ludomat::server {

struct Request {
    std::string method;
    std::string target;                                       // path and query as sent, still encoded
    std::string path;                                         // decoded
    std::vector<std::pair<std::string, std::string>> params;  // query and form, decoded, in order
    std::map<std::string, std::string> fields;                // multipart form fields
    std::vector<std::string> captures;                        // the route pattern's groups, 0 the whole path
    std::string remoteAddress;

    // The first value of `key` in the query or form; empty when absent.
    std::string param(const std::string& key) const;
    bool hasField(const std::string& name) const { return fields.count(name) != 0; }
    std::string field(const std::string& name) const;
};

struct Response {
    int status = 200;
    std::string body;
    std::string contentType;
    std::chrono::milliseconds delay{0};  // held back this long before it is sent
};

// `text` with %XX decoded, and '+' as a space when `plusIsSpace`; false when an escape is broken.
bool percentDecode(const std::string& text, bool plusIsSpace, std::string& out);
// Splits the target into the decoded path and its query's pairs; false when it is malformed.
bool parseTarget(const std::string& target, std::string& path,
                 std::vector<std::pair<std::string, std::string>>& params);
// Adds the fields of a "multipart/form-data" or "application/x-www-form-urlencoded" body of
// content type `contentType`; false when the body does not follow its type.
bool parseForm(const std::string& contentType, const std::string& body, Request& request);

}  // namespace ludomat::server
