#pragma once
// What one undo step of the figure editor puts back: the figure text, the kind, the swatches
// and the colours and sizes they set, and the drawing on the screen buffer (compressed: a drawing
// is mostly flat colour, so a screen takes a few kilobytes instead of 1.2 MB).

#include "graphics/bitmap.h"
#include "studio/editors/drawing/figure_lines.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QUndoCommand>

#include <string>

namespace ludomat {

class DrawingPage;

struct FigureSnapshot {
    QString text;
    FigureKind kind = FigureKind::Pixel;
    Rgb drawColour = 0, ink = 0, paper = 0;
    int marker = 0;
    std::string inkColour, paperColour;
    int pixelSize = 1, plotWidth = 5, plotHeight = 5;
    QPoint drawStart;
    int screenWidth = 0, screenHeight = 0;
    QByteArray screen;

    bool operator==(const FigureSnapshot&) const = default;
};

QByteArray packScreen(const Bitmap& screen);
// Puts the packed pixels back; a buffer of another size takes the snapshot's size first.
void unpackScreen(const QByteArray& packed, int width, int height, Bitmap& screen);

// One step on the page's undo stack: the state before and after a finished edit.
class FigureEdit : public QUndoCommand {
public:
    FigureEdit(DrawingPage& page, const QString& name, FigureSnapshot before, FigureSnapshot after);
    void undo() override;
    void redo() override;

private:
    DrawingPage& m_page;
    FigureSnapshot m_before, m_after;
    // The edit is already on the page when pushed.
    bool m_done = true;
};

}  // namespace ludomat
