#include "format/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Result<void> failure(const QString& what, const QString& path, int error)
{
    return Result<void>::failure(
        QStringLiteral("%1 %2: %3").arg(what, QFileInfo(path).absoluteFilePath(), reason(error)));
}

mode_t modeOf(QFileDevice::Permissions permissions)
{
    mode_t mode = 0;
    if (permissions & QFileDevice::ReadOwner)
        mode |= S_IRUSR;
    if (permissions & QFileDevice::WriteOwner)
        mode |= S_IWUSR;
    if (permissions & QFileDevice::ExeOwner)
        mode |= S_IXUSR;
    if (permissions & QFileDevice::ReadGroup)
        mode |= S_IRGRP;
    if (permissions & QFileDevice::WriteGroup)
        mode |= S_IWGRP;
    if (permissions & QFileDevice::ExeGroup)
        mode |= S_IXGRP;
    if (permissions & QFileDevice::ReadOther)
        mode |= S_IROTH;
    if (permissions & QFileDevice::WriteOther)
        mode |= S_IWOTH;
    if (permissions & QFileDevice::ExeOther)
        mode |= S_IXOTH;
    return mode;
}

bool writeAll(int fd, const QByteArray& bytes, int* error)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

Result<void> AtomicFile::write(const QString& path, const QByteArray& bytes,
                               QFileDevice::Permissions permissions, Flush flush)
{
    const QFileInfo target(path);
    QByteArray pattern =
        QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                          QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return failure(QStringLiteral("Cannot create a file in"), target.absolutePath(), errno);
    const auto abandon = [&](const QString& what, int error) {
        ::close(fd);
        ::unlink(pattern.constData());
        return failure(what, path, error);
    };
    int error = 0;
    // mkstemp makes the file 0600; the permissions asked for are set before any byte goes in.
    if (::fchmod(fd, modeOf(permissions)) != 0)
        return abandon(QStringLiteral("Cannot set the permissions of"), errno);
    if (!writeAll(fd, bytes, &error))
        return abandon(QStringLiteral("Cannot write"), error);
    if (flush == Flush::ToDisk && ::fsync(fd) != 0)
        return abandon(QStringLiteral("Cannot write"), errno);
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(pattern.constData());
        return failure(QStringLiteral("Cannot write"), path, error);
    }
    // rename(2) replaces the directory entry: a link at the path is replaced, not followed.
    if (::rename(pattern.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
        0) {
        error = errno;
        ::unlink(pattern.constData());
        return failure(QStringLiteral("Cannot replace"), path, error);
    }
    return Result<void>::success();
}

Result<void> AtomicFile::makeDirectories(const QString& path, QFileDevice::Permissions permissions)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const mode_t mode = modeOf(permissions);
    qsizetype end = 0;
    while (end < absolute.size()) {
        end = absolute.indexOf(QLatin1Char('/'), end + 1);
        if (end < 0)
            end = absolute.size();
        const QString component = absolute.left(end);
        const QByteArray name = QFile::encodeName(component);
        struct stat status;
        if (::stat(name.constData(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                return failure(QStringLiteral("Cannot make the directory"), component, ENOTDIR);
            continue;
        }
        if (errno != ENOENT)
            return failure(QStringLiteral("Cannot look at"), component, errno);
        if (::mkdir(name.constData(), mode) != 0 && errno != EEXIST)
            return failure(QStringLiteral("Cannot make the directory"), component, errno);
    }
    return Result<void>::success();
}
