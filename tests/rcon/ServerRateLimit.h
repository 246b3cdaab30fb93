#pragma once

#include <QtGlobal>

// ioquake3's rate limit of one sender address (SVC_RateLimit): a burst of requests, then one
// each period, counted in whole periods from the last request.
class ServerRateLimit
{
public:
    ServerRateLimit(int burst, int periodMs) : m_limit(burst), m_periodMs(periodMs) {}

    // Whether the server answers a request arriving at now (milliseconds).
    bool accepts(qint64 now)
    {
        const qint64 interval = now - m_lastTime;
        const qint64 expired = interval / m_periodMs;
        if (expired > m_burst || interval < 0) {
            m_burst = 0;
            m_lastTime = now;
        } else {
            m_burst -= int(expired);
            m_lastTime = now - interval % m_periodMs;
        }
        if (m_burst >= m_limit)
            return false;
        ++m_burst;
        return true;
    }

private:
    int m_limit;
    int m_periodMs;
    int m_burst = 0;
    qint64 m_lastTime = 0;
};
