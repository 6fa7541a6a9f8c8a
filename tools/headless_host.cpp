#include "tools/headless_host.h"

#include <QCoreApplication>

namespace ludomat {

void HeadlessHost::setTimeout(std::optional<qint64> milliseconds)
{
    m_timeout = milliseconds;
    m_clock.start();
}

void HeadlessHost::processEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

bool HeadlessHost::abortRequested()
{
    if (m_timeout && m_clock.isValid() && m_clock.elapsed() >= *m_timeout) m_timedOut = true;
    return m_timedOut;
}

void HeadlessHost::pausedAt(int) { ++m_pauses; }

}  // namespace ludomat
