#include "studio/recovery_copy.h"

#include "engine/script_files.h"

#include <QFile>

namespace ludomat {

namespace {

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

}  // namespace

RecoveryCopy::RecoveryCopy(QString programFolder) : m_path(programFolder + kRecoveryFileName) {}

bool RecoveryCopy::save(const QString& scriptPath, const std::vector<std::string>& lines) const
{
    // The first line says whose lines follow; the script may hold any text, the path never a line end.
    std::vector<std::string> all;
    all.reserve(lines.size() + 1);
    all.push_back(scriptPath.toUtf8().toStdString());
    all.insert(all.end(), lines.begin(), lines.end());
    // The script may hold a game's secrets as much as any file the user keeps.
    return writeFileAtomically(toPath(m_path), joinScriptLines(all), nullptr, /*ownerOnly*/ true);
}

std::optional<RecoveredScript> RecoveryCopy::read() const
{
    if (!QFile::exists(m_path)) return std::nullopt;
    auto all = readScriptFile(toPath(m_path));
    if (!all || all->empty() || all->front().empty()) return std::nullopt;
    RecoveredScript copy;
    copy.scriptPath = QString::fromUtf8(all->front().data(), qsizetype(all->front().size()));
    copy.lines.assign(all->begin() + 1, all->end());
    return copy;
}

bool RecoveryCopy::differsFromFile(const RecoveredScript& copy)
{
    auto onDisk = readScriptFile(toPath(copy.scriptPath));
    return !onDisk || *onDisk != copy.lines;
}

void RecoveryCopy::remove() const { QFile::remove(m_path); }

}  // namespace ludomat
