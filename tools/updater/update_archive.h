#pragma once
// Unpacking an update archive safely, and putting its files in place of the program's.

#include <filesystem>
#include <string>
#include <vector>

namespace ludomat::updater {

// Unpacks `archive` (tar, tar.gz, zip...) into the empty folder `staging`. Refuses the whole
// archive (false, with the reason) when any entry has an absolute path, a ".." part, a
// backslash, a hard link, or a symbolic link whose target is absolute or climbs with "..".
bool unpack(const std::filesystem::path& archive, const std::filesystem::path& staging, std::string* reason);

// Moves the staged files into `programFolder`. Files at the top replace the program's files,
// except "Ludomat.ini" and scripts (".scp") the user already has; inside folders (the user's
// games) only files that do not exist yet are added. Returns the relative paths installed.
std::vector<std::string> install(const std::filesystem::path& staging, const std::filesystem::path& programFolder,
                                 std::string* reason, bool* ok);

}  // namespace ludomat::updater
