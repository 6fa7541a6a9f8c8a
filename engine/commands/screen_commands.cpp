// Screen commands: the screen mode, clearing the screen and the buffer, copies between the
// buffer, the screen and the second page, photographs, scrolling, mirroring, the frame strip
// and the frame-rate meter.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/error_messages.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/screen_mode.h"
#include "engine/script_files.h"
#include "engine/text_values.h"
#include "graphics/picture_loader.h"

#include <algorithm>
#include <filesystem>

namespace ludomat {

namespace {

Rgb colourOf(std::string_view text)
{
    return bgrToRgb(uint32_t(toColour(text)));
}

// Parameters n .. n+3 as a scaled rectangle x, y, w, h of the script screen; every one that is
// empty or not a number takes its default.
Rect scaledRect(const EngineState& state, int n)
{
    double s = state.scaleFactor;
    int x = scaledLength(numberParam(state, n, "0", 0), s);
    int y = scaledLength(numberParam(state, n + 1, "0", 0), s);
    int w = scaledLength(numberParam(state, n + 2, "760", kBaseWidth), s);
    int h = scaledLength(numberParam(state, n + 3, "420", kBaseHeight), s);
    // Far corners past the int range are clamped, as every drawing edge is.
    return clampedRect(x, y, double(x) + w, double(y) + h);
}

bool hasParam(const EngineState& state, int n)
{
    return !valueParam(state, n).empty();
}

void setScreenMode(Engine& engine)
{
    switchScreenMode(engine, valueParam(engine.state(), 1));
}

// "cleartela" and "clearbuf": the whole picture in one colour, or with "box" one rectangle.
void clearPicture(Engine& engine, Canvas& canvas, bool isBuffer)
{
    const EngineState& state = engine.state();
    const TextSettings& text = engine.textSettings();
    if (valueParam(state, 1) == "box") {
        canvas.setBrushColour(colourOf(valueParam(state, 2, text.paperColour)));
        canvas.fillRect(scaledRect(state, 3));
        return;
    }
    Rgb colour = colourOf(valueParam(state, 1, text.paperColour));
    canvas.setFontColour(text.ink());
    canvas.setFontFace(text.fontFace);
    canvas.setFontSize(scaledLength(text.textSize, state.scaleFactor));
    canvas.setBrushColour(colour);
    // Both fill the size of the visible screen.
    const Bitmap& tela = engine.screen().tela;
    canvas.fillRect({0, 0, tela.width(), tela.height()});
    if (isBuffer) engine.plots().clear();
}

void clearScreen(Engine& engine)
{
    clearPicture(engine, engine.screen().telaCanvas, false);
    engine.host().screenChanged();
}

void clearBuffer(Engine& engine)
{
    clearPicture(engine, engine.screen().screenCanvas, true);
}

void refresh(Engine& engine)
{
    const EngineState& state = engine.state();
    engine.frameRate().countFrame();
    if (hasParam(state, 1)) {
        // A partial refresh lets no message through, so loops over small areas stay fast.
        engine.screen().refresh(scaledRect(state, 1));
        engine.host().screenChanged();
        return;
    }
    engine.screen().refresh();
    engine.host().screenChanged();
    engine.processEvents();
}

void copyScreenToBuffer(Engine& engine)
{
    const EngineState& state = engine.state();
    if (!hasParam(state, 1)) {
        engine.screen().copyScreenToBuffer();
        return;
    }
    engine.screen().copyScreenToBuffer(scaledRect(state, 1));
    engine.host().screenChanged();
}

// The photograph's file name: the register's text with ".jpg", or "foto.jpg". The last
// extension becomes ".jpg", so an empty text gives ".jpg". Only a plain name of the game folder
// is written: no folder part, no "..", no control character.
std::string photoName(Engine& engine)
{
    const EngineState& state = engine.state();
    if (indexText(state, 1, "").empty()) return "foto.jpg";
    std::string name = state.registers.at(indexParam(state, 1, "0", 0));
    bool plain =
        name.find_first_of("/\\") == std::string::npos && name.find("..") == std::string::npos &&
        std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < ' ' || c == 0x7F; });
    if (!plain) raiseError(ErrorMessage::PhotoName, name);
    if (name.find(".jpg") == std::string::npos) name += ".jpg";
    return name.substr(0, name.rfind('.')) + ".jpg";
}

