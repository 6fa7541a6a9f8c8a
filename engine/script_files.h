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

// The file's lines, or nothing when it cannot be read (the reason goes to `error` when given).
std::optional<std::vector<std::string>> readScriptFile(const std::filesystem::path& path,
                                                       std::string* error = nullptr);

// Writes bytes to a temporary file beside `path` and renames it over the old one, so a crash or a
// full disk never leaves half a file. Returns false with the reason in `error` when it fails.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr, bool ownerOnly = false);

bool writeScriptFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                     std::string* error = nullptr);

}  // namespace ludomat
