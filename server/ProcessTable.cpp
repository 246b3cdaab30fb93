#include "server/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Field 22 of the stat line is the 20th after the command name (the state is the 3rd).
constexpr qsizetype startTimeField = 22 - 3;

// The whole file, or nothing when it cannot be opened.
std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The target of a symbolic link as it is written, without resolving it (socket links name
// nothing on the file system).
QByteArray linkText(const QString& path)
{
    char buffer[256];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length > 0 ? QByteArray(buffer, int(length)) : QByteArray();
}

// "socket:[12345]" gives 12345; anything else 0.
quint64 socketInodeOf(const QByteArray& link)
{
    static const QByteArray prefix("socket:[");
    if (!link.startsWith(prefix) || !link.endsWith(']'))
        return 0;
    bool ok = false;
    const quint64 inode = link.mid(prefix.size(), link.size() - prefix.size() - 1).toULongLong(&ok);
    return ok ? inode : 0;
}

// The sockets of a /proc/net/udp-style table bound to the port: "sl local_address
// rem_address st tx:rx tr:tm retrnsmt uid timeout inode ...", the address as HEX:PORT in hex.
void collectUdpInodes(const QByteArray& table, quint16 port, QSet<quint64>& inodes)
{
    const QList<QByteArray> lines = table.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).simplified().split(' ');
        if (fields.size() < 10)
            continue;
        const QByteArray& local = fields.at(1);
        const qsizetype colon = local.lastIndexOf(':');
        bool portOk = false;
        bool inodeOk = false;
        const uint localPort = local.mid(colon + 1).toUInt(&portOk, 16);
        const quint64 inode = fields.at(9).toULongLong(&inodeOk);
        if (colon > 0 && portOk && inodeOk && inode != 0 && localPort == port)
            inodes.insert(inode);
    }
}

} // namespace

ProcessTable::ProcessTable(QString root) : m_root(std::move(root)) {}

bool ProcessTable::isSystemTable() const
{
    return QDir(m_root).canonicalPath() == systemRoot();
}

QString ProcessTable::pidPath(qint32 pid, const char* file) const
{
    return QStringLiteral("%1/%2/%3").arg(m_root).arg(pid).arg(QLatin1String(file));
}

qint32 ProcessTable::pidFromName(const QString& name)
{
    if (name.isEmpty() || name.size() > 10)
        return 0;
    if (!std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.isDigit(); }))
        return 0;
    bool ok = false;
    const qint32 pid = name.toInt(&ok);
    return ok && pid > 0 ? pid : 0;
}

QList<qint32> ProcessTable::pids() const
{
    QList<qint32> found;
    const QStringList entries =
        QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries)
        if (const qint32 pid = pidFromName(entry); pid > 0)
            found.append(pid);
    return found;
}

qint32 ProcessTable::ownPid() const
{
    return pidFromName(QString::fromLocal8Bit(linkText(m_root + QStringLiteral("/self"))));
}

std::optional<uid_t> ProcessTable::ownerOf(qint32 pid) const
{
    struct stat info = {};
    const QString dir = QStringLiteral("%1/%2").arg(m_root).arg(pid);
    if (::stat(QFile::encodeName(dir).constData(), &info) != 0)
        return std::nullopt;
    return info.st_uid;
}

std::optional<ProcessTable::Stat> ProcessTable::parseStat(const QByteArray& text)
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
    Stat stat;
    stat.state = fields.at(0).at(0);
    stat.ppid = ppid;
    // A line without a start time names no process that can be told apart from its
    // successors: 0, which never matches a recorded start.
    stat.startTime = fields.value(startTimeField).toULongLong();
    return stat;
}

std::optional<ProcessTable::Stat> ProcessTable::stat(qint32 pid) const
{
    const std::optional<QByteArray> text = readFile(pidPath(pid, "stat"));
    return text ? parseStat(*text) : std::nullopt;
}

QList<QByteArray> ProcessTable::arguments(qint32 pid) const
{
    QList<QByteArray> arguments = readFile(pidPath(pid, "cmdline")).value_or(QByteArray()).split('\0');
    while (!arguments.isEmpty() && arguments.constLast().isEmpty())
        arguments.removeLast();
    return arguments;
}

bool ProcessTable::environmentHolds(qint32 pid, const QByteArray& entry) const
{
    const QByteArray environment = readFile(pidPath(pid, "environ")).value_or(QByteArray());
    return environment.split('\0').contains(entry);
}

QSet<quint64> ProcessTable::socketInodes(qint32 pid) const
{
    QSet<quint64> inodes;
    const QString dir = pidPath(pid, "fd");
    const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::System |
                                                    QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries)
        if (const quint64 inode = socketInodeOf(linkText(dir + QLatin1Char('/') + entry)); inode)
            inodes.insert(inode);
    return inodes;
}

QSet<quint64> ProcessTable::udpSocketInodes(quint16 port) const
{
    QSet<quint64> inodes;
    for (const char* table : {"/net/udp", "/net/udp6"})
        collectUdpInodes(readFile(m_root + QLatin1String(table)).value_or(QByteArray()), port,
                         inodes);
    return inodes;
}

QString ProcessTable::bootId() const
{
    return QString::fromLatin1(
        readFile(m_root + QStringLiteral("/sys/kernel/random/boot_id")).value_or(QByteArray()).trimmed());
}
