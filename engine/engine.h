#pragma once
// The script engine: runs the script line by line on the caller's thread, dispatching each line
// to its command handler. Everything a script does runs here without a window; the window (or
// the headless runner) is reached only through `Host`.

#include "engine/engine_state.h"
#include "engine/frame_rate_meter.h"
#include "engine/host.h"
#include "engine/hotspot_table.h"
#include "engine/input_box.h"
#include "engine/picture_store.h"
#include "engine/plot_settings.h"
#include "engine/script.h"
#include "engine/text_renderer.h"
#include "engine/text_settings.h"
#include "graphics/map_grid.h"
#include "graphics/plot_matrix.h"
#include "graphics/screen_buffers.h"
#include "graphics/sprite_table.h"
#include "graphics/tile_set.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The web runtime rewrites every function that can be on the stack while the page waits (the run
// loop, a command that may wait or load) so that it can stop and resume, which slows all code
// inside it: there hot work that never waits stays in functions of its own, not inlined.
#if defined(__EMSCRIPTEN__)
#define LUDOMAT_OUTSIDE_RUN_LOOP [[gnu::noinline]]
#else
#define LUDOMAT_OUTSIDE_RUN_LOOP
#endif

namespace ludomat {

// Start marker of `runScript` for a fresh start or a resume.
constexpr int kFreshStart = -1;
// The mouse buttons scripts tell apart ("btlf", "btmd", "btrg").
enum class MouseButton { Left, Middle, Right };

// How often, at the least, a run that never waits lets pending messages run.
constexpr std::chrono::milliseconds kEventInterval{100};

class Engine {
public:
    explicit Engine(Host* host = nullptr);

    void setHost(Host* host) { m_host = host ? host : &m_nullHost; }
    Host& host() { return *m_host; }

    EngineState& state() { return m_state; }
    const EngineState& state() const { return m_state; }
    Script& script() { return m_script; }
    ScreenBuffers& screen() { return m_screen; }
    PlotMatrix& plots() { return m_plots; }
    PlotSettings& plotSettings() { return m_plotSettings; }
    TextSettings& textSettings() { return m_textSettings; }
    HotspotTable& hotspots() { return m_hotspots; }
    // The box the last "print" filled, and the text "print $" writes.
    TextBoxRect& textBox() { return m_textBox; }
    std::string& textBuffer() { return m_textBuffer; }
    FrameRateMeter& frameRate() { return m_frameRate; }
    // The tile map, its strip and where it was last drawn, shared with the tile-map editor.
    MapGrid& mapGrid() { return m_mapGrid; }
    TileSet& tileSet() { return m_tileSet; }
    MapView& mapView() { return m_mapView; }
    // Sprites defined by "loadsprite"; they outlive runs (the studio empties the table).
    SpriteTable& sprites() { return m_sprites; }
    // Decoded pictures shared between commands, and the budget of all decoded pictures.
    PictureStore& pictures() { return m_pictures; }
    // The name the background picture of "fundo" was read from; it is read again only when the
    // name changes.
    std::string& backgroundName() { return m_backgroundName; }
    InputBox& inputBox() { return m_inputBox; }

    // Folders end with "/". Files named by scripts are looked up in the game folder.
    const std::string& gameFolder() const { return m_gameFolder; }
    void setGameFolder(std::string folder);
    const std::string& programFolder() const { return m_programFolder; }
    void setProgramFolder(std::string folder);
    // GameFolder + name. A name holding a control character (NUL included) ends the run.
    std::filesystem::path gamePath(std::string_view name) const;
    // A confined engine (the exported player) refuses every file outside the game folder: a name
    // that climbs out of it or a link that leads out ends the run with a file error.
    void setConfinedToGameFolder(bool confined) { m_confined = confined; }
    bool isConfinedToGameFolder() const { return m_confined; }
    // gamePath for reading: the file, links followed, must lie in the game folder or the program
    // folder, and be a regular file when it exists; otherwise the run ends.
    std::filesystem::path readablePath(std::string_view name) const;

    // The run button, after the caller has saved the script: resets the run state and runs the
    // script from its first line. `scriptName` is the file name shown for the script.
    void execute(std::string_view scriptName);
    // The run loop; `startMarker` kFreshStart runs the start-up block first.
    void runScript(int startMarker = kFreshStart);
    // The Stop/Cont button.
    void stopOrContinue();
    // The Stop branch alone: pause at LineCounter and end the run after the current line.
    void pauseRun();
    // One line as a single step (F1).
    void stepLine();
    // The editor's caret moved to `line`: a following step or Cont starts there.
    void setCaretLine(int line);
    // Lines a run pauses before, as "break" pauses it; the line a run resumes on is not paused
    // again. `runToLine` is a one-time stop (-1: none), forgotten once reached or at a run's end.
    void setBreakpoints(const std::vector<int>& lines);
    void setRunToLine(int line) { m_runToLine = line; }

