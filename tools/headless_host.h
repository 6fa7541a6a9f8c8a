#pragma once
// The engine's host without a window: for `ludomat-run` and the tests. It lets the Qt event loop
// run when the engine asks, delivers scripted keys, clicks and typing, ends the run after a
// time-out, and records what a window would show.

#include "engine/host.h"
#include "tools/scripted_input.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ludomat {

class Engine;
struct EngineState;

// Writes each register that is not empty to standard output as "N=text", one a line.
void printRegisters(const EngineState& state);

// Before the application object exists: render off-screen when there is no display, and give Qt
// the private runtime folder it wants when the environment has none.
void prepareHeadlessEnvironment();

class HeadlessHost : public Host {
public:
    // A run longer than this many milliseconds is ended (none: no limit).
    void setTimeout(std::optional<qint64> milliseconds);
    // Starts the clock that time-outs and scripted events count from.
    void startClock() { m_clock.start(); }
    bool timedOut() const { return m_timedOut; }
    int pauses() const { return m_pauses; }
    const std::optional<RunError>& error() const { return m_error; }

    void processEvents() override;
    bool abortRequested() override;
    void pausedAt(int line) override;
    void showError(const RunError& error) override { m_error = error; }

    // Scripted input goes to this engine (none: it waits).
    void attach(Engine* engine) { m_engine = engine; }
    ScriptedInput& scriptedInput() { return m_input; }
    // After the run: delivers the events still pending at their times, sleeping in between,
    // until none is left or the time-out ends it. A click may start a new run in here.
    void deliverRemainingInput();
    std::optional<ScreenPoint> mousePosition() override { return m_input.pointer(); }

    // The display the full-screen mode fits the screen to (ludomat-run's --display).
    void setDisplaySize(DisplaySize size) { m_display = size; }
    DisplaySize displaySize() override { return m_display; }
    bool isFullScreen() const { return m_fullScreen; }
    void enterFullScreen(const FullScreenLayout&) override { m_fullScreen = true; }
    void leaveFullScreen() override { m_fullScreen = false; }
    // The frame-rate timer ticks when the run lets messages through, as in the studio.
    void startFrameRateTimer(std::function<void()> tick) override;
    void stopFrameRateTimer() override;

private:
    qint64 elapsedMs();

    std::optional<qint64> m_timeout;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
    int m_pauses = 0;
    std::optional<RunError> m_error;
    // A display of the size most monitors have.
    DisplaySize m_display{1920, 1080};
    bool m_fullScreen = false;
    std::unique_ptr<QTimer> m_frameRateTimer;
    std::function<void()> m_frameRateTick;
    Engine* m_engine = nullptr;
    ScriptedInput m_input;
};

}  // namespace ludomat
