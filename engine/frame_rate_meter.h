#pragma once
// The frame-rate meter: counts whole-screen refreshes and, once a second, writes the count of
// the last second into a register. It only measures; nothing waits for it.

#include "engine/host.h"
#include "engine/registers.h"

namespace ludomat {

// The meter writes only into registers below this; a higher number switches it off.
constexpr int kFrameRateRegisterLimit = 250;

class FrameRateMeter {
public:
    // A whole-screen refresh.
    void countFrame() { ++m_counter; }
    int frameCounter() const { return m_counter; }
    int targetRegister() const { return m_register; }
    bool isRunning() const { return m_running; }

    // Measures into register `index` from now on; false (and the meter off) when the number is
    // not one the meter writes into.
    bool start(Host& host, RegisterTable& registers, int index);
    // The script switched it off.
    void stop(Host& host);
    // The run ended or paused: the timer stops and the count restarts. A paused run that had
    // the meter on gets it back from resume().
    void endRun(Host& host);
    void resume(Host& host, RegisterTable& registers);
    // A fresh run starts with the meter off.
    void startRun() { m_armed = false; }

    // One second passed.
    void tick(RegisterTable& registers);

private:
    void startTimer(Host& host, RegisterTable& registers);

    int m_counter = 0;
    int m_register = 0;
    bool m_running = false;
    // The script switched the meter on during this run.
    bool m_armed = false;
};

}  // namespace ludomat
