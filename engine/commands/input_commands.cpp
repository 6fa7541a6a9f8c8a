// Input commands: the key held down, waiting for a key or button, the mouse pointer and the last
// hotspot press, and the text box a script places over the screen.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/key_names.h"
#include "engine/params.h"
#include "engine/text_values.h"

#include <chrono>
#include <thread>

namespace ludomat {

namespace {

// "stop" sleeps this long between message rounds, so waiting for a key does not spin a core.
constexpr std::chrono::milliseconds kStopPollInterval{5};
// "input=" places a box this size when the script gives no usable width or height.
constexpr int32_t kDefaultBoxWidth = 100;
constexpr int32_t kDefaultBoxHeight = 30;

// Register numbers above the last one make these commands store nothing; negative numbers reach
// the register table and end the run with its index error.
bool beyondLast(int32_t r) { return r > kMaxRegister; }

// The key held down or, when none is, one pressed and released since the last read. Reading
// takes the press, so a tap is reported once.
int32_t takeKey(EngineState& state)
{
    int32_t key = state.lastKey != 0 ? state.lastKey : state.pressedKey;
    state.pressedKey = 0;
    return key;
}

void readKey(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    int32_t key = takeKey(state);
    if (!beyondLast(r)) state.registers.at(r) = keyName(key);
    engine.processEvents();
}

// True once the run has been stopped, ended or redirected to its end, or the host wants out:
// then nobody is left to press the key "stop" waits for.
bool runGivenUp(Engine& engine)
{
    return engine.state().lineCounter >= engine.script().lineCount() || engine.host().abortRequested();
}

void waitForKeyOrButton(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (beyondLast(r)) r = 0;
    // Only a key held now or pressed during the wait answers it, not a tap from before.
    state.pressedKey = 0;
    state.pressedButton.clear();
    auto answered = [&state] {
        return state.lastKey != 0 || state.pressedKey != 0 || !state.lastButton.empty() ||
               !state.pressedButton.empty();
    };
    for (;;) {
        if (answered()) break;
        engine.processEvents();
        if (answered()) break;
        if (runGivenUp(engine)) return;
        engine.host().sleepFor(kStopPollInterval);
    }
    // A button held together with a key wins.
    std::string button = !state.lastButton.empty() ? state.lastButton : state.pressedButton;
    state.pressedButton.clear();
    int32_t key = takeKey(state);
    if (!button.empty())
        state.registers.at(r) = std::move(button);
    else
        state.registers.at(r) = keyName(key);
}

void readMouse(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t rx = numberParam(state, 1, "0", 0);
    int32_t ry = numberParam(state, 2, "0", 0);
    std::string& x = state.registers.at(rx);
    std::string& y = state.registers.at(ry);
    x = "-1";
    y = "-1";
    // The screen's own pixels: in the full-screen mode the picture is larger than the script's
    // screen and the position is not scaled back.
    std::optional<ScreenPoint> pointer = engine.host().mousePosition();
    const Bitmap& tela = engine.screen().tela;
    if (!pointer || pointer->x < 0 || pointer->y < 0 || pointer->x >= tela.width() || pointer->y >= tela.height())
        return;
    assignInt(x, pointer->x);
    assignInt(y, pointer->y);
}

void storeClick(Engine& engine, int32_t coordinate)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    if (!beyondLast(r)) assignInt(state.registers.at(r), coordinate);
}

void readClickX(Engine& engine) { storeClick(engine, engine.state().clickX); }
void readClickY(Engine& engine) { storeClick(engine, engine.state().clickY); }

// "BIU" as for the text style: an upper-case letter in its place switches that style on.
void applyStyleLetters(std::string_view letters, InputBoxStyle& style)
{
    auto at = [&](size_t i, char on) { return letters.size() > i && letters[i] == on; };
    style.bold = at(0, 'B');
    style.italic = at(1, 'I');
    style.underline = at(2, 'U');
}

void defineInputBox(Engine& engine)
{
    const EngineState& state = engine.state();
    const TextSettings& text = engine.textSettings();
    InputBox& box = engine.inputBox();
    // Colours are converted before anything changes, so a bad colour leaves the box as it was.
    std::string_view background = valueParam(state, 2, text.paperColour);
    std::string_view ink = valueParam(state, 3, text.inkColour);
    Rgb backgroundRgb = bgrToRgb(uint32_t(toColour(background)));
    Rgb inkRgb = bgrToRgb(uint32_t(toColour(ink)));

    InputBoxStyle& style = box.style;
    style.fontFace = valueParam(state, 1, kStartFontFace);
    style.background = backgroundRgb;
    style.ink = inkRgb;
    style.fontSize = scaledLength(numberParam(state, 4, "", text.textSize), state.scaleFactor);
    style.border = valueParam(state, 5) == "1";
    applyStyleLetters(valueParam(state, 6, "biu"), style);
    std::string_view letterCase = valueParam(state, 7);
    box.upperCase = letterCase == "up" || letterCase == "on" || letterCase == "UP";
    if (box.visible) engine.host().inputBoxChanged(box);
}

void showInputBox(Engine& engine)
{
    EngineState& state = engine.state();
    InputBox& box = engine.inputBox();
    std::string_view r = indexText(state, 1, "");
    if (r == "off") {
        box.visible = false;
        engine.host().inputBoxChanged(box);
        return;
    }
    int32_t index = toIntOr(r, 0);
    // The register's text is offered for editing; a number outside the table ends the run here.
    std::string offered = state.registers.at(index);

    double s = state.scaleFactor;
    box.registerIndex = index;
    box.text = std::move(offered);
    box.left = scaledLength(numberParam(state, 2, "", 0), s);
    box.top = scaledLength(numberParam(state, 3, "", 0), s);
    box.width = scaledLength(numberParam(state, 4, "", kDefaultBoxWidth), s);
    box.height = scaledLength(numberParam(state, 5, "", kDefaultBoxHeight), s);
    box.target = valueParam(state, 6);
    box.visible = true;
    // The script goes on; the box is answered while a later command lets messages through.
    engine.host().inputBoxChanged(box);
}

const CommandInfo kCommands[] = {
    {"inkey", "r=0", "Guarda no registrador r o nome da tecla pressionada (vazio: nenhuma).", readKey,
     "pausa 100\ninkey 1"},
    {"stop", "r=0",
     "Espera uma tecla ou um botão do mouse; guarda em r o nome da tecla ou do botão (btlf, btmd, btrg).",
     waitForKeyOrButton,
     "stop 1"},
    {"inptdef=", "fonte=Courier New, fundo, tinta, tamanho, borda, estilo=biu, caixa",
     "Estilo da caixa de entrada: borda 1 = linha simples; caixa up/on = só maiúsculas.", defineInputBox,
     "inptdef= Arial,FFFFFF,000000,14,1"},
    {"input= inptreg= input", "r, x=0, y=0, l=100, a=30, destino",
     "Mostra a caixa de entrada para o registrador r (off esconde); Enter guarda o texto e vai ao destino.",
     showInputBox,
     "input= 1,10,10,200,30"},
    {"getmouse", "rx=0, ry=0", "Guarda a posição do ponteiro em rx e ry (-1 fora da tela).", readMouse,
     "getmouse 1,2"},
    {"getmouse.x", "r=0", "Guarda em r o x do último clique num link.", readClickX,
     "getmouse.x 1"},
    {"getmouse.y", "r=0", "Guarda em r o y do último clique num link.", readClickY,
     "getmouse.y 1"},
};

}  // namespace

std::span<const CommandInfo> inputCommands() { return kCommands; }

}  // namespace ludomat
