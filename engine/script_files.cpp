#include "engine/script_files.h"

#include "engine/error_messages.h"
#include "graphics/cp1252.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace ludomat {

namespace {

// Closes a descriptor when the reading ends, however it ends.
struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

}  // namespace

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

std::optional<std::string> readRegularFile(const std::filesystem::path& path, size_t limit, ReadFailure* failure)
{
    auto fail = [failure](ReadFailure::Problem problem, int code = 0) {
        if (failure) *failure = {problem, code};
        return std::nullopt;
    };
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(ReadFailure::Open, errno);
    FileCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(ReadFailure::Read, errno);
    if (!S_ISREG(info.st_mode)) return fail(ReadFailure::NotRegular);
    if (uint64_t(info.st_size) > limit) return fail(ReadFailure::TooLarge);
    std::string bytes;
    bytes.resize(size_t(info.st_size));
    size_t filled = 0;
    // The file may grow while it is read: read to its end, but never past the limit.
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > limit) return fail(ReadFailure::TooLarge);
            bytes.resize(std::min(limit + 1, std::max<size_t>(bytes.size() * 2, 4096)));
        }
        ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(ReadFailure::Read, errno);
        }
        if (n == 0) break;
        filled += size_t(n);
    }
    if (filled > limit) return fail(ReadFailure::TooLarge);
    bytes.resize(filled);
    return bytes;
}

std::string failureText(const ReadFailure& failure)
{
    switch (failure.problem) {
    case ReadFailure::None: return {};
    case ReadFailure::NotRegular: return utf8ToCp1252("não é um arquivo comum");
    case ReadFailure::TooLarge: return utf8ToCp1252("passa de 16 MiB");
    case ReadFailure::Open:
    case ReadFailure::Read: break;
    }
    return reasonText(failure.errorNumber);
}

std::optional<std::vector<std::string>> readScriptFile(const std::filesystem::path& path, std::string* error)
{
    ReadFailure failure;
    auto bytes = readRegularFile(path, kMaxScriptBytes, &failure);
    if (!bytes) {
        if (error) *error = failureText(failure);
        return std::nullopt;
    }
    return splitScriptText(*bytes);
}

namespace {

// The file a write lands in: a link is followed to its target unless the link is to be replaced.
std::filesystem::path writeTarget(const std::filesystem::path& path, LinkPolicy links)
{
    std::error_code ec;
    if (links == LinkPolicy::ReplaceLink || !std::filesystem::is_symlink(path, ec)) return path;
    std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (!ec) return target;
    // A link to a file not made yet: the file is made where the link points.
    std::filesystem::path pointed = std::filesystem::read_symlink(path, ec);
    if (ec) return path;
    return pointed.is_absolute() ? pointed : path.parent_path() / pointed;
}

void syncFolder(const std::filesystem::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Some file systems cannot sync a folder; the file itself is already on the disk.
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(int fd, std::string_view bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += size_t(n);
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                         bool ownerOnly, LinkPolicy links)
{
    const std::filesystem::path target = writeTarget(path, links);
    // The replaced file's permissions stay; a new file gets the usual ones, less the umask.
    mode_t mode = ownerOnly ? 0600 : 0;
    struct stat old {};
    bool replacing = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (!ownerOnly && replacing) mode = old.st_mode & 07777;
    if (!ownerOnly && !replacing) {
        mode_t mask = ::umask(022);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // A fresh name made exclusively: a link or file planted beside the target is never opened.
    std::string temp = target.string() + ".XXXXXX.tmp~";
    int fd = ::mkostemps(temp.data(), 5, O_CLOEXEC);
    auto fail = [&](int code, bool made) {
        if (error) *error = reasonText(code);
        if (fd >= 0) ::close(fd);
        if (made) ::unlink(temp.c_str());
        return false;
    };
    if (fd < 0) return fail(errno, false);
    if (::fchmod(fd, mode) != 0) return fail(errno, true);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) return fail(errno, true);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno, true);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno, true);
    syncFolder(target.parent_path());
    return true;
}

bool writeScriptFile(const std::filesystem::path& path, const std::vector<std::string>& lines, std::string* error)
{
    return writeFileAtomically(path, joinScriptLines(lines), error);
}

bool ownPrivateFolder(const std::string& folder)
{
    ::mkdir(folder.c_str(), 0700);
    // Another user may have planted the name first, as a folder or a link: only a real folder of
    // our own is used, and it is made private through the opened folder, never through the name.
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool own = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
               ((info.st_mode & 0777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return own;
}

}  // namespace ludomat
