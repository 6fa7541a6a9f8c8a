// Pixel and vector drawing on the screen buffer: pixel blocks, lines, outlines, filled
// rectangles, and the colour settings moved to and from registers so scripts can compute colours.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/text_values.h"

#include <cstdio>

namespace ludomat {

namespace {

// What "getrgb" gives without a colour word, and "putrgb" takes from a register that holds no
// number: the grey 808080 read as one number.
constexpr int32_t kGreyNumber = 0x808080;
// The largest colour six hexadecimal digits can hold.
constexpr int32_t kLargestColour = 0xFFFFFF;

Rgb colourOf(std::string_view text) { return bgrToRgb(uint32_t(toColour(text))); }

// A point given by parameters n and n + 1, scaled onto the buffer.
struct Point {
    int x = 0;
    int y = 0;
};

Point scaledPoint(const EngineState& state, int n, std::string_view defaultText, int32_t fallback)
{
    double s = state.scaleFactor;
    return {scaled(numberParam(state, n, defaultText, fallback), s),
            scaled(numberParam(state, n + 1, defaultText, fallback), s)};
}

Rgb inkParam(Engine& engine, int n) { return colourOf(valueParam(engine.state(), n, engine.textSettings().inkColour)); }

void definePixel(Engine& engine) { engine.plotSettings().setPixelSize(numberParam(engine.state(), 1, "1", 1)); }

void pixelCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    int32_t x = numberParam(state, 1, "0", 0);
    int32_t y = numberParam(state, 2, "0", 0);
    Rgb colour = inkParam(engine, 3);
    Canvas& canvas = engine.screen().screenCanvas;
    drawPixelBlock(canvas.bitmap(), x, y, engine.plotSettings().pixelSize(), state.scaleFactor, colour);
    canvas.moveTo(scaled(x, state.scaleFactor), scaled(y, state.scaleFactor));
}

void moveToCommand(Engine& engine)
{
    Point p = scaledPoint(engine.state(), 1, "0", 0);
    engine.screen().screenCanvas.moveTo(p.x, p.y);
}

void lineToCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    Point end = scaledPoint(state, 1, "0", 0);
    Rgb colour = inkParam(engine, 3);
    Canvas& canvas = engine.screen().screenCanvas;
    Rgb pen = canvas.penColour();
    canvas.setPenColour(colour);
    // The pen keeps this width afterwards; only its colour is put back.
    canvas.setPenWidth(penWidthFor(engine.plotSettings().pixelSize(), state.scaleFactor));
    canvas.lineTo(end.x, end.y);
    canvas.setPenColour(pen);
}

enum class Outline { Rectangle, Ellipse };

void drawOutline(Engine& engine, Outline shape)
{
    const EngineState& state = engine.state();
    Point a = scaledPoint(state, 1, "0", 0);
    Point b = scaledPoint(state, 3, "50", 50);
    Rgb colour = inkParam(engine, 5);
    Canvas& canvas = engine.screen().screenCanvas;
    // "rect" leaves the brush in the paper colour, "elipse" leaves it alone.
    if (shape == Outline::Rectangle) canvas.setBrushColour(engine.textSettings().paper());
    Rgb pen = canvas.penColour();
    BrushStyle style = canvas.brushStyle();
    canvas.setPenColour(colour);
    canvas.setPenWidth(penWidthFor(engine.plotSettings().pixelSize(), state.scaleFactor));
    canvas.setBrushStyle(BrushStyle::Clear);
    if (shape == Outline::Rectangle) canvas.rectangle(a.x, a.y, b.x, b.y);
    else canvas.ellipse(a.x, a.y, b.x, b.y);
    canvas.setPenColour(pen);
    canvas.setBrushStyle(style);
}

void rectCommand(Engine& engine) { drawOutline(engine, Outline::Rectangle); }
void ellipseCommand(Engine& engine) { drawOutline(engine, Outline::Ellipse); }

void paintCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    Point a = scaledPoint(state, 1, "0", 0);
    Point b = scaledPoint(state, 3, "50", 50);
    Rgb colour = inkParam(engine, 5);
    Canvas& canvas = engine.screen().screenCanvas;
    Rgb brush = canvas.brushColour();
    canvas.setBrushColour(colour);
    canvas.fillRect(Rect{a.x, a.y, b.x, b.y});
    canvas.setBrushColour(brush);
}

// The colour setting a word of "getrgb"/"putrgb" names, or nullptr.
std::string* colourSetting(TextSettings& text, std::string_view word)
{
    if (word == "txt" || word == "ink") return &text.inkColour;
    if (word == "fnd" || word == "paper") return &text.paperColour;
    if (word == "lnk") return &text.linkColour;
    if (word == "vzk") return &text.linkLineColour;
    return nullptr;
}

void getRgb(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = numberParam(state, 1, "0", 0);
    if (r > kMaxRegister) return;
    std::string_view word = valueParam(state, 2);
    if (word.empty()) {
        assignInt(state.registers.at(r), kGreyNumber);
        return;
    }
    const std::string* setting = colourSetting(engine.textSettings(), word);
    if (!setting) return;
    // The six digits read as one number, so red is the high byte.
    assignInt(state.registers.at(r), toIntStrict("$" + *setting));
}

void putRgb(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = numberParam(state, 1, "0", 0);
    if (r > kMaxRegister) return;
    int32_t value = toIntOr(state.registers.at(r), kGreyNumber);
    std::string* setting = colourSetting(engine.textSettings(), valueParam(state, 2));
    // A number six digits cannot hold would leave a colour no later command could read.
    if (!setting || value < 0 || value > kLargestColour) return;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06X", unsigned(value));
    *setting = digits;
}

const CommandInfo kCommands[] = {
    {"defpixel defpixel=", "tamanho=1", "Define o tamanho do pixel e a espessura das linhas.", definePixel,
     "clearbuf 000000\ndefpixel 4\nlineto 200,100,FFFF00\nrefresh"},
    {"pixel pixel=", "x=0, y=0, cor=tinta", "Pinta um pixel do tamanho definido e leva a caneta até ele.",
     pixelCommand,
     "clearbuf 000000\ndefpixel 6\npixel 100,50,FF0000\nrefresh"},
    {"lineto lineto=", "x=0, y=0, cor=tinta", "Traça uma linha da posição da caneta até x,y.", lineToCommand,
     "clearbuf 000000\nmoveto 10,10\nlineto 300,150,00FF00\nrefresh"},
    {"moveto moveto=", "x=0, y=0", "Leva a caneta até x,y sem desenhar.", moveToCommand,
     "clearbuf 000000\nmoveto 50,120\nlineto 250,120,FFFFFF\nrefresh"},
    {"elipse elipse=", "x1=0, y1=0, x2=50, y2=50, cor=tinta", "Contorno de elipse dentro do retângulo.",
     ellipseCommand,
     "clearbuf 000000\nelipse 50,50,250,150,00FFFF\nrefresh"},
    {"rect rect=", "x1=0, y1=0, x2=50, y2=50, cor=tinta", "Contorno de retângulo entre os dois cantos.", rectCommand,
     "clearbuf 000000\nrect 50,50,250,150,FF00FF\nrefresh"},
    {"paint paint=", "x1=0, y1=0, x2=50, y2=50, cor=tinta", "Retângulo cheio entre os dois cantos.", paintCommand,
     "clearbuf 000000\npaint 50,50,250,150,3060C0\nrefresh"},
    {"getrgb= getrgb", "r=0, txt|ink|fnd|paper|lnk|vzk", "Copia uma cor para o registrador como número.", getRgb,
     "cortxt= FF0000\ngetrgb= 1,txt"},
    {"putrgb= putrgb", "r=0, txt|ink|fnd|paper|lnk|vzk", "Muda uma cor para o número do registrador (0 a 16777215).",
     putRgb,
     "reg= 1,65280\nputrgb= 1,txt\nclearbuf 000000\nprint verde,10,10,200,40\nrefresh"},
};

}  // namespace

std::span<const CommandInfo> drawingCommands() { return kCommands; }

}  // namespace ludomat
