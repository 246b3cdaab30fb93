#include "server/ProcessSignal.h"

#include <cerrno>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

ProcessSignal::Outcome outcomeOf(long result, int error)
{
    if (result == 0)
        return ProcessSignal::Outcome::Sent;
    return error == ESRCH ? ProcessSignal::Outcome::NotThatProcess : ProcessSignal::Outcome::Failed;
}

} // namespace

ProcessSignal::Outcome ProcessSignal::send(const ProcessIdentity& process, int signal)
{
    // Never 0 or negative: kill(2) would signal a whole process group.
    if (!process.isValid())
        return Outcome::NotThatProcess;
    const int descriptor = process.openDescriptor();
    if (descriptor < 0 && errno == ESRCH)
        return Outcome::NotThatProcess;
    if (descriptor >= 0) {
        // Through the descriptor the signal reaches the process it names, or none.
#ifdef SYS_pidfd_send_signal
        const long sent = ::syscall(SYS_pidfd_send_signal, descriptor, signal, nullptr, 0u);
        const int error = sent == 0 ? 0 : errno;
#else
        const long sent = -1;
        const int error = ENOSYS;
#endif
        ::close(descriptor);
        if (error != ENOSYS)
            return outcomeOf(sent, error);
    }
    // A kernel without process descriptors (before Linux 5.3): the same check, then kill(2);
    // the id could only change hands in the moment between the two.
    if (!process.isRunning())
        return Outcome::NotThatProcess;
    const int sent = ::kill(pid_t(process.pid), signal);
    return outcomeOf(sent, errno);
}
