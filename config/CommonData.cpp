#include "config/CommonData.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/PlistReader.h"

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

struct Values
{
    QString qGameRootDir;
    QString qGameModDir;
    QString qGamePrefsDir;
    QString appSupportQGameDir;
    QString appSupportQ3VXDir;
    QString appSupportQ3VXBaseQ3Dir;
    QString appSupportQ3VXCurrentModDir;
    QString arenasPlistFileWithPath;
    QString botsPlistFileWithPath;
    QString baseQ3ArenasPlistFileWithPath;
    QString baseQ3BotsPlistFileWithPath;
    QString tmpBlockArenasPlistFile;
};

// The game's preferences hold the folder its own open dialog showed last: the installation.
QString gameDirectoryFromGamePreferences()
{
    QFile file(CommonData::qGamePrefsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const PlistReader::Result parsed = PlistReader::parse(file.readAll());
    if (!parsed.ok())
        return {};
    return parsed.value.toMap().value(QStringLiteral("NSDefaultOpenDirectory")).toString();
}

Values makeValues()
{
    Values v;
    v.qGameRootDir = QString();
    v.qGameModDir = CommonData::qGameDefaultModDir();
    const QString prefsDir = qEnvironmentVariable("VORANTH_GAME_PREFS_DIR");
    v.qGamePrefsDir = prefsDir.isEmpty() ? xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config")) +
                                               QStringLiteral("/Voranth")
                                         : prefsDir;
    v.appSupportQGameDir = homeDir() + QStringLiteral("/.q3a");
    v.appSupportQ3VXDir = xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share")) +
                          QLatin1Char('/') + CommonData::applicationName();
    v.appSupportQ3VXBaseQ3Dir = v.appSupportQ3VXDir + QStringLiteral("/baseq3");
    v.appSupportQ3VXCurrentModDir = v.appSupportQ3VXBaseQ3Dir;
    v.tmpBlockArenasPlistFile =
        QStringLiteral("/tmp/tmpBlkFile-%1.plist").arg(CommonData::userLoginName());
    return v;
}

Values& values()
{
    static Values v = makeValues();
    return v;
}

bool& gamePreferencesRead()
{
    static bool done = false;
    return done;
}

} // namespace

void CommonData::initialize()
{
    Values& v = values();
    if (gamePreferencesRead())
        return;
    gamePreferencesRead() = true;
    const QString fromGame = gameDirectoryFromGamePreferences();
    if (!fromGame.isEmpty()) {
        v.qGameRootDir = fromGame;
        UserDefaults::setValue(KZXQGameRootDir, fromGame);
    }
}

QString CommonData::applicationName()
{
    return QStringLiteral("Voranth");
}

QString CommonData::applicationVersion()
{
    return QStringLiteral(VORANTH_VERSION);
}

QString CommonData::qGameAppName()
{
    return QStringLiteral("Quake3");
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
    return values().qGamePrefsDir;
}

QString CommonData::qGamePrefsFile()
{
    return qGamePrefsDir() + QLatin1Char('/') + qGameBundleIdentifier() + QStringLiteral(".plist");
}

QString CommonData::qGameRootDir()
{
    initialize();
    return values().qGameRootDir;
}

void CommonData::setQGameRootDir(const QString& dir)
{
    initialize();
    values().qGameRootDir = dir;
}

QString CommonData::qGameDefaultModDir()
{
    return QStringLiteral("baseq3");
}

QString CommonData::qGameModDir()
{
    return values().qGameModDir;
}

void CommonData::setQGameModDir(const QString& mod)
{
    values().qGameModDir = mod;
}

QString CommonData::appSupportQGameDir()
{
    return values().appSupportQGameDir;
}

QString CommonData::appSupportQ3VXDir()
{
    return values().appSupportQ3VXDir;
}

QString CommonData::appSupportQ3VXBaseQ3Dir()
{
    return values().appSupportQ3VXBaseQ3Dir;
}

QString CommonData::appSupportQ3VXCurrentModDir()
{
    return values().appSupportQ3VXCurrentModDir;
}

void CommonData::setAppSupportQ3VXCurrentModDirForMod(const QString& mod)
{
    values().appSupportQ3VXCurrentModDir = appSupportQ3VXDir() + QLatin1Char('/') + mod;
}

QString CommonData::arenasPlistFileWithPath()
{
    return values().arenasPlistFileWithPath;
}

void CommonData::setArenasPlistFileWithPath(const QString& path)
{
    values().arenasPlistFileWithPath = path;
}

QString CommonData::botsPlistFileWithPath()
{
    return values().botsPlistFileWithPath;
}

void CommonData::setBotsPlistFileWithPath(const QString& path)
{
    values().botsPlistFileWithPath = path;
}

QString CommonData::baseQ3ArenasPlistFileWithPath()
{
    return values().baseQ3ArenasPlistFileWithPath;
}

void CommonData::setBaseQ3ArenasPlistFileWithPath(const QString& path)
{
    values().baseQ3ArenasPlistFileWithPath = path;
}

QString CommonData::baseQ3BotsPlistFileWithPath()
{
    return values().baseQ3BotsPlistFileWithPath;
}

void CommonData::setBaseQ3BotsPlistFileWithPath(const QString& path)
{
    values().baseQ3BotsPlistFileWithPath = path;
}

QString CommonData::tmpBlockArenasPlistFile()
{
    return values().tmpBlockArenasPlistFile;
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