void takePhoto(Engine& engine)
{
    std::string name = photoName(engine);
    std::string_view source = valueParam(engine.state(), 2, "tel");
    const Bitmap* picture = source == "tel"   ? &engine.screen().tela
                            : source == "buf" ? &engine.screen().screenBuffer
                                              : nullptr;
    if (!picture) return;
    std::string bytes;
    try {
        bytes = encodeJpeg(*picture);
    } catch (const PictureError& e) {
        raiseError(ErrorMessage::PhotoNotWritten, name, e.what());
    }
    // A fresh file renamed into place: a link under the name is replaced, never followed.
    std::string reason;
    if (!writeFileAtomically(engine.gamePath(name), bytes, &reason, false, LinkPolicy::ReplaceLink))
        raiseError(ErrorMessage::PhotoNotWritten, name, reason);
    engine.noteSlowWork();
}

const Rect kBaseScreen{0, 0, kBaseWidth, kBaseHeight};

void swapBuffers(Engine& engine)
{
    const EngineState& state = engine.state();
    // Without a rectangle the base screen is exchanged, unscaled, also in the full-screen mode.
    engine.screen().swapWithBack(hasParam(state, 1) ? scaledRect(state, 1) : kBaseScreen);
}

void copyBufferToBack(Engine& engine)
{
    const EngineState& state = engine.state();
    if (hasParam(state, 1))
        engine.screen().copyBufferToBack(scaledRect(state, 1));
    else
        engine.screen().copyBufferToBack();
}

void copyBackToBuffer(Engine& engine)
{
    const EngineState& state = engine.state();
    if (hasParam(state, 1))
        engine.screen().copyBackToBuffer(scaledRect(state, 1));
    else
        engine.screen().copyBackToBuffer();
}

void scrollBuffer(Engine& engine)
{
    const EngineState& state = engine.state();
    const TextSettings& text = engine.textSettings();
    double s = state.scaleFactor;
    Canvas& canvas = engine.screen().screenCanvas;
    canvas.setBrushColour(text.paper());
    canvas.setBrushStyle(BrushStyle::Solid);

    std::string_view word = valueParam(state, 1, "up");
    ScrollDirection direction;
    if (word == "up")
        direction = ScrollDirection::Up;
    else if (word == "down")
        direction = ScrollDirection::Down;
    else if (word == "left")
        direction = ScrollDirection::Left;
    else if (word == "right")
        direction = ScrollDirection::Right;
    else
        return;

    int x = scaledLength(numberParam(state, 2, "0", 0), s);
    int y = scaledLength(numberParam(state, 3, "0", 0), s);
    int w = scaledLength(numberParam(state, 4, "760", 0), s);
    int h = scaledLength(numberParam(state, 5, "420", 0), s);
    if (w == 0) w = scaledLength(kBaseWidth, s);
    if (h == 0) h = scaledLength(kBaseHeight, s);
    // The automatic step is one and a half text lines; a given step is in buffer pixels.
    int step = numberParam(state, 6, "0", 0);
    if (step == 0) step = scaledLength((text.textSize / 2) * s + text.textSize, 1.0);
    engine.screen().scroll(direction, clampedRect(x, y, double(x) + w, double(y) + h), step);
}

void flipBuffer(Engine& engine)
{
    std::string_view word = valueParam(engine.state(), 1, "horizontal");
    if (word == "horizontal" || word == "H" || word == "hrz")
        engine.screen().flip(true);
    else if (word == "vertical" || word == "V" || word == "vrt")
        engine.screen().flip(false);
}

void loadFrameStrip(Engine& engine, const std::string& name)
{
    const EngineState& state = engine.state();
    FrameStrip& strip = engine.screen().frameStrip;
    // Read before loading: the messages let through after a load may run other commands.
    int count = numberParam(state, 2, "1", 1);
    std::string_view orientation = valueParam(state, 3);
    bool vertical = orientation == "v" || orientation == "V" || orientation == "vertical";
    if (!gameFileExists(engine, name)) return;
    if (name != strip.name()) {
        loadGamePicture(engine, name, strip.picture);
        // Named only once loaded, so a strip that failed is read again next time.
        strip.setName(name);
    }
    strip.setLayout(count, vertical);
}

void frameCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    std::string first(valueParam(state, 1));
    if (first.empty()) return;
    if (namesPicture(first)) {
        loadFrameStrip(engine, first);
        return;
    }
    const FrameStrip& strip = engine.screen().frameStrip;
    // Frames are placed in buffer pixels, unscaled, in every mode.
    int n = toIntOr(first, 0);
    int x = numberParam(state, 2, "0", 0);
    int y = numberParam(state, 3, "0", 0);
    int w = numberParam(state, 4, "", strip.frameWidth());
    int h = numberParam(state, 5, "", strip.frameHeight());
    engine.screen().drawFrame(n, clampedRect(x, y, double(x) + w, double(y) + h));
    engine.processEvents();
}

