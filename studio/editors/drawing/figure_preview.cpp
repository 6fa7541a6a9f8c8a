#include "studio/editors/drawing/figure_preview.h"

#include "engine/engine.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/text_values.h"
#include "graphics/blit.h"
#include "graphics/cp1252.h"

#include <array>
#include <cstdio>
#include <exception>

namespace ludomat {

namespace {

constexpr Rgb kPreviewPaper = 0x000000;
constexpr Rgb kPreviewPen = 0xA0A0A0;
// "getrgb" without a colour word, and "putrgb" from a register that holds no number.
constexpr int32_t kGreyNumber = 0x808080;
constexpr int32_t kLargestColour = 0xFFFFFF;

struct Line {
    std::string word;
    std::array<std::string, 9> p;
};

// The word and up to nine comma-separated parameters, "#n" read from register n.
Line splitLine(const std::string& trimmed, const RegisterTable& registers)
{
    Line line;
    size_t blank = trimmed.find(' ');
    line.word = trimmed.substr(0, blank);
    if (blank == std::string::npos) return line;
    std::string_view rest = std::string_view(trimmed).substr(blank + 1);
    for (size_t n = 0; n < line.p.size() && !rest.empty(); ++n) {
        size_t comma = rest.find(',');
        std::string_view raw = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        readParam(registers, raw, line.p[n]);
    }
    return line;
}

int numberOr(const std::string& text, int32_t emptyValue, int32_t badValue)
{
    if (text.empty()) return emptyValue;
    return parseInt(text).value_or(badValue);
}

// The colour text, or the default when empty; throws the conversion error when not a colour.
Rgb colourOf(const std::string& text, const std::string& fallback)
{
    return bgrToRgb(uint32_t(toColour(text.empty() ? fallback : text)));
}

std::string* namedColour(TextSettings& text, const std::string& word)
{
    if (word == "txt") return &text.inkColour;
    if (word == "fnd") return &text.paperColour;
    if (word == "lnk") return &text.linkColour;
    if (word == "vzk") return &text.linkLineColour;
    return nullptr;
}

class Previewer {
public:
    explicit Previewer(Engine& engine) : m_engine(engine), m_canvas(engine.screen().screenCanvas) {}

    // False when the word was not one of the preview's.
    void run(const Line& l);

private:
    void shapes(const Line& l);
    void colours(const Line& l);
    void registers(const Line& l);

