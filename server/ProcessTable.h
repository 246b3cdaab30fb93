#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

#include <sys/types.h>

// The process table as Linux shows it under /proc, read anew at every call and cached
// nowhere (a process may end at any moment, and then its files read as absent). The root may
// be another directory laid out like /proc, which is how tests lay out tables of their own.
class ProcessTable
{
public:
    // The fields of /proc/PID/stat that Voranth needs.
    struct Stat
    {
        char state = '?';
        qint32 ppid = 0;
        // Field 22: when the process started, in clock ticks since the boot.
        quint64 startTime = 0;

        bool isZombie() const { return state == 'Z' || state == 'X'; }
    };

    static QString systemRoot() { return QStringLiteral("/proc"); }

    explicit ProcessTable(QString root = systemRoot());

    const QString& root() const { return m_root; }
    bool isSystemTable() const;

    // The ids of every process in the table.
    QList<qint32> pids() const;
    // The process that reads the table (the "self" link), or 0.
    qint32 ownPid() const;
    std::optional<uid_t> ownerOf(qint32 pid) const;
    std::optional<Stat> stat(qint32 pid) const;
    // The arguments of its command line; empty for kernel threads and processes that ended.
    QList<QByteArray> arguments(qint32 pid) const;
    // Whether the environment the process was started with holds the entry "NAME=VALUE".
    bool environmentHolds(qint32 pid, const QByteArray& entry) const;
    // The inodes of the sockets among its open files ("socket:[INODE]" links in fd/).
    QSet<quint64> socketInodes(qint32 pid) const;
    // The inodes of the UDP sockets (IPv4 and IPv6) bound to the local port.
    QSet<quint64> udpSocketInodes(quint16 port) const;
    // The id of the running boot (sys/kernel/random/boot_id), or empty.
    QString bootId() const;

    // "PID (COMM) STATE PPID ...": the command name may hold blanks and parentheses, so the
    // fields are counted from the last closing parenthesis.
    static std::optional<Stat> parseStat(const QByteArray& text);
    // A process id from a directory name; 0 for anything but a plain positive number.
    static qint32 pidFromName(const QString& name);

private:
    QString pidPath(qint32 pid, const char* file) const;

    QString m_root;
};
