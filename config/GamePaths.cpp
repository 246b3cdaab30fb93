#include "config/GamePaths.h"

#include "config/CommonData.h"

namespace {

QString arenasPlist()
{
    return QStringLiteral("/VOArenas.plist");
}

QString botsPlist()
{
    return QStringLiteral("/VOBots.plist");
}

} // namespace

GamePaths::GamePaths() : m_qGameModDir(CommonData::qGameDefaultModDir()) {}

GamePaths::GamePaths(const QString& gameRoot, const QString& mod)
    : m_qGameRootDir(gameRoot), m_qGameModDir(mod)
{
}

bool GamePaths::isBaseGame() const
{
    return m_qGameModDir == CommonData::qGameDefaultModDir();
}

QString GamePaths::gameModPath() const
{
    return m_qGameRootDir + QLatin1Char('/') + m_qGameModDir;
}

QString GamePaths::appSupportQGameModDir() const
{
    return CommonData::appSupportQGameDir() + QLatin1Char('/') + m_qGameModDir;
}

QString GamePaths::appSupportQ3VXCurrentModDir() const
{
    return CommonData::appSupportQ3VXDir() + QLatin1Char('/') + m_qGameModDir;
}

QString GamePaths::arenasPlistFileWithPath() const
{
    return appSupportQ3VXCurrentModDir() + arenasPlist();
}

QString GamePaths::botsPlistFileWithPath() const
{
    return appSupportQ3VXCurrentModDir() + botsPlist();
}

QString GamePaths::baseQ3ArenasPlistFileWithPath()
{
    return CommonData::appSupportQ3VXBaseQ3Dir() + arenasPlist();
}

QString GamePaths::baseQ3BotsPlistFileWithPath()
{
    return CommonData::appSupportQ3VXBaseQ3Dir() + botsPlist();
}
