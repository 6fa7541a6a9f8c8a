#include "studio/files/recovery_copy.h"

#include "engine/script_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ludomat {

namespace {

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

QString userDataFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? folder : folder + "/";
}

std::optional<RecoveredScript> readCopy(const QString& path)
{
    if (path.isEmpty() || !QFile::exists(path)) return std::nullopt;
    auto all = readScriptFile(toPath(path));
    if (!all || all->empty() || all->front().empty()) return std::nullopt;
    RecoveredScript copy;
    copy.scriptPath = QString::fromUtf8(all->front().data(), qsizetype(all->front().size()));
    copy.lines.assign(all->begin() + 1, all->end());
    return copy;
}

}  // namespace

RecoveryCopy::RecoveryCopy(QString programFolder, QString spareFolder) : m_path(programFolder + kRecoveryFileName)
{
    if (spareFolder.isEmpty()) spareFolder = userDataFolder();
    if (!spareFolder.isEmpty()) m_sparePath = spareFolder + kRecoveryFileName;
    if (m_sparePath == m_path) m_sparePath.clear();
}

QString RecoveryCopy::save(const QString& scriptPath, const std::vector<std::string>& lines) const
{
    // The first line says whose lines follow; the script may hold any text, the path never a line end.
    std::vector<std::string> all;
    all.reserve(lines.size() + 1);
    all.push_back(scriptPath.toUtf8().toStdString());
    all.insert(all.end(), lines.begin(), lines.end());
    std::string bytes = joinScriptLines(all);
    // The script may hold a game's secrets as much as any file the user keeps.
    if (writeFileAtomically(toPath(m_path), bytes, nullptr, /*ownerOnly*/ true)) return m_path;
    if (m_sparePath.isEmpty()) return {};
    QDir().mkpath(QFileInfo(m_sparePath).absolutePath());
    if (writeFileAtomically(toPath(m_sparePath), bytes, nullptr, /*ownerOnly*/ true)) return m_sparePath;
    return {};
}

std::optional<RecoveredScript> RecoveryCopy::read() const
{
    if (auto copy = readCopy(m_path)) return copy;
    return readCopy(m_sparePath);
}

bool RecoveryCopy::differsFromFile(const RecoveredScript& copy)
{
    auto onDisk = readScriptFile(toPath(copy.scriptPath));
    return !onDisk || *onDisk != copy.lines;
}

void RecoveryCopy::remove() const
{
    QFile::remove(m_path);
    if (!m_sparePath.isEmpty()) QFile::remove(m_sparePath);
}

}  // namespace ludomat
