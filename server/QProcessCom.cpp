#include "server/QProcessCom.h"

#include "server/LaunchToken.h"
#include "server/ProcessSignal.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>

#include <signal.h>

namespace {

struct Candidate
{
    qint32 pid = 0;
    qint32 ppid = 0;
    quint64 startTime = 0;
};

QByteArray unquoted(const QByteArray& argument)
{
    if (argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"'))
        return argument.mid(1, argument.size() - 2);
    return argument;
}

// Whether "+exec" with the file (as the launch command quotes it, or bare) is among the
// arguments.
bool executes(const QList<QByteArray>& arguments, const QByteArray& execFile)
{
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i)
        if (arguments.at(i).compare("+exec", Qt::CaseInsensitive) == 0 &&
            unquoted(arguments.at(i + 1)) == execFile)
            return true;
    return false;
}

bool hasCandidateChild(const Candidate& process, const QList<Candidate>& candidates)
{
    return std::any_of(candidates.cbegin(), candidates.cend(),
                       [&](const Candidate& other) { return other.ppid == process.pid; });
}

} // namespace

QProcessCom::QProcessCom() : m_uid(::getuid()) {}

QProcessCom QProcessCom::forServer(const Target& target)
{
    return forServer(target, ProcessTable::systemRoot());
}

QProcessCom QProcessCom::forServer(const Target& target, const QString& procRoot, uid_t uid)
{
    QProcessCom probe;
    probe.m_table = ProcessTable(procRoot);
    probe.m_uid = uid;
    probe.m_target = target;
    return probe;
}

QProcessCom::Target QProcessCom::targetOf(const RunningServer::Record& record)
{
    return {record.launchToken, record.execFile, record.config.serverPort(),
            record.serverProcess()};
}

QProcessCom QProcessCom::forRecord(const RunningServer::Record& record)
{
    return forServer(targetOf(record));
}

QProcessCom QProcessCom::forProcess(const ProcessIdentity& process)
{
    Target target;
    target.server = process;
    return forServer(target);
}

std::optional<ProcessIdentity> QProcessCom::serverProcess() const
{
    if (m_target)
        return findServer(*m_target);
    const std::optional<RunningServer::Record> record = RunningServer::read();
    if (!record || record->bootId != m_table.bootId())
        return std::nullopt;
    return findServer(targetOf(*record));
}

qint32 QProcessCom::serverPid() const
{
    const std::optional<ProcessIdentity> server = serverProcess();
    return server ? server->pid : -1;
}

int QProcessCom::serverState() const
{
    return serverPid() == -1 ? 0 : 1;
}

bool QProcessCom::killServerProcess() const
{
    if (!m_table.isSystemTable())
        return false;
    const std::optional<ProcessIdentity> server = serverProcess();
    return server && ProcessSignal::send(*server, SIGTERM) == ProcessSignal::Outcome::Sent;
}

std::optional<ProcessIdentity> QProcessCom::findServer(const Target& target) const
{
    if (target.server)
        return target.server->isRunning(m_table) ? target.server : std::nullopt;
    if (target.launchToken.isEmpty() || target.execFile.isEmpty() || target.port == 0)
        return std::nullopt;
    const QSet<quint64> listening = m_table.udpSocketInodes(target.port);
    const QString bootId = m_table.bootId();
    if (listening.isEmpty() || bootId.isEmpty())
        return std::nullopt;

    const QByteArray token = LaunchToken::environmentEntry(target.launchToken);
    const QByteArray execFile = QFile::encodeName(target.execFile);
    // The probe's own process never counts, whatever its arguments.
    const qint32 ownPid = m_table.ownPid();
    QList<Candidate> candidates;
    for (const qint32 pid : m_table.pids()) {
        if (pid == ownPid || m_table.ownerOf(pid) != m_uid)
            continue;
        if (!executes(m_table.arguments(pid), execFile))
            continue;
        const std::optional<ProcessTable::Stat> stat = m_table.stat(pid);
        if (!stat || stat->isZombie() || stat->startTime == 0)
            continue;
        if (!m_table.environmentHolds(pid, token))
            continue;
        candidates.append({pid, stat->ppid, stat->startTime});
    }

    std::optional<ProcessIdentity> found;
    for (const Candidate& candidate : candidates) {
        if (hasCandidateChild(candidate, candidates))
            continue;
        if (!m_table.socketInodes(candidate.pid).intersects(listening))
            continue;
        if (!found || candidate.pid < found->pid)
            found = ProcessIdentity{candidate.pid, candidate.startTime, bootId};
    }
    return found;
}

QList<ProcessIdentity> QProcessCom::processesOfLaunch(const QString& launchToken)
{
    QList<ProcessIdentity> found;
    const ProcessTable table;
    const QString bootId = table.bootId();
    if (launchToken.isEmpty() || bootId.isEmpty())
        return found;
    const QByteArray token = LaunchToken::environmentEntry(launchToken);
    const qint32 ownPid = table.ownPid();
    QList<Candidate> candidates;
    for (const qint32 pid : table.pids()) {
        if (pid == ownPid || table.ownerOf(pid) != ::getuid() ||
            !table.environmentHolds(pid, token))
            continue;
        const std::optional<ProcessTable::Stat> stat = table.stat(pid);
        if (stat && !stat->isZombie() && stat->startTime != 0)
            candidates.append({pid, stat->ppid, stat->startTime});
    }
    // Children first: a shell signalled before its child could leave the child behind.
    while (!candidates.isEmpty()) {
        const auto leaf =
            std::find_if(candidates.begin(), candidates.end(),
                         [&](const Candidate& c) { return !hasCandidateChild(c, candidates); });
        const Candidate next = leaf != candidates.end() ? *leaf : candidates.first();
        found.append(ProcessIdentity{next.pid, next.startTime, bootId});
        candidates.removeIf([&](const Candidate& c) { return c.pid == next.pid; });
    }
    return found;
}
