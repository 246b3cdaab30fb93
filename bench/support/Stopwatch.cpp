#include "bench/support/Stopwatch.h"

#include <sys/resource.h>

namespace {

double toMs(const timeval& time)
{
    return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
}

} // namespace

void Stopwatch::restart()
{
    m_cpuStartMs = processorMs();
    m_wall.start();
}

Stopwatch::Cost Stopwatch::elapsed() const
{
    return {double(m_wall.nsecsElapsed()) / 1e6, processorMs() - m_cpuStartMs};
}

double Stopwatch::processorMs()
{
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return toMs(self.ru_utime) + toMs(self.ru_stime) + toMs(children.ru_utime) +
           toMs(children.ru_stime);
}
