#include "config/DataDirectory.h"

#include "config/CommonData.h"
#include "config/StringTable.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t privateMode = S_IRWXU;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Result<void> refused(const QString& reason)
{
    return Result<void>::failure(reason);
}

// One directory of the path: made when missing, accepted when it is a directory or a link to
// one, and otherwise left as it is and reported.
Result<void> settle(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat own;
    if (::lstat(name.constData(), &own) != 0) {
        if (errno != ENOENT)
            return refused(voCommonText(QStringLiteral("DataDirNotReadable"),
                                        QStringLiteral("'%@' cannot be looked at: %@."),
                                        {path, systemError(errno)}));
        if (::mkdir(name.constData(), privateMode) != 0 && errno != EEXIST)
            return refused(voCommonText(QStringLiteral("DataDirNotCreated"),
                                        QStringLiteral("'%@' could not be created: %@."),
                                        {path, systemError(errno)}));
        return {};
    }
    if (S_ISDIR(own.st_mode))
        return {};
    if (S_ISLNK(own.st_mode)) {
        struct stat target;
        if (::stat(name.constData(), &target) == 0 && S_ISDIR(target.st_mode))
            return {};
        return refused(voCommonText(
            QStringLiteral("DataDirLinkNotDirectory"),
            QStringLiteral("'%@' is a link to '%@', which is not a directory (is its volume "
                           "mounted?)."),
            {path, QFile::symLinkTarget(path)}));
    }
    return refused(voCommonText(QStringLiteral("DataDirBlockedByFile"),
                                QStringLiteral("'%@' is in the way: it is not a directory."),
                                {path}));
}

// The data directory is its user's alone; one that is somebody else's is left as it is.
Result<void> makePrivate(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0 || info.st_uid != ::getuid() ||
        (info.st_mode & 07777) == privateMode)
        return {};
    if (::chmod(name.constData(), privateMode) != 0)
        return refused(voCommonText(QStringLiteral("DataDirNotPrivate"),
                                    QStringLiteral("'%@' could not be made private: %@."),
                                    {path, systemError(errno)}));
    return {};
}

} // namespace

Result<void> DataDirectory::prepare()
{
    return prepare(CommonData::appSupportQ3VXDir());
}

Result<void> DataDirectory::prepare(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString prefix;
    for (const QString& part : parts) {
        prefix += QLatin1Char('/') + part;
        const Result<void> step = settle(prefix);
        if (!step.ok())
            return step;
    }
    return makePrivate(clean);
}

QString DataDirectory::unusableTitle()
{
    return voCommonText(QStringLiteral("DataDirUnusableTitle"),
                        QStringLiteral("Voranth's data directory cannot be made!"));
}

QString DataDirectory::unusableMessage(const Result<void>& result)
{
    return voCommonText(QStringLiteral("DataDirUnusableMsg"),
                        QStringLiteral("%@\n\nNothing was changed there. Voranth keeps your "
                                       "server configurations in:\n%@\nMount the volume or move "
                                       "what stands in the way, then start Voranth again."),
                        {result.error, CommonData::appSupportQ3VXDir()});
}
