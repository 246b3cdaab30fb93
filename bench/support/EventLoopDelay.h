#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The worst lateness of a 5 ms repeating timer in this thread's event loop, standing in for
// painting and input: how long the loop was kept from them. A tick can be late because the
// loop was busy or because the machine ran other processes meanwhile; the thread's processor
// time in each interval tells the two apart, so the loop's own share is kept too.
class EventLoopDelay
{
public:
    static constexpr int tickMs = 5;

    EventLoopDelay();
    double worstMs() const { return double(m_worstNs) / 1e6; }
    // The worst lateness the loop's own work accounts for.
    double worstOwnMs() const { return double(m_worstOwnNs) / 1e6; }

private:
    static qint64 threadCpuNs();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_lastCpuNs = 0;
    qint64 m_worstNs = 0;
    qint64 m_worstOwnNs = 0;
};
