// Mouse gestures on the run-time screen: the seven pixel tools with their rubber bands, and
// the plot kind's cell painting. Every finished gesture is one undo step.

#include "engine/engine.h"
#include "engine/plot_drawing.h"
#include "graphics/blit.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/screen_view.h"

namespace ludomat {

namespace {

QString point(QPoint p) { return QString("%1,%2").arg(p.x()).arg(p.y()); }

QString corners(const Rect& r) { return QString("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom); }

bool onScreen(QPoint p) { return p.x() >= 0 && p.y() >= 0 && p.x() < kBaseWidth && p.y() < kBaseHeight; }

}  // namespace

void DrawingPage::mousePressed(Qt::MouseButton button, QPoint p)
{
    if (m_drawing) return;  // a second button during a gesture belongs to the first
    beginStep();
    m_button = button;
    if (m_kind == FigureKind::Plot) {
        plotDrawStep(p);
    } else {
        if (m_tool == kToolLine || m_tool == kToolRectangle || m_tool == kToolEllipse || m_tool == kToolFilled)
            m_drawStart = p;
        pixelDrawStep(p);
    }
    m_drawing = true;
}

void DrawingPage::mouseMoved(QPoint p)
{
    if (!m_drawing) return;
    if (m_kind == FigureKind::Plot) plotDrawStep(p);
    else pixelDrawStep(p);
}

void DrawingPage::mouseReleased(Qt::MouseButton button, QPoint p)
{
    if (!m_drawing || button != m_button) return;
    if (m_kind == FigureKind::Pixel) pixelReleaseStep(p);
    m_drawing = false;
    commitStep("Desenhar");
}

void DrawingPage::preparePens()
{
    ScreenBuffers& screen = m_engine.screen();
    const int width = penWidthFor(m_engine.plotSettings().pixelSize(), 1.0);
    for (Canvas* canvas : {&screen.screenCanvas, &screen.telaCanvas}) {
        canvas->setPenColour(m_drawColour);
        canvas->setPenWidth(width);
        canvas->setBrushColour(m_paperSwatch);
    }
}

void DrawingPage::pixelDrawStep(QPoint p)
{
    preparePens();
    // Only the left button draws.
    if (m_button != Qt::LeftButton) return;
    ScreenBuffers& screen = m_engine.screen();
    const QString suffix = colourSuffix(m_drawColour, QString::fromStdString(m_engine.textSettings().inkColour));
    Canvas& tela = screen.telaCanvas;
    switch (m_tool) {
    case kToolPixel: {
        m_drawStart = p;
        drawPixelBlock(screen.screenBuffer, p.x(), p.y(), m_engine.plotSettings().pixelSize(), 1.0, m_drawColour);
        const QString key = "  pixel " + point(p);
        putLine(key, key + suffix);
        screen.refresh();
        break;
    }
    case kToolLine:
    case kToolPolyline:
    case kToolFan:
        // Rubber band: on the screen picture only, over a fresh copy of the buffer.
        screen.refresh();
        tela.moveTo(m_drawStart.x(), m_drawStart.y());
        tela.lineTo(p.x(), p.y());
        break;
    case kToolRectangle:
    case kToolEllipse: {
        screen.refresh();
        m_dragRect = Rect{m_drawStart.x(), m_drawStart.y(), p.x(), p.y()};
        const BrushStyle style = tela.brushStyle();
        tela.setBrushStyle(BrushStyle::Clear);
        if (m_tool == kToolRectangle) tela.rectangle(m_dragRect.left, m_dragRect.top, m_dragRect.right, m_dragRect.bottom);
        else tela.ellipse(m_dragRect.left, m_dragRect.top, m_dragRect.right, m_dragRect.bottom);
        tela.setBrushStyle(style);
        break;
    }
    case kToolFilled:
        screen.refresh();
        m_dragRect = Rect{m_drawStart.x(), m_drawStart.y(), p.x(), p.y()};
        fillRect(screen.tela, m_dragRect, m_drawColour);
        break;
    default: break;
    }
    m_screen.update();
}

void DrawingPage::pixelReleaseStep(QPoint p)
{
    ScreenBuffers& screen = m_engine.screen();
    // A gesture of another button drew nothing, so it writes nothing either: a line the screen
    // does not show would surprise the user when the script runs.
    if (m_button != Qt::LeftButton) {
        screen.refresh();
        m_screen.update();
        return;
    }
    if (m_tool == kToolPixel) {
        m_drawStart = p;
        return;
    }
    screen.copyScreenToBuffer();
    const QString suffix = colourSuffix(m_drawColour, QString::fromStdString(m_engine.textSettings().inkColour));
    QStringList lines = figureLines();
    switch (m_tool) {
    case kToolLine:
    case kToolFan:
        lines << "  moveto " + point(m_drawStart) << "  lineto " + point(p) + suffix;
        // A fan keeps its start, so all its lines leave from the same point.
        if (m_tool == kToolLine) m_drawStart = p;
        break;
    case kToolPolyline:
        lines << "  lineto " + point(p) + suffix;
        m_drawStart = p;
        break;
    case kToolRectangle: lines << "  rect " + corners(m_dragRect) + suffix; break;
    case kToolEllipse: lines << "  elipse " + corners(m_dragRect) + suffix; break;
    case kToolFilled: lines << "  paint " + corners(m_dragRect) + suffix; break;
    default: break;
    }
    if (m_tool == kToolRectangle || m_tool == kToolEllipse || m_tool == kToolFilled) m_drawStart = p;
    setFigureLines(lines);
}

void DrawingPage::plotDrawStep(QPoint p)
{
    // Cells exist only on the screen; a drag that leaves it writes no cell outside.
    if (!onScreen(p)) return;
    const PlotSettings& plot = m_engine.plotSettings();
    const int c = p.x() / plot.plotWidth(), r = p.y() / plot.plotHeight();
    ScreenBuffers& screen = m_engine.screen();
    const bool erase = m_button == Qt::RightButton;
    const Rect cell = Rect::fromXywh(c * plot.plotWidth(), r * plot.plotHeight(), plot.plotWidth(), plot.plotHeight());
    fillRect(screen.screenBuffer, cell, erase ? paperColour() : m_drawColour);
    if (m_button == Qt::LeftButton) {
        const QString key = QString("  plot %1,%2").arg(c).arg(r);
        putLine(key, key + colourSuffix(m_drawColour, QString::fromStdString(m_engine.textSettings().inkColour)));
    }
    screen.refresh();
    m_screen.update();
}

}  // namespace ludomat
