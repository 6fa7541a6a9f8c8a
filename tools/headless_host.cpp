#include "tools/headless_host.h"

#include "engine/engine.h"
#include "engine/script_files.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace ludomat {

void printRegisters(const EngineState& state)
{
    for (int i = 0; i < RegisterTable::size(); ++i) {
        const std::string& text = state.registers[i];
        if (text.empty()) continue;
        std::cout << i << '=';
        std::cout.write(text.data(), std::streamsize(text.size()));
        std::cout << '\n';
    }
    std::cout.flush();
}

void prepareHeadlessEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::string folder = "/tmp/ludomat-runtime-" + std::to_string(getuid());
        if (ownPrivateFolder(folder)) qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder));
    }
}

void HeadlessHost::setTimeout(std::optional<qint64> milliseconds)
{
    m_timeout = milliseconds;
    m_clock.start();
}

qint64 HeadlessHost::elapsedMs()
{
    if (!m_clock.isValid()) m_clock.start();
    return m_clock.elapsed();
}

void HeadlessHost::processEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    if (m_engine) m_input.deliverDue(*m_engine, elapsedMs());
}

void HeadlessHost::deliverRemainingInput()
{
    // Short naps, so a time-out is noticed soon even before a far event.
    constexpr qint64 kLongestNapMs = 10;
    if (!m_engine) return;
    while (auto next = m_input.nextTime()) {
        if (abortRequested()) return;
        qint64 wait = std::min(*next - elapsedMs(), kLongestNapMs);
        if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        processEvents();
    }
}

bool HeadlessHost::abortRequested()
{
    if (m_timeout && m_clock.isValid() && m_clock.elapsed() >= *m_timeout) m_timedOut = true;
    return m_timedOut;
}

void HeadlessHost::pausedAt(int) { ++m_pauses; }

void HeadlessHost::startFrameRateTimer(std::function<void()> tick)
{
    // The meter's second: a coarse timer may slip past a one-second wait loop.
    constexpr int kFrameRateIntervalMs = 1000;
    m_frameRateTick = std::move(tick);
    if (!m_frameRateTimer) {
        m_frameRateTimer = std::make_unique<QTimer>();
        m_frameRateTimer->setTimerType(Qt::PreciseTimer);
        m_frameRateTimer->setInterval(kFrameRateIntervalMs);
        QObject::connect(m_frameRateTimer.get(), &QTimer::timeout, [this] {
            if (m_frameRateTick) m_frameRateTick();
        });
    }
    m_frameRateTimer->start();
}

void HeadlessHost::stopFrameRateTimer()
{
    if (m_frameRateTimer) m_frameRateTimer->stop();
    m_frameRateTick = nullptr;
}

}  // namespace ludomat