    // --- input from the window, or from the headless runner's scripted events ---
    // Key tracking for "inkey" and "stop": the virtual-key code held down, 0 after a release.
    void keyDown(int32_t virtualKey);
    void keyUp();
    // The pointer over the run-time screen, in screen-picture pixels. `hotspots` is false where
    // the screen serves as a drawing surface: then only the button state is tracked.
    void mouseMoved(int x, int y, bool hotspots = true);
    void mousePressed(MouseButton button, int x, int y, bool hotspots = true);
    void mouseReleased(int x, int y, bool hotspots = true);
    // Enter in the input box: `text` (CP1252, already upper-cased when the box asks for it)
    // goes into the box's register, the box hides and its target starts.
    void confirmInput(std::string text);
    // Starts a target as a click or the input box does: ":" + label jumps (or starts the script
    // after the label when no run is active); any other text names a script to load and run.
    // `withArguments`: "&" arguments of a label target are taken (clicks); those of a script
    // target always are.
    void startTarget(std::string_view target, bool withArguments);

    // The line the line label shows.
    int shownLine() const { return m_shownLine; }
    // How the last run ended.
    const std::optional<RunError>& lastError() const { return m_lastError; }
    int runDepth() const { return m_runDepth; }

    // --- for command handlers ---
    // Ends the run after the current line ("fim").
    void endRun(int beyond = 10) { m_state.lineCounter = m_script.lineCount() + beyond; }
    // Turns the current line into a jump to ":" + label, carried out after the handler returns.
    void requestJump(std::string_view label);
    // The handler rewrote CommandWord and the parameters: dispatch them again.
    void requestRedispatch() { m_redispatch = true; }
    // Replaces the script by GameFolder + name + ".scp"; false when the file does not exist.
    // A file that exists but cannot be read ends the run with the file error.
    bool loadScriptFile(std::string_view name);
    // Lets pending messages run when the run has not done so for kEventInterval.
    void letEventsRunIfDue();
    // The current line did slow work (a large text, a file): the clock is read after it, so Stop
    // and the time-out act in time whatever the lines do.
    void noteSlowWork() { m_linesToClock = 1; }
    void processEvents();
    // A command the table calls never-waiting is running outside the stoppable run loop (web
    // runtime): the host must not stop there.
    bool inQuickLines() const { return m_inQuickLines; }

private:
    void startupBlock();
    void runLines();
    bool runQuickLines();
#if defined(__EMSCRIPTEN__)
    // runLines calls runQuickLines through this: called directly from its one caller, the web
    // build's optimiser would fold it into runLines, rewritten for waits, and slow it again.
    static bool (Engine::*s_quickLines)();
#endif
    void resolveHandler(ParsedLine& line);
    void endOfRun();
    void failRun(const RunError& error);
    RunError errorAt(int line, const std::exception& e) const;
    RunError errorAt(int line, std::string message, ErrorKind kind) const;
    // ScriptInterpreter: executes line `index`, following jumps within the same call.
    void interpretLine(int index);
    // The one place a jump moves LineCounter: false when `index` is no line of the script, so
    // nothing is read there and the run loop ends.
    bool moveToLine(int index);
    // The line a requested jump goes to (its label's line), or -1; cached in `line`.
    int jumpTarget(ParsedLine& line);
    void loadParams(const ParsedLine& line);
    // Run every few lines: a cheap clock decides whether the host is asked about Stop, the
    // time-out and pending messages.
    void checkClock();
    void dispatch(CommandHandler handler);
    bool breaksBefore(int line) const
    {
        return line == m_runToLine || (size_t(line) < m_breakLines.size() && m_breakLines[size_t(line)]);
    }
    // Pauses before `line` when a breakpoint or the run-to line asks for it.
    bool pauseAtBreakpoint(int line);

    Host m_nullHost;
    Host* m_host;
    EngineState m_state;
    Script m_script;
    ScreenBuffers m_screen;
    PlotMatrix m_plots;
    PlotSettings m_plotSettings;
    TextSettings m_textSettings;
    HotspotTable m_hotspots;
    TextBoxRect m_textBox;
    std::string m_textBuffer;
    FrameRateMeter m_frameRate;
    MapGrid m_mapGrid;
    TileSet m_tileSet;
    MapView m_mapView;
    PictureStore m_pictures;
    SpriteTable m_sprites;
    std::string m_backgroundName;
    InputBox m_inputBox;
    std::string m_gameFolder;
    std::string m_programFolder;
    int m_shownLine = 0;
    int m_runDepth = 0;
    bool m_redispatch = false;
    bool m_jumpPending = false;
    bool m_inQuickLines = false;
    // The line whose handler runs, and which of its parameters a requested jump's label is
    // (-1: a label from elsewhere, compared as text).
    const ParsedLine* m_dispatching = nullptr;
    uint64_t m_dispatchingVersion = 0;
    int m_jumpParam = -1;
    // Lines left before the run loop reads the clock, when it last read it, and when it last
    // asked the host.
    int m_linesToClock = 1;
    int64_t m_lastAbortCheck = 0;
    int64_t m_lastClockRead = 0;
    std::chrono::steady_clock::time_point m_lastEvents;
    std::optional<RunError> m_lastError;
    std::vector<bool> m_breakLines;
    int m_runToLine = -1;
    bool m_confined = false;
};

}  // namespace ludomat
