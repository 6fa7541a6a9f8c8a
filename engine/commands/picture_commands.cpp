// Picture commands: a picture or a text made clickable ("shape"), a window of a large background
// picture ("fundo"), and a picture over the whole screen or buffer ("tela", "buffer"). Every
// picture is read from the game folder the one way game pictures are read.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/text_values.h"
#include "graphics/blit.h"

#include <optional>
#include <string>

namespace ludomat {

namespace {

// An optional size: empty means "the picture's own", anything else is a number or 0.
std::optional<int32_t> sizeParam(const EngineState& state, int n)
{
    if (valueParam(state, n).empty()) return std::nullopt;
    return numberParam(state, n, "", 0);
}

// Everything "shape" needs, read before any picture is loaded: loading lets messages run, and
// they may interpret other lines.
struct ShapeRequest {
    std::string content;  // picture name or text
    int x = 0;
    int y = 0;
    std::optional<int32_t> width;
    std::optional<int32_t> height;
    std::string target;
    std::string pressedPicture;
};

ShapeRequest readShapeRequest(const EngineState& state)
{
    ShapeRequest r;
    r.content = valueParam(state, 1, "vazio.bmp");
    r.x = scaled(numberParam(state, 2, "0", 0), state.scaleFactor);
    r.y = scaled(numberParam(state, 3, "0", 0), state.scaleFactor);
    r.width = sizeParam(state, 4);
    r.height = sizeParam(state, 5);
    r.target = valueParam(state, 6);
    r.pressedPicture = valueParam(state, 7);
    return r;
}

// Draws the picture through the ShapeBuffer; false when its file is not there. Returns the
// drawn size.
bool drawShapePicture(Engine& engine, const ShapeRequest& r, int& w, int& h)
{
    if (!gameFileExists(engine, r.content)) return false;
    ScreenBuffers& screen = engine.screen();
    loadGamePicture(engine, r.content, screen.shapeBuffer);
    const double s = engine.state().scaleFactor;
    w = scaled(r.width.value_or(screen.shapeBuffer.width()), s);
    h = scaled(r.height.value_or(screen.shapeBuffer.height()), s);
    screen.screenCanvas.stretchDraw(clampedRect(r.x, r.y, double(r.x) + w, double(r.y) + h), screen.shapeBuffer);
    return true;
}

// Writes the text with the buffer's font and brush, underlined like a link when it has a target.
void drawShapeText(Engine& engine, const ShapeRequest& r, int& w, int& h)
{
    Canvas& canvas = engine.screen().screenCanvas;
    canvas.textOut(r.x, r.y, r.content);
    w = canvas.textWidth(r.content);
    h = canvas.textHeight(r.content);
    if (r.target.empty()) return;
    const TextSettings& settings = engine.textSettings();
    const double s = engine.state().scaleFactor;
    canvas.setPenColour(canvas.font().colour);
    canvas.setPenWidth(scaledLength(settings.underlineWidth, s));
    // Just under the letters: six pixels above the bottom of the text's line height.
    const int lineY = r.y + h - 6 + scaledLength(settings.underlineOffset, s);
    canvas.moveTo(r.x, lineY);
    canvas.lineTo(r.x + w, lineY);
}

void shapeCommand(Engine& engine)
{
    const ShapeRequest r = readShapeRequest(engine.state());
    int w = 0;
    int h = 0;
    if (namesPicture(r.content)) {
        if (!drawShapePicture(engine, r, w, h)) return;
    } else {
        drawShapeText(engine, r, w, h);
    }
    if (r.target.empty()) return;
    Hotspot spot;
    spot.x = r.x;
    spot.y = r.y;
    spot.width = w;
    spot.height = h;
    spot.cursor = kLinkCursor;
    spot.text = r.content;
    spot.target = r.target;
    spot.picture = r.pressedPicture;
    engine.hotspots().add(std::move(spot));
}

// Picture names these commands act on: a name with a picture extension whose file exists.
bool isGamePicture(const Engine& engine, std::string_view name)
{
    return !name.empty() && namesPicture(name) && gameFileExists(engine, name);
}

void backgroundCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    const std::string name(valueParam(state, 1));
    if (!isGamePicture(engine, name)) return;
    const int32_t x = numberParam(state, 2, "0", 1);
    const int32_t y = numberParam(state, 3, "0", 1);
    const int32_t w = numberParam(state, 4, "100", 100);
    const int32_t h = numberParam(state, 5, "100", 100);
    const int32_t sourceX = numberParam(state, 6, "0", 0);
    const int32_t sourceY = numberParam(state, 7, "0", 0);

    ScreenBuffers& screen = engine.screen();
    // Scrolling repeats "fundo" with a moving window: the file is read only when the name
    // changes. The name is taken only once the picture decoded, so a damaged file is tried again.
    if (name != engine.backgroundName()) {
        loadGamePicture(engine, name, screen.backgroundBuffer);
        engine.backgroundName() = name;
    }
    // The window is in the picture's own pixels; only its place on the buffer is scaled.
    const double s = engine.state().scaleFactor;
    const double left = scaled(x, s), top = scaled(y, s);
    const Rect dest = clampedRect(left, top, left + scaled(w, s), top + scaled(h, s));
    const Rect source = clampedRect(sourceX, sourceY, double(sourceX) + w, double(sourceY) + h);
    stretchCopy(screen.screenBuffer, dest, screen.backgroundBuffer, source);
}

// "tela" and "buffer": the picture stretched, magenta see-through, over the whole target.
// False when there was no picture to draw.
bool drawFullScreenPicture(Engine& engine, Canvas& target)
{
    const std::string name(valueParam(engine.state(), 1));
    if (!isGamePicture(engine, name)) return false;
    ScreenBuffers& screen = engine.screen();
    loadGamePicture(engine, name, screen.shapeBuffer);
    const double s = engine.state().scaleFactor;
    target.stretchDraw(Rect{0, 0, scaledLength(kBaseWidth, s), scaledLength(kBaseHeight, s)}, screen.shapeBuffer);
    return true;
}

void screenPictureCommand(Engine& engine)
{
    // Drawn on the visible screen itself: shown at the next repaint, without "refresh".
    if (drawFullScreenPicture(engine, engine.screen().telaCanvas)) engine.host().screenChanged();
}

void bufferPictureCommand(Engine& engine) { drawFullScreenPicture(engine, engine.screen().screenCanvas); }

const CommandInfo kCommands[] = {
    {"shape= shape", "figura ou texto=vazio.bmp, x=0, y=0, largura, altura, alvo, figura pressionada",
     "Desenha uma figura (magenta transparente) ou um texto; com alvo, torna a área clicável.", shapeCommand,
     "clearbuf 000000\nshape Oi,10,10\nrefresh"},
    {"fundo fundo=", "figura, x=0, y=0, largura=100, altura=100, x na figura=0, y na figura=0",
     "Copia uma janela da figura de fundo para o buffer; o arquivo só é lido quando o nome muda.",
     backgroundCommand,
     "fundo ceu.png,0,0,200,100\nrefresh"},
    {"tela", "figura", "Desenha a figura esticada sobre a tela inteira, sem precisar de refresh.", screenPictureCommand,
     "tela ceu.png"},
    {"buffer", "figura", "Desenha a figura esticada sobre o buffer inteiro.", bufferPictureCommand,
     "buffer ceu.png\nrefresh"},
};

}  // namespace

std::span<const CommandInfo> pictureCommands() { return kCommands; }

}  // namespace ludomat
