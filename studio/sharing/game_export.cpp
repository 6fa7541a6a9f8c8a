#include "studio/sharing/game_export.h"

#include "studio/capture/capture_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <vector>

namespace ludomat {

namespace {

// A game is scripts and pictures; anything near this size is not a game folder at all.
constexpr qint64 kMaxExportBytes = 2LL * 1024 * 1024 * 1024;

struct ExportFile {
    QString inside;  // path inside the export
    QString source;  // file to copy, or empty when `bytes` holds the content
    QByteArray bytes;
    bool executable = false;
};

bool isInside(const QString& path, const QString& folder)
{
    QString relative = QDir(folder).relativeFilePath(path);
    return !relative.startsWith("..") && !QDir::isAbsolutePath(relative);
}

QString gameName(const QString& gameFolder)
{
    QString name = QDir(gameFolder).dirName();
    // The name goes into a launcher file: one line, no control characters.
    name.remove(QRegularExpression("[\\x00-\\x1f]"));
    return name.isEmpty() ? QString("Jogo") : name;
}

// Only regular files the game folder itself holds: links are skipped, wherever they point.
bool gameFiles(const QString& gameFolder, std::vector<ExportFile>& out, QString* error)
{
    qint64 total = 0;
    QDirIterator it(gameFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFileInfo info(it.next());
        if (info.isSymLink() || !info.isFile()) continue;
        // Symbolic links to folders are not followed by the iterator, but a folder link on the way
        // would make a file look inside; the canonical path settles it.
        if (!isInside(info.canonicalFilePath(), QFileInfo(gameFolder).canonicalFilePath())) continue;
        if (info.fileName().endsWith(".part")) continue;
        // Photos and GIFs of the screen are the maker's, not part of the game.
        if (info.path() == QFileInfo(gameFolder).filePath() && isScreenCaptureName(info.fileName())) continue;
        total += info.size();
        if (total > kMaxExportBytes) {
            *error = "A pasta do jogo passa de 2 GB: não parece uma pasta de jogo.";
            return false;
        }
        QString relative = QDir(gameFolder).relativeFilePath(info.filePath());
        out.push_back({QString(kExportGameFolder) + "/" + relative, info.filePath(), {}, false});
    }
    return true;
}

// Text for a value of a launcher file: a backslash is written doubled.
QByteArray desktopValue(const QString& text)
{
    return text.toUtf8().replace('\\', "\\\\");
}

// One argument of a launcher's Exec line, in double quotes: inside them `"`, `` ` ``, `$` and `\`
// take a backslash, and "%" is written "%%" so that it is no field code.
QString execArgument(const QString& text)
{
    QString quoted;
    for (QChar c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return '"' + quoted + '"';
}

QString shellQuoted(const QString& text)
{
    return "'" + QString(text).replace("'", "'\\''") + "'";
}

// The launcher starts "jogar.sh" beside it. Launchers that know the file's place give it as %k;
// those that do not (gio launch, some menus) leave it empty, and then the place the game was
// exported to is tried, when it is known.
QByteArray launcher(const QString& name, const QString& exportedTo)
{
    QString script = "d=$(dirname \"$1\"); [ -x \"$d/jogar.sh\" ] || d=" +
                     (exportedTo.isEmpty() ? QString(".") : shellQuoted(exportedTo)) + "; cd \"$d\" && exec ./jogar.sh";
    return "[Desktop Entry]\nType=Application\nName=" + desktopValue(name) +
           "\nComment=Jogo feito no Ludomat\nExec=sh -c " + desktopValue(execArgument(script)) +
           " jogar %k\nTerminal=false\nCategories=Game;\n";
}

QByteArray starter(const QString& script)
{
    return "#!/bin/sh\n# Começa o jogo; Esc sai.\ncd \"$(dirname \"$0\")\" && exec ./ludomat-play jogo " +
           shellQuoted(script).toUtf8() + " \"$@\"\n";
}

bool writeFolder(const QString& output, const std::vector<ExportFile>& files, QString* error)
{
    QString part = output + ".part";
    QDir(part).removeRecursively();
    for (const ExportFile& file : files) {
        QString target = part + "/" + file.inside;
        QDir().mkpath(QFileInfo(target).path());
        bool ok = file.source.isEmpty() ? false : QFile::copy(file.source, target);
        if (file.source.isEmpty()) {
            QFile out(target);
            ok = out.open(QIODevice::WriteOnly) && out.write(file.bytes) == file.bytes.size();
        }
        if (ok && file.executable)
            QFile::setPermissions(target,
                                  QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        if (!ok) {
            QDir(part).removeRecursively();
            *error = QString("Não foi possível escrever %1.").arg(target);
            return false;
        }
    }
    QDir().rmdir(output);  // an empty folder the user chose is replaced
    if (!QDir().rename(part, output)) {
        QDir(part).removeRecursively();
        *error = QString("Não foi possível criar a pasta %1.").arg(output);
        return false;
    }
    return true;
}

bool writeEntry(archive* out, const QString& path, const QByteArray& bytes, bool executable)
{
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), path.toUtf8().constData());
    archive_entry_set_size(entry.get(), bytes.size());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), executable ? 0755 : 0644);
    if (archive_write_header(out, entry.get()) != ARCHIVE_OK) return false;
    return archive_write_data(out, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

bool writeArchive(const QString& output, const QString& root, const std::vector<ExportFile>& files, QString* error)
{
    QString part = output + ".part";
    std::unique_ptr<archive, int (*)(archive*)> out(archive_write_new(), archive_write_free);
    archive_write_add_filter_gzip(out.get());
    archive_write_set_format_pax_restricted(out.get());
    bool ok = archive_write_open_filename(out.get(), QFile::encodeName(part).constData()) == ARCHIVE_OK;
    for (size_t i = 0; ok && i < files.size(); ++i) {
        const ExportFile& file = files[i];
        QByteArray bytes = file.bytes;
        if (!file.source.isEmpty()) {
            QFile in(file.source);
            ok = in.open(QIODevice::ReadOnly);
            if (ok) bytes = in.readAll();
        }
        ok = ok && writeEntry(out.get(), root + "/" + file.inside, bytes, file.executable);
    }
    QString reason =
        ok ? QString() : QString::fromUtf8(archive_error_string(out.get()) ? archive_error_string(out.get()) : "");
    ok = archive_write_close(out.get()) == ARCHIVE_OK && ok;
    if (ok) {
        QFile::remove(output);
        ok = QFile::rename(part, output);
    }
    if (!ok) {
        QFile::remove(part);
        *error = QString("Não foi possível gravar o arquivo %1. %2").arg(output, reason).trimmed();
    }
    return ok;
}

}  // namespace

QString defaultFirstScript(const QString& gameFolder)
{
    QDir folder(gameFolder);
    QStringList scripts = folder.entryList({"*.scp"}, QDir::Files, QDir::Name);
    QString named = folder.dirName() + ".scp";
    if (scripts.contains(named)) return named;
    if (scripts.contains("prog01.scp")) return "prog01.scp";
    return scripts.value(0);
}

bool exportGame(const ExportRequest& request, QString* error, QStringList* written)
{
    QString scratch;
    if (!error) error = &scratch;
    QFileInfo game(request.gameFolder);
    if (!game.isDir()) {
        *error = QString("A pasta do jogo %1 não existe.").arg(request.gameFolder);
        return false;
    }
    QString gameFolder = game.canonicalFilePath();
    QString output = QFileInfo(request.output).absoluteFilePath();
    bool archive = output.endsWith(".tar.gz", Qt::CaseInsensitive);
    if (request.output.isEmpty() || isInside(output, gameFolder) ||
        isInside(QFileInfo(QFileInfo(output).path()).canonicalFilePath() + "/" + QFileInfo(output).fileName(),
                 gameFolder)) {
        *error = "O jogo exportado não pode ficar dentro da própria pasta do jogo.";
        return false;
    }
    if (!archive && QFileInfo::exists(output) && !QDir(output).isEmpty()) {
        *error = QString("A pasta %1 já existe e não está vazia; escolha outra.").arg(output);
        return false;
    }
    QString script = request.firstScript.isEmpty() ? defaultFirstScript(gameFolder) : request.firstScript;
    if (script.isEmpty() || script.contains('/') || !QFileInfo(gameFolder + "/" + script).isFile()) {
        *error = script.isEmpty() ? QString("A pasta do jogo não tem nenhum script (.scp).")
                                  : QString("O script %1 não está na pasta do jogo.").arg(script);
        return false;
    }
    QString player =
        request.player.isEmpty() ? QCoreApplication::applicationDirPath() + "/" + kPlayerName : request.player;
    if (!QFileInfo(player).isFile()) {
        *error = QString("Não achei o programa %1 para pôr no jogo exportado.").arg(player);
        return false;
    }

    std::vector<ExportFile> files;
    if (!gameFiles(gameFolder, files, error)) return false;
    QString name = gameName(gameFolder);
    files.push_back({kPlayerName, player, {}, true});
    // A folder's final place is known; an archive is unpacked wherever its receiver likes.
    QString exportedTo = archive || output.contains(QRegularExpression("[\\x00-\\x1f]")) ? QString() : output;
    files.push_back({name + ".desktop", {}, launcher(name, exportedTo), true});
    files.push_back({"jogar.sh", {}, starter(script), true});
    QString root = QFileInfo(output).fileName();
    if (archive) root.chop(7);
    bool ok = archive ? writeArchive(output, root, files, error) : writeFolder(output, files, error);
    if (ok && written)
        for (const ExportFile& file : files) written->append(file.inside);
    return ok;
}

}  // namespace ludomat
