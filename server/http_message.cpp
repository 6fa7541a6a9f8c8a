#include "server/http_message.h"

#include <algorithm>
#include <cctype>

namespace ludomat::server {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parsePairs(const std::string& text, std::vector<std::pair<std::string, std::string>>& params)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find('&', start), text.size());
        std::string pair = text.substr(start, end - start);
        if (!pair.empty()) {
            size_t eq = pair.find('=');
            std::string key, value;
            if (!percentDecode(pair.substr(0, eq), true, key)) return false;
            if (eq != std::string::npos && !percentDecode(pair.substr(eq + 1), true, value)) return false;
            params.emplace_back(std::move(key), std::move(value));
        }
        start = end + 1;
    }
    return true;
}

std::string lower(std::string text)
{
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The value of `name=` in a header such as `form-data; name="Txt"`, quotes removed.
std::string headerParameter(const std::string& header, const std::string& name)
{
    std::string low = lower(header);
    for (size_t at = low.find(name + "="); at != std::string::npos; at = low.find(name + "=", at + 1)) {
        if (at > 0 && low[at - 1] != ' ' && low[at - 1] != ';') continue;
        size_t begin = at + name.size() + 1;
        if (begin < header.size() && header[begin] == '"') {
            size_t end = header.find('"', begin + 1);
            return end == std::string::npos ? std::string() : header.substr(begin + 1, end - begin - 1);
        }
        size_t end = std::min(header.find(';', begin), header.size());
        return header.substr(begin, end - begin);
    }
    return {};
}

bool parseMultipart(const std::string& boundary, const std::string& body, Request& request)
{
    if (boundary.empty() || boundary.size() > 200) return false;
    const std::string delimiter = "--" + boundary;
    size_t at = body.find(delimiter);
    if (at == std::string::npos) return false;
    while (true) {
        at += delimiter.size();
        if (body.compare(at, 2, "--") == 0) return true;  // the closing delimiter
        if (body.compare(at, 2, "\r\n") != 0) return false;
        size_t headersEnd = body.find("\r\n\r\n", at + 2);
        if (headersEnd == std::string::npos) return false;
        std::string name;
        for (size_t line = at + 2; line < headersEnd;) {
            size_t end = std::min(body.find("\r\n", line), headersEnd);
            std::string header = body.substr(line, end - line);
            if (lower(header).starts_with("content-disposition:")) name = headerParameter(header, "name");
            line = end + 2;
        }
        size_t next = body.find("\r\n" + delimiter, headersEnd + 4);
        if (next == std::string::npos) return false;
        if (!name.empty()) request.fields.emplace(name, body.substr(headersEnd + 4, next - headersEnd - 4));
        at = next + 2;
    }
}

}  // namespace

std::string Request::param(const std::string& key) const
{
    for (const auto& [name, value] : params)
        if (name == key) return value;
    return {};
}

std::string Request::field(const std::string& name) const
{
    auto it = fields.find(name);
    return it == fields.end() ? std::string() : it->second;
}

bool percentDecode(const std::string& text, bool plusIsSpace, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
            int low = high >= 0 ? hexValue(text[i + 2]) : -1;
            if (low < 0) return false;
            out += char(high * 16 + low);
            i += 2;
        } else {
            out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
        }
    }
    return true;
}

bool parseTarget(const std::string& target, std::string& path, std::vector<std::pair<std::string, std::string>>& params)
{
    if (target.empty() || target.front() != '/') return false;
    size_t query = target.find('?');
    if (!percentDecode(target.substr(0, query), false, path)) return false;
    return query == std::string::npos || parsePairs(target.substr(query + 1), params);
}

bool parseForm(const std::string& contentType, const std::string& body, Request& request)
{
    std::string type = lower(contentType.substr(0, contentType.find(';')));
    type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
    if (type == "multipart/form-data") return parseMultipart(headerParameter(contentType, "boundary"), body, request);
    if (type == "application/x-www-form-urlencoded") return parsePairs(body, request.params);
    return true;  // any other body is the route's business
}

}  // namespace ludomat::server
