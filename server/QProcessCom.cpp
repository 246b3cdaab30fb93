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

bool looksLikeServer(const QList<QByteArray>& arguments, const QByteArray& name)
{
    const bool executesConfig =
        std::any_of(arguments.cbegin(), arguments.cend(), [](const QByteArray& argument) {
            return argument.compare("+exec", Qt::CaseInsensitive) == 0;
        });
    return executesConfig && arguments.join(' ').contains(name);
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

} // namespace

QProcessCom::QProcessCom() : QProcessCom(kSystemProcRoot, ::getuid()) {}

QProcessCom::QProcessCom(const QString& procRoot, uid_t uid) : m_procRoot(procRoot), m_uid(uid) {}

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
    if (name.trimmed().isEmpty())
        return -1;
    const QByteArray wanted = QFile::encodeName(name);
    // The probe's own process never counts, whatever its arguments.
    const qint32 ownPid =
        pidFromName(QFileInfo(QFileInfo(m_procRoot + "/self").symLinkTarget()).fileName());

    QList<Candidate> candidates;
    const QStringList entries =
        QDir(m_procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries) {
        const qint32 pid = pidFromName(entry);
        if (pid == 0 || pid == ownPid)
            continue;
        const QString dir = m_procRoot + '/' + entry;
        if (ownerOf(dir) != m_uid)
            continue;
        const std::optional<QByteArray> cmdline = readProcFile(dir + "/cmdline");
        if (!cmdline || !looksLikeServer(argumentsOf(*cmdline), wanted))
            continue;
        const std::optional<QByteArray> statText = readProcFile(dir + "/stat");
        const std::optional<ProcessStat> stat = statText ? parseStat(*statText) : std::nullopt;
        if (!stat || stat->state == 'Z' || stat->state == 'X')
            continue;
        candidates.append({pid, stat->ppid});
    }
    return lowestInnermost(candidates);
}
