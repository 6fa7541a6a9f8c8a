#include "studio/files/example_games.h"

#include "engine/script_files.h"
#include "studio/files/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace ludomat {

namespace {

constexpr char kCopiedListName[] = "exemplos.lst";

QStringList readCopiedList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// Copies into a temporary sibling first, so a full disk never leaves half a game behind.
bool copyGame(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    const fs::path target = to.toStdString();
    const fs::path staging = target.string() + ".copiando~";
    std::error_code ec;
    fs::remove_all(staging, ec);
    fs::copy(from.toStdString(), staging, fs::copy_options::recursive, ec);
    if (!ec) fs::rename(staging, target, ec);
    if (ec) fs::remove_all(staging, ec);
    return fs::is_directory(target);
}

}  // namespace

QString exampleGamesFolder()
{
    const QString own = QCoreApplication::applicationDirPath();
    const QString folder =
        QDir::cleanPath(runsFromInstallation() ? own + "/../share/ludomat/exemplos" : own + "/exemplos");
    return QFileInfo(folder).isDir() ? folder + '/' : QString();
}

QStringList offerExampleGames(const QString& examplesFolder, const QString& programFolder)
{
    if (examplesFolder.isEmpty() || QDir(examplesFolder) == QDir(programFolder)) return {};
    const QString listPath = QDir(programFolder).filePath(kCopiedListName);
    QStringList known = readCopiedList(listPath);
    QStringList copied;
    const QStringList games = QDir(examplesFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& game : games) {
        if (known.contains(game)) continue;
        const QString target = QDir(programFolder).filePath(game);
        if (!QFileInfo::exists(target) && !copyGame(QDir(examplesFolder).filePath(game), target)) continue;
        known << game;
        if (!QFileInfo(target).isSymLink()) copied << game;
    }
    if (!copied.isEmpty() || known != readCopiedList(listPath))
        writeFileAtomically(listPath.toStdString(), known.join('\n').toStdString() + '\n');
    return copied;
}

}  // namespace ludomat
