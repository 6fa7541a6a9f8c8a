#include "tools/ludomat-export/web_export.h"

#include "studio/capture/capture_names.h"
#include "studio/sharing/game_export.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace ludomat {

namespace {

// The runtime's own files; the fonts are every .ttf of its "fontes" folder.
const char* const kRuntimeFiles[] = {"index.html", "ludomat-web.js", "ludomat-web.wasm", "ludomat-pagina.js"};
// A page should stay quick to fetch; a game near this size does not belong on a web page.
constexpr qint64 kMaxWebGameBytes = 256LL * 1024 * 1024;

bool isInside(const QString& path, const QString& folder)
{
    const QString relative = QDir(folder).relativeFilePath(path);
    return !relative.startsWith("..") && !QDir::isAbsolutePath(relative);
}

// The game folder's own regular files, as paths relative to it; links and screen captures are left
// out, as in the Linux export.
bool listGameFiles(const QString& gameFolder, QStringList* out, QString* error)
{
    qint64 total = 0;
    QDirIterator it(gameFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink() || !info.isFile() || !isInside(info.canonicalFilePath(), gameFolder)) continue;
        if (info.fileName().endsWith(".part")) continue;
        if (info.path() == gameFolder && isScreenCaptureName(info.fileName())) continue;
        total += info.size();
        if (total > kMaxWebGameBytes) {
            *error = "A pasta do jogo passa de 256 MB: grande demais para uma página.";
            return false;
        }
        out->append(QDir(gameFolder).relativeFilePath(info.filePath()));
    }
    out->sort();
    return true;
}

// The store the page keeps the game's writes in: the folder's name, for people looking at the
// browser's storage, and a digest of name and first script, so two games never share one.
QString storageId(const QString& gameFolder, const QString& script)
{
    QString name = QDir(gameFolder).dirName();
    name.replace(QRegularExpression("[^A-Za-z0-9_-]"), "_");
    const QByteArray digest =
        QCryptographicHash::hash((QDir(gameFolder).dirName() + "/" + script).toUtf8(), QCryptographicHash::Sha256);
    return name.left(40) + "-" + QString::fromLatin1(digest.toHex().left(12));
}

bool copyInto(const QString& source, const QString& target, QString* error)
{
    QDir().mkpath(QFileInfo(target).path());
    if (QFile::copy(source, target)) return true;
    *error = QString("Não foi possível copiar %1 para %2.").arg(source, target);
    return false;
}

}  // namespace

QString defaultWebRuntime()
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& folder : {here + "/ludomat-web", here + "/../share/ludomat/web"}) {
        if (QFileInfo(folder + "/ludomat-web.wasm").isFile()) return QDir(folder).canonicalPath();
    }
    return {};
}

bool exportWebGame(const WebExportRequest& request, QString* error, QStringList* written)
{
    QString scratch;
    if (!error) error = &scratch;
    const QFileInfo game(request.gameFolder);
    if (!game.isDir()) {
        *error = QString("A pasta do jogo %1 não existe.").arg(request.gameFolder);
        return false;
    }
    const QString gameFolder = game.canonicalFilePath();
    const QString output = QFileInfo(request.output).absoluteFilePath();
    if (request.output.isEmpty() || isInside(output, gameFolder)) {
        *error = "O jogo exportado não pode ficar dentro da própria pasta do jogo.";
        return false;
    }
    if (QFileInfo::exists(output) && !QDir(output).isEmpty()) {
        *error = QString("A pasta %1 já existe e não está vazia; escolha outra.").arg(output);
        return false;
    }
    const QString script = request.firstScript.isEmpty() ? defaultFirstScript(gameFolder) : request.firstScript;
    if (script.isEmpty() || script.contains('/') || !QFileInfo(gameFolder + "/" + script).isFile()) {
        *error = script.isEmpty() ? QString("A pasta do jogo não tem nenhum script (.scp).")
                                  : QString("O script %1 não está na pasta do jogo.").arg(script);
        return false;
    }
    const QString runtime = request.runtime.isEmpty() ? defaultWebRuntime() : request.runtime;
    if (runtime.isEmpty() || !QFileInfo(runtime + "/ludomat-web.wasm").isFile()) {
        *error = "Não achei o jogador para o navegador (ludomat-web.wasm) para pôr no jogo exportado.";
        return false;
    }
    QStringList gameFiles;
    if (!listGameFiles(gameFolder, &gameFiles, error)) return false;
    const QStringList fonts = QDir(runtime + "/fontes").entryList({"*.ttf"}, QDir::Files, QDir::Name);

    const QString part = output + ".part";
    QDir(part).removeRecursively();
    QStringList files;
    auto fail = [&] {
        QDir(part).removeRecursively();
        return false;
    };
    for (const char* name : kRuntimeFiles) {
        if (!copyInto(runtime + "/" + name, part + "/" + name, error)) return fail();
        files << name;
    }
    for (const QString& font : fonts) {
        if (!copyInto(runtime + "/fontes/" + font, part + "/fontes/" + font, error)) return fail();
        files << "fontes/" + font;
    }
    for (const QString& file : gameFiles) {
        if (!copyInto(gameFolder + "/" + file, part + "/" + kExportGameFolder + "/" + file, error)) return fail();
        files << QString(kExportGameFolder) + "/" + file;
    }
    QJsonObject manifest{{"name", QDir(gameFolder).dirName()},
                         {"id", storageId(gameFolder, script)},
                         {"script", script},
                         {"files", QJsonArray::fromStringList(gameFiles)},
                         {"fonts", QJsonArray::fromStringList(fonts)}};
    QFile json(part + "/jogo.json");
    const QByteArray bytes = QJsonDocument(manifest).toJson();
    if (!json.open(QIODevice::WriteOnly) || json.write(bytes) != bytes.size()) {
        *error = QString("Não foi possível escrever %1.").arg(json.fileName());
        return fail();
    }
    json.close();
    files << "jogo.json";
    QDir().rmdir(output);  // an empty folder the user chose is replaced
    if (!QDir().rename(part, output)) {
        *error = QString("Não foi possível criar a pasta %1.").arg(output);
        return fail();
    }
    if (written) *written = files;
    return true;
}

}  // namespace ludomat
