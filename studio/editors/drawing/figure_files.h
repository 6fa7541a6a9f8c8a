#pragma once
// Figure files: ".pix" (pixel figures) and ".grp" (plot figures) in the game folder, plain text,
// one figure line per text line. Written whole through the atomic write, read whole; nothing is
// added, checked or dropped on the way.

#include "studio/editors/drawing/figure_lines.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ludomat {

// folder (ending in "/") + name + the kind's extension. The name must have passed
// isSafeFigureName().
QString figurePath(const QString& folder, const QString& name, FigureKind kind);

// Writes the lines, replacing the file. False with a Portuguese message naming the file when the
// name is unsafe or the file cannot be written; nothing is written then.
bool saveFigure(const QString& folder, const QString& name, FigureKind kind, const QStringList& lines, QString* error);

// The file's lines; nothing, with a Portuguese message naming the file, when it cannot be read.
std::optional<QStringList> loadFigure(const QString& path, QString* error);

}  // namespace ludomat
