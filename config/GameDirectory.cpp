#include "config/GameDirectory.h"

#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

bool GameDirectory::isValid(const QString& dir)
{
    return !dir.isEmpty() &&
           QFileInfo(dir + QLatin1Char('/') + CommonData::qGameDefaultModDir()).isDir();
}

QString GameDirectory::settle()
{
    if (!CommonData::qGameRootDir().isEmpty())
        return CommonData::qGameRootDir();
    const QString stored = UserDefaults::stringValue(KZXQGameRootDir);
    if (isValid(stored))
        CommonData::setQGameRootDir(stored);
    return CommonData::qGameRootDir();
}

void GameDirectory::choose(const QString& dir)
{
    const QString clean = QDir::cleanPath(QDir(dir).absolutePath());
    CommonData::setQGameRootDir(clean);
    UserDefaults::setValue(KZXQGameRootDir, clean);
    UserDefaults::sync();
}
