#pragma once
// "Desenhar na tela": draws a figure's lines on a black screen as a run would, without running
// the script. It knows the drawing, plot and colour words a figure holds and skips the rest.
// It draws through the engine's own canvas and pixel code, so what it shows is what a run of
// the same lines draws.

#include <QString>
#include <QStringList>

namespace ludomat {

class Engine;

struct PreviewOutcome {
    bool completed = true;
    // When a colour is not six hexadecimal digits: the conversion error and its line (0-based).
    QString error;
    int line = -1;
};

// Draws `lines` into the engine's ScreenBuffer and then onto the screen picture. The lines may
// change PixelSize, the plot size, the ink and paper colours and registers, as a run would. On a
// bad colour it stops there and leaves the screen picture as it was after the black fill.
PreviewOutcome previewFigure(Engine& engine, const QStringList& lines);

}  // namespace ludomat
