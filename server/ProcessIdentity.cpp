#include "server/ProcessIdentity.h"

#include <cerrno>

#include <sys/syscall.h>
#include <unistd.h>

std::optional<ProcessIdentity> ProcessIdentity::of(qint32 pid, const ProcessTable& table)
{
    if (pid <= 0)
        return std::nullopt;
    const std::optional<ProcessTable::Stat> stat = table.stat(pid);
    const QString bootId = table.bootId();
    if (!stat || stat->isZombie() || stat->startTime == 0 || bootId.isEmpty())
        return std::nullopt;
    return ProcessIdentity{pid, stat->startTime, bootId};
}

bool ProcessIdentity::isRunning(const ProcessTable& table) const
{
    if (!isValid())
        return false;
    const std::optional<ProcessIdentity> now = of(pid, table);
    return now && *now == *this;
}

int ProcessIdentity::openDescriptor() const
{
    if (!isValid()) {
        errno = ESRCH;
        return -1;
    }
#ifdef SYS_pidfd_open
    const int descriptor = int(::syscall(SYS_pidfd_open, pid_t(pid), 0u));
#else
    errno = ENOSYS;
    const int descriptor = -1;
#endif
    if (descriptor < 0)
        return -1;
    // The descriptor names the process that had the id when it was opened. A process that
    // runs now with the recorded start time started before that and has held the id since:
    // the descriptor names it.
    if (!isRunning()) {
        ::close(descriptor);
        errno = ESRCH;
        return -1;
    }
    return descriptor;
}
