#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int intervalMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < intervalMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, intervalMs);
            QThread::msleep(qMin<qint64>(10, qMax<qint64>(0, intervalMs - pause.elapsed())));
        }
    }
}
