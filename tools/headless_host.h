#pragma once
// The engine's host without a window: for `ludomat-run` and the tests. It lets the Qt event loop
// run when the engine asks, ends the run after a time-out, and records what a window would show.

#include "engine/host.h"

#include <QElapsedTimer>
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

private:
    std::optional<qint64> m_timeout;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
    int m_pauses = 0;
    std::optional<RunError> m_error;
};

}  // namespace ludomat
