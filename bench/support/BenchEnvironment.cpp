#include "bench/support/BenchEnvironment.h"

#include "config/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

qint64 statusFieldKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // The file reports a size of 0, so it is read to its end rather than line by line.
    const QByteArray prefix = field + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) // "VmHWM:     12345 kB"
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

void BenchEnvironment::useScratchHome(const QString& root)
{
    QDir().mkpath(root);
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("VORANTH_GAME_PREFS_DIR", (root + QStringLiteral("/gameprefs")).toLocal8Bit());
}

void BenchEnvironment::nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Voranth"));
    QCoreApplication::setApplicationName(QStringLiteral("Voranth"));
    UserDefaults::registerDefaults();
}

QString BenchEnvironment::sourceDir()
{
    return QStringLiteral(VORANTH_SOURCE_DIR);
}

qint64 BenchEnvironment::peakResidentKiB()
{
    return statusFieldKiB("VmHWM");
}

qint64 BenchEnvironment::residentKiB()
{
    return statusFieldKiB("VmRSS");
}

QString BenchEnvironment::loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}