    Engine& m_engine;
    Canvas& m_canvas;
};

void Previewer::run(const Line& l)
{
    const std::string& w = l.word;
    PlotSettings& plot = m_engine.plotSettings();
    if (w == "defplot" || w == "defplot=") {
        plot.setPlotSize(numberOr(l.p[0], kMinPlotSide, kMinPlotSide), numberOr(l.p[1], kMinPlotSide, kMinPlotSide));
        m_engine.plots().clear();
    } else if (w == "defpixel" || w == "defpixel=") {
        plot.setPixelSize(numberOr(l.p[0], 1, 1));
    } else if (w == "moveto" || w == "moveto=") {
        m_canvas.moveTo(numberOr(l.p[0], 0, 0), numberOr(l.p[1], 0, 0));
    } else if (w == "corfnd=" || w == "cortxt=") {
        colours(l);
    } else if (w == "getrgb" || w == "getrgb=" || w == "putrgb" || w == "putrgb=") {
        registers(l);
    } else {
        // Shapes keep the buffer's pen and brush as they were.
        const Rgb pen = m_canvas.penColour(), brush = m_canvas.brushColour();
        const int width = m_canvas.penWidth();
        const BrushStyle style = m_canvas.brushStyle();
        shapes(l);
        m_canvas.setPenColour(pen);
        m_canvas.setPenWidth(width);
        m_canvas.setBrushColour(brush);
        m_canvas.setBrushStyle(style);
    }
}

void Previewer::shapes(const Line& l)
{
    const std::string& w = l.word;
    const TextSettings& text = m_engine.textSettings();
    PlotSettings& plot = m_engine.plotSettings();
    Bitmap& buffer = m_canvas.bitmap();
    const bool unplot = w == "unplot" || w == "unplot=";
    if (unplot || w == "plot" || w == "plot=") {
        const int x = numberOr(l.p[0], 0, 5) * plot.plotWidth(), y = numberOr(l.p[1], 0, 5) * plot.plotHeight();
        const Rgb colour = colourOf(l.p[2], unplot ? text.paperColour : text.inkColour);
        fillRect(buffer, Rect::fromXywh(x, y, plot.plotWidth(), plot.plotHeight()), colour);
    } else if (w == "pixel" || w == "pixel=") {
        const int x = numberOr(l.p[0], 0, 0), y = numberOr(l.p[1], 0, 0);
        drawPixelBlock(buffer, x, y, plot.pixelSize(), 1.0, colourOf(l.p[2], text.inkColour));
        // A run leaves the pen on the pixel, so a following "lineto" starts there; so does this.
        m_canvas.moveTo(x, y);
    } else if (w == "lineto" || w == "lineto=") {
        const int x = numberOr(l.p[0], 0, 0), y = numberOr(l.p[1], 0, 0);
        m_canvas.setPenColour(colourOf(l.p[2], text.inkColour));
        m_canvas.setPenWidth(penWidthFor(plot.pixelSize(), 1.0));
        m_canvas.lineTo(x, y);
    } else if (w == "elipse" || w == "elipse=" || w == "rect" || w == "rect=" || w == "retangulo" ||
               w == "retangulo=" || w == "paint" || w == "paint=") {
        const int x1 = numberOr(l.p[0], 0, 0), y1 = numberOr(l.p[1], 0, 0);
        const int x2 = numberOr(l.p[2], 50, 50), y2 = numberOr(l.p[3], 50, 50);
        const Rgb colour = colourOf(l.p[4], text.inkColour);
        if (w[0] == 'p') {
            fillRect(buffer, Rect{x1, y1, x2, y2}, colour);
            return;
        }
        m_canvas.setPenColour(colour);
        m_canvas.setPenWidth(penWidthFor(plot.pixelSize(), 1.0));
        m_canvas.setBrushStyle(BrushStyle::Clear);
        if (w[0] == 'e')
            m_canvas.ellipse(x1, y1, x2, y2);
        else
            m_canvas.rectangle(x1, y1, x2, y2);
    }
}

void Previewer::colours(const Line& l)
{
    TextSettings& text = m_engine.textSettings();
    ScreenBuffers& screen = m_engine.screen();
    if (l.word == "corfnd=") {
        const std::string value = l.p[0].empty() ? "000000" : l.p[0];
        const Rgb paper = colourOf(value, value);
        text.paperColour = value;
        screen.screenCanvas.setBrushColour(paper);
        screen.telaCanvas.setBrushColour(paper);
    } else {
        const std::string value = l.p[0].empty() ? "FFFFFF" : l.p[0];
        const Rgb ink = colourOf(value, value);
        text.inkColour = value;
        screen.screenCanvas.setFontColour(ink);
        screen.telaCanvas.setFontColour(ink);
    }
}

void Previewer::registers(const Line& l)
{
    EngineState& state = m_engine.state();
    const int r = numberOr(l.p[0], 0, 0);
    if (r < 0 || r > kMaxRegister) return;
    std::string* setting = namedColour(m_engine.textSettings(), l.p[1]);
    if (l.word[0] == 'g') {
        if (l.p[1].empty())
            assignInt(state.registers.at(r), kGreyNumber);
        else if (setting)
            assignInt(state.registers.at(r), toIntStrict("$" + *setting));
        return;
    }
    const int32_t value = toIntOr(state.registers.at(r), kGreyNumber);
    // A number six digits cannot hold would leave a colour that no later line could read.
    if (!setting || value < 0 || value > kLargestColour) return;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06X", unsigned(value));
    *setting = digits;
}

}  // namespace

PreviewOutcome previewFigure(Engine& engine, const QStringList& lines)
{
    engine.state().scaleFactor = 1.0;
    ScreenBuffers& screen = engine.screen();
    fillRect(screen.screenBuffer, Rect::fromXywh(0, 0, kBaseWidth, kBaseHeight), kPreviewPaper);
    screen.screenCanvas.setPenColour(kPreviewPen);
    screen.refresh();

    Previewer previewer(engine);
    PreviewOutcome outcome;
    for (int i = 0; i < lines.size(); ++i) {
        const std::string trimmed(trimBlanks(toCp1252(lines[i])));
        if (trimmed.empty() || trimmed[0] == '/' || trimmed[0] == ':') continue;
        try {
            previewer.run(splitLine(trimmed, engine.state().registers));
        } catch (const std::exception& e) {
            outcome.completed = false;
            outcome.error = fromCp1252(e.what());
            outcome.line = i;
            return outcome;
        }
    }
    screen.refresh();
    return outcome;
}

}  // namespace ludomat
