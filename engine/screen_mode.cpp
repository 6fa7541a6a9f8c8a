#include "engine/screen_mode.h"

#include "engine/engine.h"
#include "engine/text_values.h"
#include "engine/script_files.h"
#include "graphics/picture_error.h"


namespace ludomat {

namespace {

// The file the screen picture is kept in while the window changes layout.
constexpr const char* kScreenPictureFile = "teltmp.bmp";
constexpr uint8_t kWindowMode = 1;

}  // namespace

void switchScreenMode(Engine& engine, std::string_view mode)
{
    EngineState& state = engine.state();
    const TextSettings& text = engine.textSettings();
    ScreenBuffers& screen = engine.screen();
    engine.hotspots().clear();
    // Any number is kept (as a byte); only "1" and "4" change the geometry.
    state.screenMode = uint8_t(toIntOr(mode.empty() ? std::string_view("1") : mode, 1));

    Rgb paper = text.paper();
    Rgb ink = text.ink();
    Canvas& canvas = screen.screenCanvas;
    canvas.setBrushColour(paper);
    canvas.setFontFace(text.fontFace);
    canvas.setFontColour(ink);
    canvas.setPenColour(ink);

    if (mode == "1") {
        state.scaleFactor = 1.0;
        engine.host().leaveFullScreen();
        // The screen picture returns to the window size too, so it matches the buffer again.
        screen.resizeScreen(kBaseWidth, kBaseHeight);
        screen.screenBuffer.fill(paper);
        canvas.setFontSize(text.textSize);
    } else if (mode == "4") {
        DisplaySize display = engine.host().displaySize();
        FullScreenGeometry g = fullScreenGeometry(display.width, display.height);
        state.scaleFactor = g.scale;
        screen.resizeScreen(g.width, g.height);
        engine.host().enterFullScreen({g.left, g.top, g.width, g.height, paper});
    }
    engine.host().screenChanged();
    engine.processEvents();
}

void leaveFullScreenMode(Engine& engine)
{
    ScreenBuffers& screen = engine.screen();
    engine.endRun();
    screen.returnToBaseSize();
    if (!engine.programFolder().empty()) {
        // Only a keepsake of the screen (the picture is already back in memory), so a failure is
        // let pass; written through a fresh file, so a link planted under its name is replaced.
        try {
            const std::string bytes = screen.tela.encodeBmp();
            writeFileAtomically(engine.programFolder() + kScreenPictureFile, bytes, nullptr, false,
                                LinkPolicy::ReplaceLink);
        } catch (const PictureError&) {
        }
    }
    engine.state().scaleFactor = 1.0;
    engine.state().screenMode = kWindowMode;
    engine.host().leaveFullScreen();
    engine.host().screenChanged();
}

}  // namespace ludomat
