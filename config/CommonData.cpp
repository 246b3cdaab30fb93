#include "config/CommonData.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

namespace {

QString homeDir()
{
    return QDir::homePath();
}

QString xdgDir(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return homeDir() + QLatin1Char('/') + fallbackUnderHome;
}

} // namespace

QString CommonData::applicationName()
{
    return QStringLiteral("Voranth");
}

QString CommonData::applicationVersion()
{
    return QStringLiteral(VORANTH_VERSION);
}

QString CommonData::qGameAppFullName()
{
    return QStringLiteral("Quake 3 Arena");
}

QString CommonData::qGameBundleIdentifier()
{
    return QStringLiteral("com.idsoftware.quake3");
}

QString CommonData::qGamePrefsDir()
{
    const QString prefsDir = qEnvironmentVariable("VORANTH_GAME_PREFS_DIR");
    if (!prefsDir.isEmpty())
        return prefsDir;
    return xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/Voranth");
}

QString CommonData::qGamePrefsFile()
{
    return qGamePrefsDir() + QLatin1Char('/') + qGameBundleIdentifier() + QStringLiteral(".plist");
}

QString CommonData::qGameDefaultModDir()
{
    return QStringLiteral("baseq3");
}

QString CommonData::appSupportQGameDir()
{
    return homeDir() + QStringLiteral("/.q3a");
}

QString CommonData::appSupportQ3VXDir()
{
    return xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share")) + QLatin1Char('/') +
           applicationName();
}

QString CommonData::modDirOrDefault(const QString& mod)
{
    return mod.isEmpty() ? qGameDefaultModDir() : mod;
}

QString CommonData::appSupportQ3VXBaseQ3Dir()
{
    return appSupportQ3VXDir() + QLatin1Char('/') + qGameDefaultModDir();
}

namespace {
const QString serversDirName = QStringLiteral("servers");
const QString historyDirName = QStringLiteral("history");
const QString logsDirName = QStringLiteral("logs");
} // namespace

QString CommonData::appSupportServersDir()
{
    return appSupportQ3VXDir() + QLatin1Char('/') + serversDirName;
}

QString CommonData::appSupportHistoryDir()
{
    return appSupportQ3VXDir() + QLatin1Char('/') + historyDirName;
}

QString CommonData::appSupportLogsDir()
{
    return appSupportQ3VXDir() + QLatin1Char('/') + logsDirName;
}

bool CommonData::isOwnDataDirectory(const QString& name)
{
    return name == serversDirName || name == historyDirName || name == logsDirName;
}

QString CommonData::tmpBlockArenasPlistFile()
{
    return QStringLiteral("/tmp/tmpBlkFile-%1.plist").arg(userLoginName());
}

QString CommonData::userLoginName()
{
    const QString fromEnvironment = qEnvironmentVariable("USER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (const passwd* entry = getpwuid(getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(getuid());
}
