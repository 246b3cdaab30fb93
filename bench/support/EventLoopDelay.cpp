#include "bench/support/EventLoopDelay.h"

#include <algorithm>

#include <time.h>

EventLoopDelay::EventLoopDelay()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        const qint64 late = now - m_lastNs - tickMs * 1000000LL;
        m_worstNs = std::max(m_worstNs, late);
        m_worstOwnNs = std::max(m_worstOwnNs, std::min(late, cpu - m_lastCpuNs));
        m_lastNs = now;
        m_lastCpuNs = cpu;
    });
    m_clock.start();
    m_lastCpuNs = threadCpuNs();
    m_timer.start(tickMs);
}

qint64 EventLoopDelay::threadCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}