// "bateu?": jumps when the point lies on an opaque pixel of the frame drawn at (fx, fy).
void frameHitTest(Engine& engine)
{
    const EngineState& state = engine.state();
    long long px = numberParam(state, 1, "0", 0), py = numberParam(state, 2, "0", 0);
    int n = numberParam(state, 3, "0", 0);
    long long fx = numberParam(state, 4, "0", 0), fy = numberParam(state, 5, "0", 0);
    std::string label(valueParam(state, 6));
    if (label.empty()) return;
    auto offset = [](long long d) { return int(std::clamp<long long>(d, -1, INT32_MAX)); };
    if (engine.screen().frameStrip.isOpaqueAt(n, offset(px - fx), offset(py - fy))) engine.requestJump(label);
}

void frameRateCommand(Engine& engine)
{
    EngineState& state = engine.state();
    FrameRateMeter& meter = engine.frameRate();
    if (valueParam(state, 1) == "off") {
        meter.stop(engine.host());
        return;
    }
    meter.start(engine.host(), state.registers, indexParam(state, 1, "0", 0));
}

const CommandInfo kCommands[] = {
    {"modo= setmode= setmode mode=", "modo (1 janela, 4 tela cheia)",
     "Muda o modo da tela; no modo 4 a tela é ampliada para caber no monitor.", setScreenMode, "modo= 1"},
    {"cleartela clearscreen", "cor=papel | box, cor, x=0, y=0, l=760, a=420",
     "Pinta a tela visível (ou um retângulo dela) com a cor.", clearScreen, "cleartela 203040"},
    {"clearbuf", "cor=papel | box, cor, x=0, y=0, l=760, a=420",
     "Pinta o buffer (ou um retângulo dele) com a cor e esvazia a matriz de plots.", clearBuffer,
     "clearbuf 402010\nrefresh"},
    {"refresh", "[x=0, y=0, l=760, a=420]", "Copia o buffer (ou um retângulo dele) para a tela.", refresh,
     "clearbuf 000000\nprint Pronto,10,10,200,40\nrefresh"},
    {"copytel copytela copyscreen", "[x=0, y=0, l=760, a=420]", "Copia a tela (ou um retângulo dela) para o buffer.",
     copyScreenToBuffer, "cleartela 336699\ncopytel\nrefresh"},
    {"getfoto tirafoto", "r índice com o nome, tel|buf=tel", "Grava a tela ou o buffer como JPEG (sem nome: foto.jpg).",
     takePhoto, "reg= 1,minhafoto.jpg\ngetfoto 1,tel"},
    {"swapbuf", "[x=0, y=0, l=760, a=420]", "Troca o buffer com a segunda página (ou um retângulo dos dois).",
     swapBuffers, "clearbuf FF0000\nswapbuf\nrefresh"},
    {"copybuffer buftobak", "[x=0, y=0, l=760, a=420]", "Copia o buffer para a segunda página.", copyBufferToBack,
     "clearbuf 00FF00\ncopybuffer\nclearbuf 000000\ncopybakbuf\nrefresh"},
    {"copybakbuf baktobuf", "[x=0, y=0, l=760, a=420]", "Copia a segunda página para o buffer.", copyBackToBuffer,
     "clearbuf 0000FF\ncopybuffer\nclearbuf 000000\ncopybakbuf\nrefresh"},
    {"scroll", "up|down|left|right=up, x=0, y=0, l=760, a=420, passo=0 (automático)",
     "Rola um retângulo do buffer e pinta a faixa descoberta com a cor do papel.", scrollBuffer,
     "clearbuf 000000\nprint Rolando,10,100,300,40\nscroll up,0,0,760,420,20\nrefresh"},
    {"flip", "horizontal|H|hrz|vertical|V|vrt=horizontal", "Espelha o buffer inteiro.", flipBuffer,
     "clearbuf 000000\nprint Espelho,10,10,300,40\nflip H\nrefresh"},
    {"frame frame=", "figura, quadros=1, h|v | quadro, x=0, y=0, l, a",
     "Carrega uma tira de quadros, ou desenha um quadro dela no buffer (sem escala).", frameCommand,
     "frame heroi.png,2\nframe 0,10,10\nrefresh"},
    {"bateu? iftransp=", "x=0, y=0, quadro=0, qx=0, qy=0, rótulo",
     "Pula se o ponto cai num pixel não transparente do quadro desenhado em qx, qy.", frameHitTest,
     "frame heroi.png,2\nframe 0,10,10\nbateu? 15,15,0,10,10,bateu\nfim\n:bateu\nreg= 1,bateu"},
    {"framerate framerate=", "r índice=0 | off", "Conta os refresh de cada segundo no registrador (off desliga).",
     frameRateCommand, "framerate 1\nrefresh\npausa 110"},
};

}  // namespace

std::span<const CommandInfo> screenCommands()
{
    return kCommands;
}

}  // namespace ludomat
