#include "studio/editors/drawing/figure_lines.h"

namespace ludomat {

namespace {

constexpr int kHeaderLength = 61;

QString headerOf(const QString& title)
{
    return title + QString(kHeaderLength - title.size(), '=');
}

}  // namespace

QString figureTitleLine(FigureKind kind)
{
    return headerOf(kind == FigureKind::Pixel ? "//=== Dodiroz III " : "//=== Bitmap ");
}

QString defpixelLine(int pixelSize)
{
    return QString("  defpixel= %1").arg(pixelSize);
}

QString defplotLine(int plotWidth, int plotHeight)
{
    return QString("  defplot= %1,%2").arg(plotWidth).arg(plotHeight);
}

QStringList figureHeader(FigureKind kind, int pixelSize, int plotWidth, int plotHeight)
{
    return {figureTitleLine(kind),
            kind == FigureKind::Pixel ? defpixelLine(pixelSize) : defplotLine(plotWidth, plotHeight)};
}

QString figureExtension(FigureKind kind)
{
    return kind == FigureKind::Pixel ? ".pix" : ".grp";
}

QString colourText(Rgb colour)
{
    return QString("%1").arg(colour & 0xFFFFFFu, 6, 16, QChar('0')).toUpper();
}

bool parseColourText(const QString& text, Rgb* colour)
{
    if (text.size() != 6) return false;
    bool ok = false;
    uint value = text.toUInt(&ok, 16);
    // toUInt accepts a sign or "0x"; six digits with neither are what a colour is.
    for (QChar c : text)
        if (!isxdigit(c.toLatin1())) return false;
    if (!ok) return false;
    *colour = Rgb(value);
    return true;
}

QString colourSuffix(Rgb drawColour, const QString& inkColour)
{
    Rgb ink = 0;
    if (parseColourText(inkColour, &ink) && ink == (drawColour & 0xFFFFFFu)) return {};
    return "," + colourText(drawColour);
}

void putKeyedLine(QStringList& lines, const QString& key, const QString& line)
{
    const QString withSuffix = key + ",";
    for (QString& existing : lines) {
        if (existing == key || existing.startsWith(withSuffix)) {
            existing = line;
            return;
        }
    }
    lines.append(line);
}

void putDefplotLine(QStringList& lines, int plotWidth, int plotHeight)
{
    for (QString& existing : lines) {
        if (existing.contains("defplot")) {
            existing = defplotLine(plotWidth, plotHeight);
            return;
        }
    }
    lines.append(defplotLine(plotWidth, plotHeight));
}

bool isSafeFigureName(const QString& name, QString* why)
{
    QString problem;
    if (name.contains('/') || name.contains('\\'))
        problem = "não pode conter / nem \\";
    else if (name.contains(".."))
        problem = "não pode conter ..";
    else
        for (QChar c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) problem = "não pode conter caracteres de controle";
    if (problem.isEmpty()) return true;
    if (why) *why = QString("Nome de figura inválido \"%1\": %2.").arg(name, problem);
    return false;
}

}  // namespace ludomat
