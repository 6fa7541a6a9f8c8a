#pragma once
// The script lines a figure is made of, as the figure editor writes them: the header of each
// kind, the drawing lines with their optional colour suffix, and the rules that replace a line
// for the same point or cell instead of adding a second one.

#include "graphics/colour.h"

#include <QString>
#include <QStringList>

namespace ludomat {

// 0 a pixel figure (vector tools), 1 a plot figure (cells of the plot grid).
enum class FigureKind { Pixel = 0, Plot = 1 };

// The seven pixel tools, numbered as their buttons.
enum DrawTool { kToolPixel = 1, kToolLine, kToolPolyline, kToolRectangle, kToolEllipse, kToolFan, kToolFilled };

// Both headers are 61 characters: the title and a run of "=".
QString figureTitleLine(FigureKind kind);
// The title line and the size line ("  defpixel= N" or "  defplot= W,H").
QStringList figureHeader(FigureKind kind, int pixelSize, int plotWidth, int plotHeight);
QString defplotLine(int plotWidth, int plotHeight);
QString defpixelLine(int pixelSize);

// ".pix" or ".grp", and the file list's mask.
QString figureExtension(FigureKind kind);

// Six upper-case hexadecimal digits, red first.
QString colourText(Rgb colour);
// Six hexadecimal digits to a colour; nothing for any other text.
bool parseColourText(const QString& text, Rgb* colour);

// "," + the drawing colour when it differs from the ink colour (compared as colours, so "ff0000"
// and "FF0000" are the same ink), else nothing.
QString colourSuffix(Rgb drawColour, const QString& inkColour);

// Puts `line` in place of the first line for the same point or cell: `key` is the line without
// its suffix ("  pixel 1,2"); a line equal to it, or to it followed by "," and anything, is the
// same point. With none, the line is appended.
void putKeyedLine(QStringList& lines, const QString& key, const QString& line);

// Replaces the first line holding "defplot" by "  defplot= W,H", or appends it.
void putDefplotLine(QStringList& lines, int plotWidth, int plotHeight);

// Whether a name typed into the figure name field may become a file of the game folder: no
// folder separators, no "..", no control characters. Empty is allowed (the file is then named
// only by its extension). On refusal `why` says so in Portuguese.
bool isSafeFigureName(const QString& name, QString* why);

}  // namespace ludomat
