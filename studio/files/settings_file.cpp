#include "studio/files/settings_file.h"

#include "engine/script_files.h"

#include <QFile>

#include <array>

namespace ludomat {

namespace {

// Folder names are the file system's bytes; the other lines are typed text. Both are UTF-8 here.
QString fromFileLine(const std::string& line) { return QString::fromUtf8(line.data(), qsizetype(line.size())); }

std::string toFileLine(const QString& value)
{
    // A line break inside a value would shift every later line.
    QString single = value;
    single.remove('\r');
    single.remove('\n');
    return single.toUtf8().toStdString();
}

}  // namespace

bool readSettingsFile(const QString& path, StudioSettings& settings)
{
    if (!QFile::exists(path)) return false;
    auto lines = readScriptFile(std::filesystem::path(path.toStdString()));
    if (!lines) return false;
    std::array<QString*, 4> fields{&settings.scriptName, &settings.gameFolder, &settings.memberEmail,
                                   &settings.memberPassword};
    for (size_t i = 0; i < fields.size() && i < lines->size(); ++i) *fields[i] = fromFileLine((*lines)[i]);
    return true;
}

bool writeSettingsFile(const QString& path, const StudioSettings& settings, QString* error)
{
    std::vector<std::string> lines{toFileLine(settings.scriptName), toFileLine(settings.gameFolder),
                                   toFileLine(settings.memberEmail), toFileLine(settings.memberPassword)};
    std::string reason;
    if (writeFileAtomically(std::filesystem::path(path.toStdString()), joinScriptLines(lines), &reason,
                            /*ownerOnly*/ true))
        return true;
    if (error) *error = QString::fromLocal8Bit(reason.c_str());
    return false;
}

}  // namespace ludomat
