// Plot commands: the matrix of big "plots" over the screen, set, tested and read by cell, drawn
// one cell, one pattern row or one picture at a time.

#include "engine/command_table.h"
#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/script_error.h"
#include "engine/text_values.h"
#include "graphics/picture_loader.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace ludomat {

namespace {

// "setplot" stores numbers below this; 250 and up are left to the tile numbers.
constexpr int kSetPlotLimit = 250;
// "getplot" writes registers below this.
constexpr int kGetPlotRegisterLimit = 250;
// Long waits are cut into slices so a time-out or a closing window can end them.
constexpr std::chrono::milliseconds kWaitSlice{10};

Rgb colourOf(std::string_view text)
{
    return bgrToRgb(uint32_t(toColour(text)));
}

// Tiles have the plot size, so a new plot size leaves one tile of it in the paper colour.
void resetTileStrip(Engine& engine)
{
    const PlotSettings& settings = engine.plotSettings();
    engine.tileSet().reset(settings.plotWidth(), settings.plotHeight(), engine.textSettings().paper());
}

void definePlots(Engine& engine)
{
    const EngineState& state = engine.state();
    int32_t width = numberParam(state, 1, "5", kMinPlotSide);
    int32_t height = numberParam(state, 2, "4", kMinPlotSide);
    engine.plotSettings().setPlotSize(width, height);
    engine.plots().clear();
    resetTileStrip(engine);
}

void clearPlots(Engine& engine)
{
    engine.plots().clear();
    engine.plotSettings().plotCursor() = PlotCursor{};
}

// "plot" and "unplot": move the cursor, fill the scaled cell and record it.
void plotCell(Engine& engine, bool set)
{
    const EngineState& state = engine.state();
    int32_t column = numberParam(state, 1, "0", 0);
    int32_t row = numberParam(state, 2, "0", 0);
    const TextSettings& text = engine.textSettings();
    Rgb colour = colourOf(valueParam(state, 3, set ? text.inkColour : text.paperColour));
    PlotSettings& settings = engine.plotSettings();
    settings.plotCursor() = PlotCursor{column, row};
    Canvas& canvas = engine.screen().screenCanvas;
    Rgb brush = canvas.brushColour();
    canvas.setBrushColour(colour);
    canvas.fillRect(plotCellRect(settings, column, row, state.scaleFactor));
    canvas.setBrushColour(brush);
    // A cell beyond the matrix is drawn but not recorded.
    engine.plots().setCell(column, row, set ? kPlotSet : 0);
}

void plotCommand(Engine& engine)
{
    plotCell(engine, true);
}
void unplotCommand(Engine& engine)
{
    plotCell(engine, false);
}

void setPlot(Engine& engine)
{
    const EngineState& state = engine.state();
    int32_t column = numberParam(state, 1, "0", 0);
    int32_t row = numberParam(state, 2, "0", 0);
    int32_t value = numberParam(state, 3, "0", 0);
    if (!engine.plotSettings().inGrid(column, row) || value < 0 || value >= kSetPlotLimit) return;
    engine.plots().setCell(column, row, uint8_t(value));
}

void getPlot(Engine& engine)
{
    EngineState& state = engine.state();
    int32_t r = indexParam(state, 1, "0", 0);
    int32_t column = numberParam(state, 2, "0", 0);
    int32_t row = numberParam(state, 3, "0", 0);
    if (!engine.plotSettings().inGrid(column, row) || r < 0 || r >= kGetPlotRegisterLimit) return;
    assignInt(state.registers[r], engine.plots().cell(column, row));
}

void ifPlot(Engine& engine)
{
    const EngineState& state = engine.state();
    int32_t column = numberParam(state, 1, "0", 0);
    int32_t row = numberParam(state, 2, "0", 0);
    int32_t value = numberParam(state, 3, "0", 0);
    if (!engine.plotSettings().inGrid(column, row) || value < 0 || value > 255) return;
    if (engine.plots().cell(column, row) != value) return;
    std::string label(valueParam(state, 4));
    engine.requestJump(label);
}

void plotCursorCommand(Engine& engine)
{
    const EngineState& state = engine.state();
    engine.plotSettings().plotCursor() = PlotCursor{numberParam(state, 1, "0", 0), numberParam(state, 2, "0", 0)};
}

void linePlot(Engine& engine)
{
    const EngineState& state = engine.state();
    Canvas& canvas = engine.screen().screenCanvas;
    Rgb brush = canvas.brushColour();
    Rgb ink = engine.textSettings().ink();
    canvas.setBrushColour(ink);
    std::string_view pattern = valueParam(state, 1);
    // An empty pattern stops here, leaving the brush in the ink colour and the cursor in place.
    if (pattern.empty()) return;
    PlotSettings& settings = engine.plotSettings();
    drawPatternRow(canvas.bitmap(), engine.plots(), settings.plotCursor(), settings, pattern, ink, state.scaleFactor);
    canvas.setBrushColour(brush);
}

// Loads a picture of the game folder into the shape buffer. False when the name is empty or
// names no file; a file the decoder refuses ends the run with the decoder's message. A name
// without a picture extension keeps the staging picture as it was, keyed magenta as a load
// leaves it.
bool loadShapePicture(Engine& engine, std::string_view name)
{
    if (name.empty() || !gameFileExists(engine, name)) return false;
    Bitmap& shape = engine.screen().shapeBuffer;
    if (!loadGamePicture(engine, name, shape)) {
        shape.setTransparentKey(kTransparentKey);
        shape.setTransparent(true);
        engine.processEvents();
    }
    return true;
}

void putPlot(Engine& engine)
{
    const EngineState& state = engine.state();
    int32_t column = numberParam(state, 1, "0", 0);
    int32_t row = numberParam(state, 2, "0", 0);
    std::string name(valueParam(state, 3));
    if (!loadShapePicture(engine, name)) return;
    const PlotSettings& settings = engine.plotSettings();
    ScreenBuffers& screen = engine.screen();
    // The corner is the unscaled cell; only the picture's size follows the scale.
    double x = double(column) * settings.plotWidth();
    double y = double(row) * settings.plotHeight();
    double w = scaledLength(screen.shapeBuffer.width(), state.scaleFactor);
    double h = scaledLength(screen.shapeBuffer.height(), state.scaleFactor);
    screen.screenCanvas.stretchDraw(clampedRect(x, y, x + w, y + h), screen.shapeBuffer);
}

// Waits `ms` milliseconds, ending early when the host wants the run over.
void waitMilliseconds(Engine& engine, long long ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0LL));
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
        if (engine.host().abortRequested()) return;
        engine.host().sleepFor(std::min<std::chrono::steady_clock::duration>(kWaitSlice, end - now));
    }
}

