// The figure editor's undo: snapshots of the page and the steps between them.

#include "engine/engine.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/drawing/figure_snapshot.h"
#include "studio/editors/drawing/figure_tools.h"
#include "studio/screen_view.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUndoStack>

#include <cstring>

namespace ludomat {

QByteArray packScreen(const Bitmap& screen)
{
    if (screen.isEmpty()) return {};
    const auto* bytes = reinterpret_cast<const uchar*>(screen.scanLine(0));
    // The fastest level: a screen is packed at every step and flat colour packs well anyway.
    return qCompress(bytes, qsizetype(screen.bytesPerLine()) * screen.height(), 1);
}

void unpackScreen(const QByteArray& packed, int width, int height, Bitmap& screen)
{
    const QByteArray bytes = qUncompress(packed);
    if (screen.width() != width || screen.height() != height) screen.resize(width, height);
    if (screen.isEmpty() || bytes.size() != qsizetype(screen.bytesPerLine()) * height) return;
    std::memcpy(screen.scanLine(0), bytes.constData(), size_t(bytes.size()));
}

FigureEdit::FigureEdit(DrawingPage& page, const QString& name, FigureSnapshot before, FigureSnapshot after)
    : QUndoCommand(name), m_page(page), m_before(std::move(before)), m_after(std::move(after))
{
}

void FigureEdit::undo() { m_page.restore(m_before); }

void FigureEdit::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    m_page.restore(m_after);
}

FigureSnapshot DrawingPage::capture() const
{
    FigureSnapshot s;
    s.text = m_text->toPlainText();
    s.kind = m_kind;
    s.drawColour = m_drawColour;
    s.ink = m_inkSwatch;
    s.paper = m_paperSwatch;
    s.marker = int(m_marker);
    s.inkColour = m_engine.textSettings().inkColour;
    s.paperColour = m_engine.textSettings().paperColour;
    const PlotSettings& plot = m_engine.plotSettings();
    s.pixelSize = plot.pixelSize();
    s.plotWidth = plot.plotWidth();
    s.plotHeight = plot.plotHeight();
    s.drawStart = m_drawStart;
    const Bitmap& buffer = m_engine.screen().screenBuffer;
    s.screenWidth = buffer.width();
    s.screenHeight = buffer.height();
    s.screen = packScreen(buffer);
    return s;
}

void DrawingPage::restore(const FigureSnapshot& s)
{
    m_restoring = true;
    if (m_kind != s.kind) {
        m_kind = s.kind;
        setupKindControls();
        rereadFigureFiles();
    }
    m_text->setPlainText(s.text);
    m_text->moveCursor(QTextCursor::End);
    m_drawColour = s.drawColour;
    m_inkSwatch = s.ink;
    m_paperSwatch = s.paper;
    m_marker = Marker(s.marker);
    m_engine.textSettings().inkColour = s.inkColour;
    m_engine.textSettings().paperColour = s.paperColour;
    PlotSettings& plot = m_engine.plotSettings();
    plot.setPixelSize(s.pixelSize);
    plot.setPlotSize(s.plotWidth, s.plotHeight);
    m_drawStart = s.drawStart;
    unpackScreen(s.screen, s.screenWidth, s.screenHeight, m_engine.screen().screenBuffer);
    showScreen();
    showSizes();
    showSwatches();
    m_hex->setText(colourText(m_marker == Marker::Drawing ? m_drawColour
                              : m_marker == Marker::Ink  ? m_inkSwatch
                                                         : m_paperSwatch));
    *m_last = s;
    m_restoring = false;
}

void DrawingPage::beginStep()
{
    // An action made of other actions is one step: only the outermost one records.
    if (m_restoring || m_stepDepth++ > 0) return;
    recordTyping();
    m_before = std::make_unique<FigureSnapshot>(capture());
}

bool DrawingPage::recordTyping()
{
    const QString text = m_text->toPlainText();
    if (text == m_last->text) return false;
    // Typing in `Grp` becomes a step of its own, so undoing a drawing never undoes typing.
    FigureSnapshot typed = *m_last;
    typed.text = text;
    m_undo->push(new FigureEdit(*this, "Editar texto", *m_last, typed));
    *m_last = typed;
    return true;
}

void DrawingPage::commitStep(const QString& name)
{
    if (m_restoring || --m_stepDepth > 0 || !m_before) return;
    FigureSnapshot after = capture();
    if (!(after == *m_before)) m_undo->push(new FigureEdit(*this, name, *m_before, after));
    *m_last = std::move(after);
    m_before.reset();
}

void DrawingPage::undo()
{
    if (m_drawing) return;
    recordTyping();
    m_undo->undo();
}

void DrawingPage::redo()
{
    if (m_drawing) return;
    // After typing there is nothing to redo: the typing becomes a step and ends the redo chain.
    if (recordTyping()) return;
    m_undo->redo();
}

}  // namespace ludomat
