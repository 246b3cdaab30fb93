#pragma once

#include <QElapsedTimer>

// Wall-clock and processor time of a stretch of work. The processor time counts this
// process and the children it waited for, so work handed to other programs is counted too;
// it varies less than the wall clock on a busy machine.
class Stopwatch
{
public:
    struct Cost
    {
        double wallMs = 0;
        double cpuMs = 0;
        Cost& operator+=(const Cost& other)
        {
            wallMs += other.wallMs;
            cpuMs += other.cpuMs;
            return *this;
        }
    };

    Stopwatch() { restart(); }
    void restart();
    Cost elapsed() const;

private:
    static double processorMs();

    QElapsedTimer m_wall;
    double m_cpuStartMs = 0;
};
