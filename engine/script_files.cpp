#include "engine/script_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace ludomat {

std::vector<std::string> splitScriptText(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    // A last line without a line end still counts; a final line end adds no empty line.
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string joinScriptLines(const std::vector<std::string>& lines)
{
    std::string out;
    size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::optional<std::vector<std::string>> readScriptFile(const std::filesystem::path& path, std::string* error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        if (error) *error = std::strerror(EISDIR);
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return splitScriptText(bytes.str());
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                         bool ownerOnly)
{
    std::filesystem::path temp = path;
    temp += ".tmp~";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, ownerOnly ? 0600 : 0644);
    auto fail = [&](int code) {
        if (error) *error = std::strerror(code);
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    if (fd < 0) return fail(errno);
    if (ownerOnly) ::fchmod(fd, 0600);
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += size_t(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        fd = -1;
        return fail(errno);
    }
    fd = -1;
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

bool writeScriptFile(const std::filesystem::path& path, const std::vector<std::string>& lines, std::string* error)
{
    return writeFileAtomically(path, joinScriptLines(lines), error);
}

}  // namespace ludomat
