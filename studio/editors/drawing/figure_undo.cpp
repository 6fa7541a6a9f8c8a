// The figure editor's undo: snapshots of the page and the steps between them.

#include "engine/engine.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/drawing/figure_snapshot.h"
#include "studio/editors/drawing/figure_tools.h"
#include "screen/screen_view.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUndoStack>

#include <algorithm>
#include <cstring>

namespace ludomat {

namespace {

// Packed screens start with their form: runs of equal pixels, or zlib for pictures with few runs.
constexpr char kRuns = 'R';
constexpr char kZlib = 'Z';
// Runs are used while they take at most this share of the raw pixels.
constexpr qsizetype kRunsShare = 4;

// (count, pixel) pairs of 32-bit words; drawings are mostly long runs of paper.
QByteArray packRuns(const std::uint32_t* pixels, qsizetype count, qsizetype limit)
{
    QByteArray out;
    for (qsizetype i = 0; i < count;) {
        qsizetype j = i + 1;
        while (j < count && pixels[j] == pixels[i] && j - i < 0x7FFFFFFF) ++j;
        const std::uint32_t pair[2] = {std::uint32_t(j - i), pixels[i]};
        out.append(reinterpret_cast<const char*>(pair), sizeof pair);
        if (out.size() > limit) return {};
        i = j;
    }
    return out;
}

}  // namespace

QByteArray packScreen(const Bitmap& screen)
{
    if (screen.isEmpty()) return {};
    const qsizetype count = qsizetype(screen.width()) * screen.height();
    const qsizetype raw = count * qsizetype(sizeof(std::uint32_t));
    const QByteArray runs = packRuns(screen.scanLine(0), count, raw / kRunsShare);
    // The runs themselves pack well again (the same few colours over and over), and quickly.
    if (!runs.isEmpty()) return QByteArray(1, kRuns) + qCompress(runs, 1);
    // The fastest level: a screen is packed at every step.
    return QByteArray(1, kZlib) + qCompress(reinterpret_cast<const uchar*>(screen.scanLine(0)), raw, 1);
}

void unpackScreen(const QByteArray& packed, int width, int height, Bitmap& screen)
{
    if (screen.width() != width || screen.height() != height) screen.resize(width, height);
    if (screen.isEmpty() || packed.isEmpty()) return;
    const qsizetype count = qsizetype(width) * height;
    std::uint32_t* to = screen.scanLine(0);
    if (packed[0] == kZlib) {
        const QByteArray bytes = qUncompress(packed.mid(1));
        if (bytes.size() == count * qsizetype(sizeof(std::uint32_t)))
            std::memcpy(to, bytes.constData(), size_t(bytes.size()));
        return;
    }
    const QByteArray runs = qUncompress(packed.mid(1));
    qsizetype at = 0;
    for (qsizetype i = 0; i + 8 <= runs.size(); i += 8) {
        std::uint32_t pair[2];
        std::memcpy(pair, runs.constData() + i, sizeof pair);
        const qsizetype n = std::min<qsizetype>(pair[0], count - at);
        std::fill_n(to + at, n, pair[1]);
        at += n;
    }
}

FigureEdit::FigureEdit(DrawingPage& page, const QString& name, FigureSnapshot before, FigureSnapshot after)
    : QUndoCommand(name), m_page(page), m_before(std::move(before)), m_after(std::move(after))
{
}

void FigureEdit::undo()
{
    m_page.restore(m_before);
}

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
    // Most steps leave the screen as the last step did (a colour, a size, typing): no packing.
    s.screen = m_last && buffer == m_lastScreen ? m_last->screen : packScreen(buffer);
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
                              : m_marker == Marker::Ink   ? m_inkSwatch
                                                          : m_paperSwatch));
    rememberLast(s);
    m_restoring = false;
}

void DrawingPage::beginStep()
{
    // An action made of other actions is one step: only the outermost one records.
    if (m_restoring || m_stepDepth++ > 0) return;
    recordTyping();
    m_before = std::make_unique<FigureSnapshot>(capture());
}

void DrawingPage::rememberLast(FigureSnapshot snapshot)
{
    if (!m_last) m_last = std::make_unique<FigureSnapshot>();
    *m_last = std::move(snapshot);
    m_lastScreen = m_engine.screen().screenBuffer;
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
    rememberLast(std::move(after));
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
