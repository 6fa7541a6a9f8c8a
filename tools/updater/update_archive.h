#pragma once
// Unpacking an update archive safely, and putting its files in place of the program's.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ludomat::updater {

// How much one update may unpack. The programs and their examples come to a few dozen
// megabytes in a few dozen files; an archive far past that is a bomb, not an update.
struct UnpackLimits {
    std::uint64_t maxBytes = 512ull * 1024 * 1024;
    std::size_t maxEntries = 10'000;
};

// Unpacks `archive` (tar, tar.gz, zip...) into the empty folder `staging`. Refuses the whole
// archive (false, with the reason) when any entry has an absolute path, a ".." part or a
// backslash, is anything but a plain file or a folder (links, FIFOs, devices, sockets), or
// when the archive unpacks to more bytes or entries than `limits` allow. Files keep only their
// read, write and run bits: never setuid, setgid or sticky.
bool unpack(const std::filesystem::path& archive, const std::filesystem::path& staging, std::string* reason,
            const UnpackLimits& limits = {});

// Moves the staged files into `programFolder`. Files at the top replace the program's files,
// except "Ludomat.ini" and scripts (".scp") the user already has; inside folders (the user's
// games) only files that do not exist yet are added. Returns the relative paths installed.
std::vector<std::string> install(const std::filesystem::path& staging, const std::filesystem::path& programFolder,
                                 std::string* reason, bool* ok);

}  // namespace ludomat::updater
