#include "server/ServerLog.h"

#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "format/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString configSuffix = QStringLiteral(".config");

QString baseOf(const QString& execFile)
{
    QString base = QFileInfo(execFile).fileName();
    if (base.endsWith(configSuffix))
        base.chop(configSuffix.size());
    return CommonData::appSupportLogsDir() + QLatin1Char('/') + base;
}

// How much of a log's end one read takes while looking for its last lines.
constexpr qint64 tailChunk = 64 * 1024;

} // namespace

QString ServerLog::pathFor(const QString& execFile)
{
    return baseOf(execFile) + QStringLiteral(".log");
}

QString ServerLog::earlierRunPath(const QString& execFile, int run)
{
    return baseOf(execFile) + QLatin1Char('.') + QString::number(run) + QStringLiteral(".log");
}

Result<QString> ServerLog::beginRun(const QString& execFile)
{
    if (const Result<void> data = DataDirectory::prepare(); !data.ok())
        return Result<QString>::failure(data.error);
    const QString directory = CommonData::appSupportLogsDir();
    if (const Result<void> made = AtomicFile::makeDirectories(
            directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        !made.ok())
        return Result<QString>::failure(made.error);
    QFile::remove(earlierRunPath(execFile, keptRuns));
    for (int run = keptRuns - 1; run >= 1; --run)
        if (QFileInfo::exists(earlierRunPath(execFile, run)))
            QFile::rename(earlierRunPath(execFile, run), earlierRunPath(execFile, run + 1));
    const QString path = pathFor(execFile);
    if (QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
        QFile::rename(path, earlierRunPath(execFile, 1));
    else
        QFile::remove(path);
    // Made anew, never through a link someone left at its place.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result<QString>::failure(
            QStringLiteral("%1 could not be made: %2")
                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    ::close(fd);
    return Result<QString>::success(path);
}

QStringList ServerLog::lastLines(const QString& path, int count, qint64 end)
{
    QFile file(path);
    if (count <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = end < 0 ? file.size() : std::min(end, file.size());
    QByteArray tail;
    qint64 start = size;
    // Reads backwards until the part read holds more line ends than lines are asked for.
    while (start > 0 && tail.count('\n') <= count) {
        const qint64 from = std::max<qint64>(0, start - tailChunk);
        file.seek(from);
        tail.prepend(file.read(start - from));
        start = from;
    }
    QStringList lines = QString::fromUtf8(tail).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    // A line cut at the start of what was read is not whole.
    if (start > 0 && !lines.isEmpty())
        lines.removeFirst();
    return lines.mid(std::max<qsizetype>(0, lines.size() - count));
}
