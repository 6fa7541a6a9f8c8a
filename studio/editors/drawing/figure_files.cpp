#include "studio/editors/drawing/figure_files.h"

#include "engine/script_files.h"
#include "graphics/cp1252.h"

#include <QFileInfo>

#include <filesystem>

namespace ludomat {

namespace {

std::filesystem::path toPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

}  // namespace

QString figurePath(const QString& folder, const QString& name, FigureKind kind)
{
    return folder + name + figureExtension(kind);
}

bool saveFigure(const QString& folder, const QString& name, FigureKind kind, const QStringList& lines, QString* error)
{
    if (!isSafeFigureName(name, error)) return false;
    std::vector<std::string> bytes;
    bytes.reserve(size_t(lines.size()));
    for (const QString& line : lines) bytes.push_back(toCp1252(line));
    const QString path = figurePath(folder, name, kind);
    std::string reason;
    if (writeScriptFile(toPath(path), bytes, &reason)) return true;
    if (error)
        *error = QString("Não foi possível gravar a figura %1: %2").arg(QFileInfo(path).fileName(), fromCp1252(reason));
    return false;
}

std::optional<QStringList> loadFigure(const QString& path, QString* error)
{
    std::string reason;
    auto lines = readScriptFile(toPath(path), &reason);
    if (!lines) {
        if (error)
            *error =
                QString("Não foi possível ler a figura %1: %2").arg(QFileInfo(path).fileName(), fromCp1252(reason));
        return std::nullopt;
    }
    QStringList out;
    for (const std::string& line : *lines) out.append(fromCp1252(line));
    return out;
}

}  // namespace ludomat
