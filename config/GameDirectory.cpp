#include "config/GameDirectory.h"

#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "format/PlistReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool GameDirectory::isValid(const QString& dir)
{
    return !dir.isEmpty() &&
           QFileInfo(dir + QLatin1Char('/') + CommonData::qGameDefaultModDir()).isDir();
}

QString GameDirectory::fromGamePreferences()
{
    QFile file(CommonData::qGamePrefsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const PlistReader::Result parsed = PlistReader::parse(file.readAll());
    if (!parsed.ok())
        return {};
    return parsed.value.toMap().value(QStringLiteral("NSDefaultOpenDirectory")).toString();
}

QString GameDirectory::settle()
{
    const QString fromGame = fromGamePreferences();
    if (!fromGame.isEmpty()) {
        if (UserDefaults::stringValue(KZXQGameRootDir) != fromGame)
            UserDefaults::setValue(KZXQGameRootDir, fromGame);
        return fromGame;
    }
    const QString stored = UserDefaults::stringValue(KZXQGameRootDir);
    return isValid(stored) ? stored : QString();
}

QString GameDirectory::choose(const QString& dir)
{
    const QString clean = QDir::cleanPath(QDir(dir).absolutePath());
    UserDefaults::setValue(KZXQGameRootDir, clean);
    UserDefaults::sync();
    return clean;
}
