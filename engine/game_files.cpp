// How the engine finds the files a script names: names are checked, reads stay inside the game
// and program folders, and only regular files are opened.

#include "engine/engine.h"
#include "engine/error_messages.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"

#include <system_error>

namespace ludomat {

namespace {

namespace fs = std::filesystem;

bool hasControlCharacter(std::string_view name)
{
    for (char c : name)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) return true;
    return false;
}

// The folder with every link resolved; an empty folder is the current one.
fs::path realFolder(const std::string& folder)
{
    std::error_code ec;
    fs::path real = fs::weakly_canonical(folder.empty() ? fs::current_path(ec) : fs::path(folder), ec);
    return ec ? fs::path() : real;
}

bool isInside(const fs::path& file, const fs::path& folder)
{
    if (folder.empty()) return false;
    auto f = file.begin();
    for (auto d = folder.begin(); d != folder.end(); ++d, ++f) {
        if (d->empty()) continue;  // the empty part a trailing "/" leaves
        if (f == file.end() || *f != *d) return false;
    }
    return true;
}

bool hasHighByte(std::string_view name)
{
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// A script names files in Windows-1252, while the studio and every other program here name them
// in UTF-8: "ação.png" saved from a file manager must be found by the script that says "ação.png".
// A file already on disk under the script's own bytes keeps being used; a new one gets the UTF-8
// name, so that the user sees it spelled right.
fs::path onDiskName(const std::string& folder, std::string_view name)
{
    fs::path bytes(folder + std::string(name));
    if (!hasHighByte(name)) return bytes;
    std::error_code ec;
    if (fs::symlink_status(bytes, ec).type() != fs::file_type::not_found) return bytes;
    return fs::path(folder + cp1252ToUtf8(name));
}

}  // namespace

fs::path Engine::gamePath(std::string_view name) const
{
    // A NUL would cut the name short of its extension; other control characters are no part of
    // any real file name.
    if (hasControlCharacter(name)) raiseError(ErrorMessage::BadFileName, name);
    fs::path path = onDiskName(m_gameFolder, name);
    if (m_confined) {
        // The exported player: no name may climb out of its game folder, nor a link lead out.
        std::error_code ec;
        fs::path real = fs::weakly_canonical(path, ec);
        fs::path folder = realFolder(m_gameFolder);
        if (ec || !isInside(path.lexically_normal(), fs::path(m_gameFolder).lexically_normal()) ||
            !isInside(real, folder))
            raiseError(ErrorMessage::OutsideGameFolder, name);
    }
    return path;
}

fs::path Engine::readablePath(std::string_view name) const
{
    fs::path path = gamePath(name);
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path, ec);
    if (ec || (!isInside(real, realFolder(m_gameFolder)) && !isInside(real, realFolder(m_programFolder))))
        raiseError(ErrorMessage::OutsideFolders, name);
    fs::file_status status = fs::status(real, ec);
    if (!ec && fs::exists(status) && !fs::is_regular_file(status)) raiseError(ErrorMessage::NotARegularFile, name);
    return path;
}

bool Engine::loadScriptFile(std::string_view name)
{
    std::string fileName = std::string(name) + ".scp";
    fs::path path = readablePath(fileName);
    std::error_code ec;
    if (!fs::exists(path, ec)) return false;
    ReadFailure failure;
    auto bytes = readRegularFile(path, kMaxScriptBytes, &failure);
    if (!bytes) {
        if (failure.problem == ReadFailure::NotRegular) raiseError(ErrorMessage::NotARegularFile, fileName);
        if (failure.problem == ReadFailure::TooLarge) raiseError(ErrorMessage::ScriptTooLarge, fileName);
        throwFileOpenError(fileName, failure.errorNumber);
    }
    m_script.setText(*bytes);
    m_host->scriptLoaded(std::string(name));
    // Loading a large script takes time: a time-out or Stop due meanwhile acts now.
    noteSlowWork();
    return true;
}

}  // namespace ludomat
