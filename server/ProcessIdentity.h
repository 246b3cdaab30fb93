#pragma once

#include "server/ProcessTable.h"

#include <QString>

#include <optional>

// One process and no other: its id, when it started and in which boot. An id is given to
// another process once its process has ended; the start time (clock ticks since the boot,
// field 22 of /proc/PID/stat) and the boot id together tell the two apart.
struct ProcessIdentity
{
    qint32 pid = -1;
    quint64 startTime = 0;
    QString bootId;

    bool isValid() const { return pid > 0 && startTime > 0 && !bootId.isEmpty(); }

    // The process that has the id now, when one has and it has not ended (no zombie).
    static std::optional<ProcessIdentity> of(qint32 pid,
                                             const ProcessTable& table = ProcessTable());
    // Whether this very process still runs: the id is held by a process that is no zombie,
    // started when this one did, in this boot.
    bool isRunning(const ProcessTable& table = ProcessTable()) const;
    // A process descriptor (pidfd) of this very process of the system's table, checked after
    // it was opened; the caller closes it. -1 when there is none, with errno ESRCH when the
    // process has ended and ENOSYS (or another reason) when the kernel gives none.
    int openDescriptor() const;

    bool operator==(const ProcessIdentity& other) const = default;
};
