#pragma once

#include "server/ProcessIdentity.h"

#include <QObject>
#include <QTimer>

class QSocketNotifier;

// Notices the end of one process (a process identity: id and start time) in the event loop,
// without asking the process anything: through a process descriptor, which the kernel makes
// readable when the process ends, or, where there is none, by a look at /proc every second.
// A zombie has ended. ended() comes once, also for a process that had ended before the
// watcher was made (then from the event loop, after the constructor).
class ProcessWatcher : public QObject
{
    Q_OBJECT
public:
    enum class Method
    {
        Automatic, // a process descriptor where the kernel has one, else Polling
        Polling,   // the look at /proc every second
    };

    static constexpr int pollIntervalMs = 1000;

    explicit ProcessWatcher(const ProcessIdentity& process, QObject* parent = nullptr,
                            Method method = Method::Automatic);
    ~ProcessWatcher() override;
    ProcessWatcher(const ProcessWatcher&) = delete;
    ProcessWatcher& operator=(const ProcessWatcher&) = delete;

    const ProcessIdentity& process() const { return m_process; }
    bool hasEnded() const { return m_ended; }
    // Whether the end is noticed through a process descriptor.
    bool usesDescriptor() const { return m_usesDescriptor; }

    // Waits, blocking, until the process has ended; false when it still runs after timeoutMs.
    static bool waitForEnd(const ProcessIdentity& process, int timeoutMs);

signals:
    void ended();

private:
    void checkProcess();
    void finish();
    void closeDescriptor();

    ProcessIdentity m_process;
    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_poll;
    bool m_usesDescriptor = false;
    bool m_ended = false;
};
