#pragma once

#include "format/Result.h"

#include <QList>
#include <QString>

#include <memory>

// The file in which the pacers of every process of the user share their counts: one line per
// server, "KEY<tab>LEVEL<tab>STAMP". It is changed only under its lock (an flock on the lock
// file beside it, which the system releases when a holder ends) and replaced whole by
// AtomicFile. Every failure says which file and why, so that a ledger that cannot be used is
// reported rather than silently ignored.
class RconLedger
{
public:
    struct Entry
    {
        QString key;
        double level = 0;
        qint64 stampMs = 0;
    };

    // Nothing larger is a ledger of this machine's servers; it is not read.
    static constexpr qint64 maximumFileSize = 64 * 1024;

    // Held for as long as the object lives.
    class Lock
    {
    public:
        explicit Lock(int fd) : m_fd(fd) {}
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        int m_fd;
    };

    explicit RconLedger(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }
    QString lockPath() const { return m_path + QStringLiteral(".lock"); }

    // Takes the lock within waitMs, making the ledger's directory and the lock file when
    // missing; a link in the lock file's place is replaced, not followed.
    Result<std::unique_ptr<Lock>> lock(int waitMs) const;
    // The entries; a missing ledger holds none. Lines that are not entries are skipped.
    Result<QList<Entry>> read() const;
    Result<void> write(const QList<Entry>& entries) const;

private:
    QString m_path;
};
