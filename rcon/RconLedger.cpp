#include "rcon/RconLedger.h"

#include "format/AtomicFile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int lockPollMs = 2;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

template <typename T>
Result<T> failure(const QString& what, const QString& path, int error)
{
    return Result<T>::failure(QStringLiteral("%1 %2: %3").arg(what, path, reason(error)));
}

int openLockFile(const QByteArray& name)
{
    // Not blocking: whatever stands at the path, opening it never waits.
    const int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(name.constData(), flags, S_IRUSR | S_IWUSR);
    // A link where the lock file belongs is removed (never its target) and the file made anew.
    if (fd < 0 && errno == ELOOP && ::unlink(name.constData()) == 0)
        fd = ::open(name.constData(), flags, S_IRUSR | S_IWUSR);
    return fd;
}

std::optional<RconLedger::Entry> entryOf(const QByteArray& line)
{
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() != 3)
        return std::nullopt;
    bool levelOk = false;
    bool stampOk = false;
    RconLedger::Entry entry{QString::fromUtf8(fields.at(0)), fields.at(1).toDouble(&levelOk),
                            fields.at(2).toLongLong(&stampOk)};
    if (!levelOk || !stampOk || !std::isfinite(entry.level))
        return std::nullopt;
    return entry;
}

} // namespace

RconLedger::Lock::~Lock()
{
    ::close(m_fd);
}

Result<std::unique_ptr<RconLedger::Lock>> RconLedger::lock(int waitMs) const
{
    using Locked = std::unique_ptr<Lock>;
    // Made for its owner alone, as the data directory it normally is.
    if (const Result<void> directory = AtomicFile::makeDirectories(
            QFileInfo(m_path).absolutePath(),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        !directory.ok())
        return Result<Locked>::failure(directory.error);
    const QString path = lockPath();
    const int fd = openLockFile(QFile::encodeName(path));
    if (fd < 0)
        return failure<Locked>(QStringLiteral("Cannot open the lock file"), path, errno);
    auto held = std::make_unique<Lock>(fd);
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return failure<Locked>(QStringLiteral("Cannot lock"), path, errno);
    if (!S_ISREG(status.st_mode))
        return Result<Locked>::failure(
            QStringLiteral("Cannot lock %1: it is not a regular file").arg(path));
    const QDeadlineTimer deadline(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return failure<Locked>(QStringLiteral("Cannot lock"), path, errno);
        if (deadline.hasExpired())
            return Result<Locked>::failure(
                QStringLiteral("Cannot lock %1: another process has held it for %2 ms")
                    .arg(path)
                    .arg(waitMs));
        QThread::msleep(lockPollMs);
    }
    return Result<Locked>::success(std::move(held));
}

Result<QList<RconLedger::Entry>> RconLedger::read() const
{
    using Entries = QList<Entry>;
    const QByteArray name = QFile::encodeName(m_path);
    // Not blocking, so that a pipe in the ledger's place cannot hold the pacer up. A link in
    // its place counts nothing: the next write replaces it.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT || errno == ELOOP)
            return Result<Entries>::success({});
        return failure<Entries>(QStringLiteral("Cannot read"), m_path, errno);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result<Entries>::failure(
            QStringLiteral("Cannot read %1: %2").arg(m_path, file.errorString()));
    }
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return failure<Entries>(QStringLiteral("Cannot read"), m_path, errno);
    if (S_ISDIR(status.st_mode))
        return failure<Entries>(QStringLiteral("Cannot read"), m_path, EISDIR);
    if (!S_ISREG(status.st_mode))
        return Result<Entries>::failure(
            QStringLiteral("Cannot read %1: it is not a regular file").arg(m_path));
    if (status.st_size > maximumFileSize)
        return Result<Entries>::failure(
            QStringLiteral("Cannot read %1: at %2 bytes it is too large to be a ledger")
                .arg(m_path)
                .arg(status.st_size));
    const QByteArray bytes = file.read(maximumFileSize);
    Entries entries;
    for (const QByteArray& line : bytes.split('\n'))
        if (const std::optional<Entry> entry = entryOf(line))
            entries.append(*entry);
    return Result<Entries>::success(entries);
}

Result<void> RconLedger::write(const QList<Entry>& entries) const
{
    QByteArray bytes;
    for (const Entry& entry : entries)
        bytes += entry.key.toUtf8() + '\t' + QByteArray::number(entry.level, 'g', 12) + '\t' +
                 QByteArray::number(entry.stampMs) + '\n';
    return AtomicFile::write(m_path, bytes, AtomicFile::privatePermissions,
                             AtomicFile::Flush::NotNeeded);
}
