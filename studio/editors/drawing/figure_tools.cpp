#include "studio/editors/drawing/figure_tools.h"

#include "engine/plot_drawing.h"
#include "graphics/blit.h"

namespace ludomat {

namespace {

QString point(QPoint p)
{
    return QString("%1,%2").arg(p.x()).arg(p.y());
}

QString corners(const Rect& r)
{
    return QString("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

bool onScreen(QPoint p)
{
    return p.x() >= 0 && p.y() >= 0 && p.x() < kBaseWidth && p.y() < kBaseHeight;
}

QString suffix(const ToolContext& c)
{
    return colourSuffix(c.drawColour, c.inkColour);
}

// Pen and brush of the buffer and the screen picture before every step of a pixel tool.
void preparePens(ToolContext& c)
{
    const int width = penWidthFor(c.plot.pixelSize(), 1.0);
    for (Canvas* canvas : {&c.screen.screenCanvas, &c.screen.telaCanvas}) {
        canvas->setPenColour(c.drawColour);
        canvas->setPenWidth(width);
        canvas->setBrushColour(c.brushColour);
    }
}

// The pixel tools share this: only the left button draws, and a gesture of another button
// writes nothing either, since a line the screen never showed would surprise the user when
// the script runs.
class PixelKindTool : public FigureTool {
public:
    void released(ToolContext& c, QPoint p) final
    {
        if (c.button != Qt::LeftButton) {
            c.screen.refresh();
            return;
        }
        release(c, p);
    }

protected:
    void step(ToolContext& c, QPoint p) final
    {
        preparePens(c);
        if (c.button == Qt::LeftButton) draw(c, p);
    }
    virtual void draw(ToolContext& c, QPoint p) = 0;
    virtual void release(ToolContext& c, QPoint p) = 0;
};

// Tool 1: a block of PixelSize x PixelSize in the buffer, one "pixel" line per point, the line
// of a point already drawn replaced.
class PixelTool : public PixelKindTool {
protected:
    void draw(ToolContext& c, QPoint p) override
    {
        c.drawStart = p;
        drawPixelBlock(c.screen.screenBuffer, p.x(), p.y(), c.plot.pixelSize(), 1.0, c.drawColour);
        const QString key = "  pixel " + point(p);
        putKeyedLine(c.lines, key, key + suffix(c));
        c.screen.refresh();
    }
    void release(ToolContext& c, QPoint p) override { c.drawStart = p; }
};

// Tools 2, 3 and 6: a rubber-band line from the start point; the release makes it permanent.
class LineTool : public PixelKindTool {
public:
    explicit LineTool(int tool) : m_tool(tool) {}
    void pressed(ToolContext& c, QPoint p) override
    {
        // The polyline and the fan go on from where the last gesture left the start point.
        if (m_tool == kToolLine) c.drawStart = p;
        FigureTool::pressed(c, p);
    }

protected:
    void draw(ToolContext& c, QPoint p) override
    {
        c.screen.refresh();
        c.screen.telaCanvas.moveTo(c.drawStart.x(), c.drawStart.y());
        c.screen.telaCanvas.lineTo(p.x(), p.y());
    }
    void release(ToolContext& c, QPoint p) override
    {
        c.screen.copyScreenToBuffer();
        if (m_tool != kToolPolyline) c.lines << "  moveto " + point(c.drawStart);
        c.lines << "  lineto " + point(p) + suffix(c);
        // A fan keeps its start, so all its lines leave from the same point.
        if (m_tool != kToolFan) c.drawStart = p;
    }

private:
    int m_tool;
};

// Tools 4, 5 and 7: an outline or a filled rectangle over the dragged rectangle.
class BoxTool : public PixelKindTool {
public:
    explicit BoxTool(int tool) : m_tool(tool) {}
    void pressed(ToolContext& c, QPoint p) override
    {
        c.drawStart = p;
        FigureTool::pressed(c, p);
    }

protected:
    void draw(ToolContext& c, QPoint p) override
    {
        c.screen.refresh();
        const Rect& r = c.dragRect = Rect{c.drawStart.x(), c.drawStart.y(), p.x(), p.y()};
        Canvas& tela = c.screen.telaCanvas;
        if (m_tool == kToolFilled) {
            fillRect(c.screen.tela, r, c.drawColour);
            return;
        }
        const BrushStyle style = tela.brushStyle();
        tela.setBrushStyle(BrushStyle::Clear);
        if (m_tool == kToolRectangle)
            tela.rectangle(r.left, r.top, r.right, r.bottom);
        else
            tela.ellipse(r.left, r.top, r.right, r.bottom);
        tela.setBrushStyle(style);
    }
    void release(ToolContext& c, QPoint p) override
    {
        c.screen.copyScreenToBuffer();
        const char* word = m_tool == kToolRectangle ? "  rect " : m_tool == kToolEllipse ? "  elipse " : "  paint ";
        c.lines << word + corners(c.dragRect) + suffix(c);
        c.drawStart = p;
    }

private:
    int m_tool;
};

// The plot kind: left paints the cell and writes its line (replacing the cell's line), middle
// only paints, right paints the cell in the paper colour on the screen only.
class PlotTool : public FigureTool {
public:
    void released(ToolContext&, QPoint) override {}

protected:
    void step(ToolContext& c, QPoint p) override
    {
        // Cells exist only on the screen; a drag that leaves it writes no cell outside.
        if (!onScreen(p)) return;
        const int w = c.plot.plotWidth(), h = c.plot.plotHeight();
        const int column = p.x() / w, row = p.y() / h;
        const bool erase = c.button == Qt::RightButton;
        fillRect(c.screen.screenBuffer, Rect::fromXywh(column * w, row * h, w, h),
                 erase ? c.paperColour : c.drawColour);
        if (c.button == Qt::LeftButton) {
            const QString key = QString("  plot %1,%2").arg(column).arg(row);
            putKeyedLine(c.lines, key, key + suffix(c));
        }
        c.screen.refresh();
    }
};

}  // namespace

std::unique_ptr<FigureTool> makePixelTool(int tool)
{
    switch (tool) {
        case kToolLine:
        case kToolPolyline:
        case kToolFan:
            return std::make_unique<LineTool>(tool);
        case kToolRectangle:
        case kToolEllipse:
        case kToolFilled:
            return std::make_unique<BoxTool>(tool);
        default:
            return std::make_unique<PixelTool>();
    }
}

std::unique_ptr<FigureTool> makePlotTool()
{
    return std::make_unique<PlotTool>();
}

}  // namespace ludomat
