// Mouse gestures on the run-time screen, handed to the tool of the kind shown. Every finished
// gesture is one undo step.

#include "engine/engine.h"
#include "graphics/cp1252.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/drawing/figure_tools.h"
#include "screen/screen_view.h"

namespace ludomat {

void DrawingPage::withTool(const std::function<void(FigureTool&, ToolContext&)>& act)
{
    QStringList lines = figureLines();
    const QStringList before = lines;
    ToolContext context{m_engine.screen(),
                        m_engine.plotSettings(),
                        lines,
                        fromCp1252(m_engine.textSettings().inkColour),
                        m_drawColour,
                        m_paperSwatch,
                        paperColour(),
                        m_button,
                        m_drawStart,
                        m_dragRect};
    act(*m_activeTool, context);
    if (lines != before) setFigureLines(lines);
    m_screen.update();
}

void DrawingPage::mousePressed(Qt::MouseButton button, QPoint p)
{
    if (m_drawing) return;  // a second button during a gesture belongs to the first
    beginStep();
    m_button = button;
    m_activeTool = m_kind == FigureKind::Plot ? makePlotTool() : makePixelTool(m_tool);
    withTool([p](FigureTool& tool, ToolContext& c) { tool.pressed(c, p); });
    m_drawing = true;
}

void DrawingPage::mouseMoved(QPoint p)
{
    if (!m_drawing) return;
    withTool([p](FigureTool& tool, ToolContext& c) { tool.moved(c, p); });
}

void DrawingPage::mouseReleased(Qt::MouseButton button, QPoint p)
{
    if (!m_drawing || button != m_button) return;
    withTool([p](FigureTool& tool, ToolContext& c) { tool.released(c, p); });
    m_drawing = false;
    m_activeTool.reset();
    commitStep("Desenhar");
}

}  // namespace ludomat