void scanPlot(Engine& engine)
{
    const EngineState& state = engine.state();
    std::string name(valueParam(state, 1));
    long long column0 = scaled(numberParam(state, 2, "0", 0), state.scaleFactor);
    long long row0 = scaled(numberParam(state, 3, "0", 0), state.scaleFactor);
    std::string display(valueParam(state, 4));
    int32_t delay = numberParam(state, 5, "5", 5);
    if (!loadShapePicture(engine, name)) return;

    ScreenBuffers& screen = engine.screen();
    Rgb brush = screen.screenCanvas.brushColour();
    Rgb paper = engine.textSettings().paper();
    const int line = state.lineCounter;
    // "on" shows every plot, "ON" every row, anything else nothing until the script refreshes.
    auto step = [&](ScanPoint point) {
        bool show = (display == "on" && point == ScanPoint::Plot) || (display == "ON" && point == ScanPoint::RowEnd);
        if (!show) {
            // Drawn unseen, a large picture still takes seconds: Stop and the time-out are
            // heeded at every row.
            if (point != ScanPoint::RowEnd) return true;
            engine.letEventsRunIfDue();
            return state.lineCounter == line && !engine.host().abortRequested();
        }
        screen.refresh();
        engine.host().screenChanged();
        waitMilliseconds(engine, point == ScanPoint::Plot ? delay : 10LL * delay);
        engine.processEvents();
        // Stop, a time-out or a closing window ends the scan too, not only the run after it.
        return state.lineCounter == line && !engine.host().abortRequested();
    };
    scanPictureToPlots(screen.shapeBuffer, screen.screenBuffer, engine.plots(), engine.plotSettings(), column0, row0,
                       paper, step);
    screen.screenCanvas.setBrushColour(brush);
}

const CommandInfo kCommands[] = {
    {"defplot defplot=", "largura=5, altura=4 (mínimo 4)", "Define o tamanho dos plots e esvazia a matriz.",
     definePlots, "clearbuf 000000\ndefplot 20,20\nplot 3,2,FFFF00\nrefresh"},
    {"clearplot clearplots", "", "Esvazia a matriz de plots e volta o cursor para 0,0.", clearPlots,
     "defplot 10,10\nplot 1,1\nclearplot"},
    {"plot plot=", "coluna=0, linha=0, cor=tinta", "Pinta um plot na cor e marca a célula com 255.", plotCommand,
     "clearbuf 000000\ndefplot 10,10\nplot 5,5,00FF00\nrefresh"},
    {"unplot unplot=", "coluna=0, linha=0, cor=fundo", "Apaga um plot na cor do fundo e zera a célula.", unplotCommand,
     "clearbuf 000000\ndefplot 10,10\nplot 5,5,00FF00\nunplot 5,5\nrefresh"},
    {"setplot setplot=", "coluna=0, linha=0, valor=0 (0 a 249)", "Grava um valor na célula sem desenhar.", setPlot,
     "defplot 10,10\nsetplot 2,3,7\ngetplot 1,2,3"},
    {"getplot getplot= gettile gettile=", "r índice=0, coluna=0, linha=0",
     "Copia o valor da célula para o registrador.", getPlot, "defplot 10,10\nplot 2,3\ngetplot 1,2,3"},
    {"ifplot ifplot=", "coluna=0, linha=0, valor=0, rótulo", "Pula para o rótulo se a célula tiver o valor.", ifPlot,
     "defplot 10,10\nsetplot 1,1,5\nifplot 1,1,5,achou\nfim\n:achou\nreg= 1,achou"},
    {"putplot putplot=", "coluna=0, linha=0, figura", "Desenha uma figura na posição do plot.", putPlot,
     "clearbuf 000000\ndefplot 10,10\nputplot 2,2,heroi.png\nrefresh"},
    {"plotxy plotxy=", "coluna=0, linha=0", "Põe o cursor de plots na célula, sem desenhar.", plotCursorCommand,
     "clearbuf 000000\ndefplot 10,10\nplotxy 2,2\nlineplot X1X1X\nrefresh"},
    {"lineplot plotline", "padrão (1 ou X pinta)", "Desenha uma linha de plots a partir do cursor e desce uma linha.",
     linePlot, "clearbuf 000000\ndefplot 10,10\nplotxy 1,1\nlineplot 11111\nlineplot 1...1\nrefresh"},
    {"scanplot", "figura, coluna=0, linha=0, on|ON, espera=5",
     "Transforma cada ponto da figura em um plot (on: mostra cada plot, ON: cada linha).", scanPlot,
     "clearbuf 000000\ndefplot 6,6\nscanplot heroi.png,1,1\nrefresh"},
};

}  // namespace

std::span<const CommandInfo> plotCommands()
{
    return kCommands;
}

}  // namespace ludomat
