#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <functional>

// Waits until the condition holds, processing events meanwhile; false when the deadline
// passed first. The deadline is generous: it bounds a fault, not a measurement.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}
