#pragma once
// Script files on disk: 8-bit text, lines ended by CR LF when written; CR LF, CR or LF when read.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ludomat {

std::vector<std::string> splitScriptText(std::string_view bytes);
std::string joinScriptLines(const std::vector<std::string>& lines);

// No game needs a script this large; a larger file (or a device under a script's name) is
// refused before it can take the machine's memory.
constexpr size_t kMaxScriptBytes = size_t(16) << 20;

// Why a script file could not be read.
struct ReadFailure {
    enum Problem { None, Open, NotRegular, TooLarge, Read } problem = None;
    int errorNumber = 0;  // for Open and Read
};

// The bytes of a regular file of at most `limit` bytes. It is opened without blocking, so a
// pipe under the name cannot hold the program.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, size_t limit,
                                           ReadFailure* failure = nullptr);
// The failure in a few Portuguese words (Windows-1252).
std::string failureText(const ReadFailure& failure);

// The file's lines, or nothing when it cannot be read (the reason goes to `error` when given).
std::optional<std::vector<std::string>> readScriptFile(const std::filesystem::path& path,
                                                       std::string* error = nullptr);

// What writeFileAtomically does when `path` is a symbolic link.
enum class LinkPolicy {
    WriteTarget,  // the file the link points to is replaced; the link stays
    ReplaceLink,  // the link itself is replaced by the new file; its target is never touched
};

// Writes bytes to a fresh temporary file beside the file and renames it over the old one, so a
// crash or a full disk never leaves half a file. The replaced file's permissions are kept, and
// the folder is synced after the rename. Returns false with the reason (Portuguese,
// Windows-1252) in `error` when it fails; the old file is then untouched.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr, bool ownerOnly = false,
                         LinkPolicy links = LinkPolicy::WriteTarget);

bool writeScriptFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                     std::string* error = nullptr);

// Makes `folder` (mode 0700) unless it exists; true only when it is a real folder, no link, owned
// by this user and private.
bool ownPrivateFolder(const std::string& folder);

}  // namespace ludomat
