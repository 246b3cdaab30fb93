#include "server/ProcessWatcher.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr int blockingPollIntervalMs = 50;

// Waits on the descriptor, which turns readable when its process ends.
bool descriptorTurnsReadable(int descriptor, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd watched{descriptor, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

ProcessWatcher::ProcessWatcher(const ProcessIdentity& process, QObject* parent, Method method)
    : QObject(parent), m_process(process)
{
    if (method == Method::Automatic) {
        m_descriptor = m_process.openDescriptor();
        if (m_descriptor < 0 && errno == ESRCH) {
            // Ended already: told from the event loop, once the caller has connected.
            QTimer::singleShot(0, this, &ProcessWatcher::finish);
            return;
        }
    }
    if (m_descriptor >= 0) {
        m_usesDescriptor = true;
        m_notifier = new QSocketNotifier(qintptr(m_descriptor), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ProcessWatcher::finish);
        return;
    }
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &ProcessWatcher::checkProcess);
    m_poll.start();
    QTimer::singleShot(0, this, &ProcessWatcher::checkProcess);
}

ProcessWatcher::~ProcessWatcher()
{
    closeDescriptor();
}

void ProcessWatcher::checkProcess()
{
    if (!m_process.isRunning())
        finish();
}

void ProcessWatcher::finish()
{
    if (m_ended)
        return;
    m_ended = true;
    m_poll.stop();
    closeDescriptor();
    emit ended();
}

void ProcessWatcher::closeDescriptor()
{
    if (m_notifier) {
        // It may be the notifier's own signal that got here.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

bool ProcessWatcher::waitForEnd(const ProcessIdentity& process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const int descriptor = process.openDescriptor();
    if (descriptor < 0 && errno == ESRCH)
        return true;
    if (descriptor >= 0) {
        const bool ended = descriptorTurnsReadable(descriptor, deadline);
        ::close(descriptor);
        return ended;
    }
    for (;;) {
        if (!process.isRunning())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(blockingPollIntervalMs);
    }
}
