#include "engine/frame_rate_meter.h"

#include "engine/text_values.h"

namespace ludomat {

bool FrameRateMeter::start(Host& host, RegisterTable& registers, int index)
{
    if (index < 0 || index >= kFrameRateRegisterLimit) {
        stop(host);
        return false;
    }
    m_register = index;
    m_counter = 0;
    m_armed = true;
    startTimer(host, registers);
    return true;
}

void FrameRateMeter::stop(Host& host)
{
    m_armed = false;
    if (m_running) host.stopFrameRateTimer();
    m_running = false;
}

void FrameRateMeter::endRun(Host& host)
{
    if (m_running) host.stopFrameRateTimer();
    m_running = false;
    m_counter = 0;
}

void FrameRateMeter::resume(Host& host, RegisterTable& registers)
{
    if (m_armed) startTimer(host, registers);
}

void FrameRateMeter::startTimer(Host& host, RegisterTable& registers)
{
    m_running = true;
    host.startFrameRateTimer([this, &registers] { tick(registers); });
}

void FrameRateMeter::tick(RegisterTable& registers)
{
    assignInt(registers.at(m_register), m_counter);
    m_counter = 0;
}

}  // namespace ludomat
