#include "server/QProcessCom.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <optional>

#include <signal.h>
#include <sys/stat.h>

namespace {

const QString kSystemProcRoot = QStringLiteral("/proc");

// The fields of /proc/PID/stat the search needs.
struct ProcessStat
{
    char state = '?';
    qint32 ppid = 0;
};

struct Candidate
{
    qint32 pid = 0;
    qint32 ppid = 0;
    QByteArray execFile; // the argument after "+exec", unquoted
};

// A process id from a directory name; 0 for anything that is not a plain positive number.
qint32 pidFromName(const QString& name)
{
    if (name.isEmpty() || name.size() > 10)
        return 0;
    if (!std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.isDigit(); }))
        return 0;
    bool ok = false;
    const qint32 pid = name.toInt(&ok);
    return ok && pid > 0 ? pid : 0;
}

// The whole file, or nothing when it cannot be opened (a process may end at any moment).
std::optional<QByteArray> readProcFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<uid_t> ownerOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info.st_uid;
}

// "PID (COMM) STATE PPID ...": the command name may hold blanks and parentheses, so the
// fields are counted from the last closing parenthesis.
std::optional<ProcessStat> parseStat(const QByteArray& text)
{
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = text.mid(close + 1).simplified().split(' ');
    if (fields.size() < 2 || fields.at(0).size() != 1)
        return std::nullopt;
    bool ok = false;
    const qint32 ppid = fields.at(1).toInt(&ok);
    if (!ok || ppid < 0)
        return std::nullopt;
    return ProcessStat{fields.at(0).at(0), ppid};
}

// The arguments of /proc/PID/cmdline; empty for kernel threads and processes that ended.
QList<QByteArray> argumentsOf(const QByteArray& cmdline)
{
    QList<QByteArray> arguments = cmdline.split('\0');
    while (!arguments.isEmpty() && arguments.constLast().isEmpty())
        arguments.removeLast();
    return arguments;
}

// The position of the "+exec" argument, or -1.
qsizetype execPosition(const QList<QByteArray>& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i)
        if (arguments.at(i).compare("+exec", Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// The file a server executes: the argument after "+exec", without the quotes the launch
// command wraps it in.
QByteArray execFileOf(const QList<QByteArray>& arguments)
{
    const qsizetype at = execPosition(arguments);
    QByteArray file = at >= 0 ? arguments.value(at + 1) : QByteArray();
    if (file.size() >= 2 && file.startsWith('"') && file.endsWith('"'))
        file = file.mid(1, file.size() - 2);
    return file;
}

bool looksLikeServer(const QList<QByteArray>& arguments, const QByteArray& name)
{
    return execPosition(arguments) >= 0 && (name.isEmpty() || arguments.join(' ').contains(name));
}

bool hasMatchingChild(const Candidate& process, const QList<Candidate>& candidates)
{
    return std::any_of(candidates.cbegin(), candidates.cend(),
                       [&](const Candidate& other) { return other.ppid == process.pid; });
}

// The lowest id of the candidates that are not the parent of another candidate, or -1.
qint32 lowestInnermost(const QList<Candidate>& candidates)
{
    qint32 found = -1;
    for (const Candidate& candidate : candidates) {
        if (hasMatchingChild(candidate, candidates))
            continue;
        if (found == -1 || candidate.pid < found)
            found = candidate.pid;
    }
    return found;
}

// The live processes of uid under procRoot that look like a server of the named executable
// (any executable for an empty name); only the process onlyPid when it is positive.
QList<Candidate> findCandidates(const QString& procRoot, uid_t uid, const QByteArray& name,
                                qint32 onlyPid)
{
    // The probe's own process never counts, whatever its arguments.
    const qint32 ownPid =
        pidFromName(QFileInfo(QFileInfo(procRoot + "/self").symLinkTarget()).fileName());

    QList<Candidate> candidates;
    const QStringList entries =
        onlyPid > 0 ? QStringList{QString::number(onlyPid)}
                    : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries) {
        const qint32 pid = pidFromName(entry);
        if (pid == 0 || pid == ownPid)
            continue;
        const QString dir = procRoot + '/' + entry;
        if (ownerOf(dir) != uid)
            continue;
        const std::optional<QByteArray> cmdline = readProcFile(dir + "/cmdline");
        if (!cmdline)
            continue;
        const QList<QByteArray> arguments = argumentsOf(*cmdline);
        if (!looksLikeServer(arguments, name))
            continue;
        const std::optional<QByteArray> statText = readProcFile(dir + "/stat");
        const std::optional<ProcessStat> stat = statText ? parseStat(*statText) : std::nullopt;
        if (!stat || stat->state == 'Z' || stat->state == 'X')
            continue;
        candidates.append({pid, stat->ppid, execFileOf(arguments)});
    }
    return candidates;
}

} // namespace

QProcessCom::QProcessCom() : QProcessCom(kSystemProcRoot, ::getuid()) {}

QProcessCom::QProcessCom(const QString& procRoot, uid_t uid) : m_procRoot(procRoot), m_uid(uid) {}

QProcessCom QProcessCom::forServer(const Target& target)
{
    return forServer(target, kSystemProcRoot);
}

QProcessCom QProcessCom::forServer(const Target& target, const QString& procRoot, uid_t uid)
{
    QProcessCom probe(procRoot, uid);
    probe.m_target = target;
    return probe;
}

qint32 QProcessCom::serverPid() const
{
    return serverPidForName(UserDefaults::stringValue(KZXDedicatedAppName));
}

int QProcessCom::serverState() const
{
    return serverPid() == -1 ? 0 : 1;
}

bool QProcessCom::killServerProcess() const
{
    if (QDir(m_procRoot).canonicalPath() != kSystemProcRoot)
        return false;
    const qint32 pid = serverPid();
    // Never 0 or negative: kill(2) would signal a whole process group.
    if (pid <= 0)
        return false;
    return ::kill(pid, SIGTERM) == 0;
}

qint32 QProcessCom::serverPidForName(const QString& name) const
{
    // Once the server's process id is known, that process is the server as long as it
    // executes the same file, whatever the executable's name is set to meanwhile.
    const bool knownProcess = m_target && m_target->pid > 0;
    if (!knownProcess && name.trimmed().isEmpty())
        return -1;
    const QList<Candidate> candidates =
        findCandidates(m_procRoot, m_uid, knownProcess ? QByteArray() : QFile::encodeName(name),
                       knownProcess ? m_target->pid : 0);
    if (!m_target)
        return lowestInnermost(candidates);

    const QByteArray execFile = QFile::encodeName(m_target->execFile);
    QList<Candidate> ours;
    for (const Candidate& candidate : candidates)
        if (!execFile.isEmpty() && candidate.execFile == execFile &&
            (!knownProcess || candidate.pid == m_target->pid))
            ours.append(candidate);
    return lowestInnermost(ours);
}
