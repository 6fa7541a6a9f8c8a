#pragma once
// The engine's host without a window: for `ludomat-run` and the tests. It lets the Qt event loop
// run when the engine asks, ends the run after a time-out, and records what a window would show.

#include "engine/host.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ludomat {

// Before the application object exists: render off-screen when there is no display, and give Qt
// the private runtime folder it wants when the environment has none.
void prepareHeadlessEnvironment();

class HeadlessHost : public Host {
public:
    // A run longer than this many milliseconds is ended (none: no limit).
    void setTimeout(std::optional<qint64> milliseconds);
    void startClock() { m_clock.start(); }
    bool timedOut() const { return m_timedOut; }
    int pauses() const { return m_pauses; }
    const std::optional<RunError>& error() const { return m_error; }

    void processEvents() override;
    bool abortRequested() override;
    void pausedAt(int line) override;
    void showError(const RunError& error) override { m_error = error; }

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
};

}  // namespace ludomat
