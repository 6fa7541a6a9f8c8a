// Keys, mouse and the input box as the window (or the headless runner) reports them. These run
// nested inside whichever command lets messages through, or with no run at all; a click or an
// Enter that starts a script runs it right here.

#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/params.h"
#include "engine/plot_drawing.h"
#include "engine/text_values.h"

namespace ludomat {

namespace {

// Hotspot cursor codes above the last known one show the arrow.
constexpr int kLastCursorCode = 11;

std::string_view buttonName(MouseButton button)
{
    switch (button) {
        case MouseButton::Left:
            return "btlf";
        case MouseButton::Middle:
            return "btmd";
        case MouseButton::Right:
            return "btrg";
    }
    return {};
}

}  // namespace

void Engine::keyDown(int32_t virtualKey)
{
    // The window's auto-repeat presses the held key again: that is no new press.
    if (virtualKey != m_state.lastKey) m_state.pressedKey = virtualKey;
    m_state.lastKey = virtualKey;
}

void Engine::keyUp()
{
    m_state.lastKey = 0;
}

void Engine::mouseMoved(int x, int y, bool hotspots)
{
    if (!hotspots) return;
    int slot = m_hotspots.slotAt(x, y);
    m_hotspots.setHoverSlot(slot);
    int cursor = slot < 0 ? 0 : m_hotspots.slot(slot).cursor;
    m_host->cursorChanged(cursor > kLastCursorCode ? 0 : cursor);
}

void Engine::mousePressed(MouseButton button, int x, int y, bool hotspots)
{
    m_state.lastButton.assign(buttonName(button));
    m_state.pressedButton = m_state.lastButton;
    if (!hotspots) return;
    // The table may have changed under a pointer that has not moved since.
    mouseMoved(x, y, true);
    int slot = m_hotspots.hoverSlot();
    if (slot < 0) return;
    m_state.clickX = x;
    m_state.clickY = y;
    const Hotspot& spot = m_hotspots.slot(slot);
    if (spot.picture.empty()) return;
    // The pressed look goes straight onto the screen picture. A damaged picture or a refused
    // name only loses the look: a click must never end a run.
    Bitmap pressed;
    try {
        if (!gameFileExists(*this, spot.picture) || !loadGamePicture(*this, spot.picture, pressed)) return;
    } catch (const std::exception&) {
        return;
    }
    m_screen.telaCanvas.stretchDraw(
        clampedRect(spot.x, spot.y, double(spot.x) + spot.width, double(spot.y) + spot.height), pressed);
    m_host->screenChanged();
}

void Engine::mouseReleased(int x, int y, bool hotspots)
{
    m_state.lastButton.clear();
    if (!hotspots) return;
    (void)x;
    (void)y;
    int slot = m_hotspots.hoverSlot();
    if (slot < 0) return;
    std::string target = m_hotspots.slot(slot).target;
    startTarget(target, true);
}

void Engine::confirmInput(std::string text)
{
    if (!m_inputBox.visible) return;
    m_inputBox.visible = false;
    m_host->inputBoxChanged(m_inputBox);
    // "input=" has checked the register number.
    m_state.registers.at(m_inputBox.registerIndex) = std::move(text);
    std::string target = m_inputBox.target;
    startTarget(target, false);
}

void Engine::startTarget(std::string_view target, bool withArguments)
{
    if (target.empty()) return;
    if (target.front() == ':') {
        std::string label(target);
        if (withArguments) {
            m_state.args = ScriptArgs{};
            label = splitScriptArgs(target, m_state.args);
        }
        int line = m_script.findLabel(std::string_view(label).substr(1));
        if (line < 0) return;
        if (m_state.isRunning) {
            // The waiting command returns into the run loop, which steps past the label line to
            // the line after it.
            m_state.lineCounter = line;
            return;
        }
        m_state.lineCounter = line + 1;
        runScript(kFreshStart);
        return;
    }

    m_state.args = ScriptArgs{};
    std::string name = splitScriptArgs(target, m_state.args);
    try {
        if (name.empty() || !loadScriptFile(name)) return;
    } catch (const std::exception& e) {
        // An unreadable script file: ends a run that is waiting, or is shown on its own.
        failRun(errorAt(m_state.lineCounter, e));
        return;
    }
    m_state.lineCounter = 0;
    m_state.currentScript = name;
    runScript(kFreshStart);
}

}  // namespace ludomat
