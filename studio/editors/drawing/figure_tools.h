#pragma once
// The figure editor's tools: what a press, a move and a release on the run-time screen do.
// Seven pixel tools draw shapes (with rubber bands on the screen picture only) and write
// "pixel", "moveto", "lineto", "rect", "elipse" and "paint" lines; the plot tool paints cells
// and writes "plot" lines. Tools know no widgets: they work on a ToolContext, and the page
// makes each finished gesture one undo step.

#include "engine/plot_settings.h"
#include "graphics/rect.h"
#include "graphics/screen_buffers.h"
#include "studio/editors/drawing/figure_lines.h"

#include <QPoint>
#include <QStringList>

#include <memory>

namespace ludomat {

struct ToolContext {
    ScreenBuffers& screen;
    const PlotSettings& plot;
    QStringList& lines;
    // InkColour as the script keeps it: lines drawn in it carry no colour suffix.
    QString inkColour;
    Rgb drawColour = 0xFFFFFF;
    // The paper swatch, the brush the pixel tools draw with.
    Rgb brushColour = 0x000000;
    // PaperColour, which the right button paints plot cells with.
    Rgb paperColour = 0x000000;
    Qt::MouseButton button = Qt::LeftButton;
    QPoint& drawStart;
    Rect& dragRect;
};

class FigureTool {
public:
    virtual ~FigureTool() = default;
    // A gesture: one press, any moves while held, one release, in screen pixels.
    virtual void pressed(ToolContext& c, QPoint p) { step(c, p); }
    void moved(ToolContext& c, QPoint p) { step(c, p); }
    virtual void released(ToolContext& c, QPoint p) = 0;

protected:
    virtual void step(ToolContext& c, QPoint p) = 0;
};

// Tool 1..7 of the pixel kind (anything else: tool 1).
std::unique_ptr<FigureTool> makePixelTool(int tool);
std::unique_ptr<FigureTool> makePlotTool();

}  // namespace ludomat
