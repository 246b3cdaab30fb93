#include "rcon/RemoteCommands.h"

#include "config/CommonData.h"
#include "config/GamePaths.h"
#include "config/ServerConfig.h"
#include "config/StringTable.h"
#include "rcon/RemoteControl.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"

namespace {

constexpr double kickRefreshDelay = 0.5;
constexpr double nextMapRefreshDelay = 3.5;
constexpr double urbanTerrorNextMapRefreshDelay = 4.5;
constexpr double addBotRefreshDelay = 0.6;
constexpr double runConfigRefreshDelay = 2.5;
constexpr double restartBaseDelay = 5.0;
constexpr double restartDelayPerPlayer = 0.02;
constexpr double urbanTerrorRestartExtra = 1.0;

using FollowUp = RemoteCommands::FollowUp;

FollowUp oneShotStatus(double delaySeconds, bool complete = false)
{
    return {FollowUp::Kind::OneShotStatus, delaySeconds, complete};
}

QString modOf(const ServerConfig& config)
{
    return config.modName().isEmpty() ? CommonData::qGameDefaultModDir() : config.modName();
}

// The server's kick command takes these names for every player, or every bot.
bool namesEveryone(const QString& player)
{
    return player.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0 ||
           player.compare(QLatin1String("allbots"), Qt::CaseInsensitive) == 0;
}

} // namespace

RemoteCommands::RemoteCommands(RemoteControl& client)
    : m_client(client), m_clientAlive(client.lifeToken())
{}

QString RemoteCommands::kickText(const QString& player)
{
    return QStringLiteral("kick ") + player;
}

QString RemoteCommands::dumpUserText(const QString& player)
{
    return QStringLiteral("dumpuser ") + player;
}

QString RemoteCommands::restartMapText(bool urbanTerror, const QString& currentMap)
{
    return urbanTerror ? QStringLiteral("map ") + currentMap : QStringLiteral("map_restart");
}

QString RemoteCommands::nextMapText(bool urbanTerror, const QString& nextMap)
{
    return urbanTerror ? QStringLiteral("map ") + nextMap : QStringLiteral("vstr nextmap");
}

QString RemoteCommands::setLimitText(LimitType type, int value)
{
    return QStringLiteral("set %1 %2").arg(limitVariable(type)).arg(value);
}

QString RemoteCommands::addBotText(const QString& bot, int skill, Team team)
{
    return QStringLiteral("addbot %1 %2 %3").arg(bot).arg(skill).arg(teamWord(team));
}

QString RemoteCommands::execText(const QString& configFile)
{
    return QStringLiteral("exec ") + configFile;
}

QString RemoteCommands::sayText(const QString& text)
{
    return QStringLiteral("say ") + text;
}

QString RemoteCommands::quitText()
{
    return QStringLiteral("quit");
}

QString RemoteCommands::limitVariable(LimitType type)
{
    switch (type) {
    case LimitType::Frag:
        return QStringLiteral("fraglimit");
    case LimitType::Time:
        return QStringLiteral("timelimit");
    case LimitType::Capture:
        return QStringLiteral("capturelimit");
    case LimitType::MaxPlayers:
        return QStringLiteral("sv_maxclients");
    case LimitType::None:
        break;
    }
    return {};
}

std::optional<RemoteCommands::LimitType> RemoteCommands::limitTypeForItem(int item)
{
    if (item < int(LimitType::Frag) || item > int(LimitType::MaxPlayers))
        return std::nullopt;
    return LimitType(item);
}

QString RemoteCommands::teamWord(Team team)
{
    switch (team) {
    case Team::Blue:
        return QStringLiteral("blue");
    case Team::Red:
        return QStringLiteral("red");
    case Team::None:
        break;
    }
    return {};
}

RemoteCommands::Team RemoteCommands::teamForRow(int row)
{
    return row == int(Team::Blue) || row == int(Team::Red) ? Team(row) : Team::None;
}

double RemoteCommands::restartDelay(int players, bool urbanTerror)
{
    return restartBaseDelay + restartDelayPerPlayer * std::max(0, players) +
           (urbanTerror ? urbanTerrorRestartExtra : 0.0);
}

bool RemoteCommands::isUrbanTerror(const QString& mod)
{
    return mod == QLatin1String("q3ut2");
}

RemoteCommands::Sent RemoteCommands::refused(const QString& why)
{
    Sent result;
    result.refusal = why;
    return result;
}

RemoteCommands::Sent RemoteCommands::exchange(const QString& command, bool visible, int timeout)
{
    Sent result;
    result.command = command;
    result.visible = visible;
    if (clientGone())
        return refused(rconCommText(QStringLiteral("RconServerGone"),
                                    QStringLiteral("The server was quit meanwhile.")));
    // The send may wait for its turn, and the receive for the reply, in nested event loops.
    const bool sent = m_client.sendRCon(command, timeout);
    if (clientGone() || !sent) {
        result.reply = RemoteControl::noResponseText;
        return result;
    }
    result.reply = m_client.receiveRCon();
    if (clientGone())
        return result;
    result.sent = true;
    result.answered = m_client.serverAnswered();
    result.wrongPassword = m_client.wrongPassword();
    if (visible)
        result.replies.append(result.reply);
    return result;
}

RemoteCommands::Sent RemoteCommands::freeCommand(const QString& text)
{
    return exchange(text, true, commandTimeout);
}

RemoteCommands::Sent RemoteCommands::kick(const QString& player)
{
    if (player.isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoPlayerGiven"),
                                    QStringLiteral("Choose a player first.")));
    if (namesEveryone(player))
        return refused(rconCommText(QStringLiteral("RconKickEveryoneRefused"),
                                    QStringLiteral("A player named '%@' cannot be kicked by "
                                                   "name: the server would kick every player."),
                                    {player}));
    Sent result = exchange(kickText(player), true, commandTimeout);
    if (result.sent)
        result.followUp = oneShotStatus(kickRefreshDelay);
    return result;
}

RemoteCommands::Sent RemoteCommands::dumpUser(const QString& player)
{
    if (player.isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoPlayerGiven"),
                                    QStringLiteral("Choose a player first.")));
    return exchange(dumpUserText(player), true, commandTimeout);
}

RemoteCommands::Sent RemoteCommands::restartMap()
{
    const bool urbanTerror = isUrbanTerror(m_client.rconMod());
    const QString currentMap = m_client.currentMap();
    if (urbanTerror && (currentMap.trimmed().isEmpty() || currentMap == RemoteControl::unknownMap))
        return refused(rconCommText(QStringLiteral("RconNoCurrentMap"),
                                    QStringLiteral("The current map is not known.")));
    const int players = int(m_client.playersStatus().value_or(QList<PlayerStatus>()).size());
    Sent result = exchange(restartMapText(urbanTerror, currentMap), false, commandTimeout);
    if (result.sent)
        result.followUp = oneShotStatus(restartDelay(players, urbanTerror));
    return result;
}

RemoteCommands::Sent RemoteCommands::changeToNextMap()
{
    if (m_client.runningServerConfigName().isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoRunningConfig"),
                                    QStringLiteral("The running configuration is not known.")));
    const bool urbanTerror = isUrbanTerror(m_client.rconMod());
    Sent result;
    if (urbanTerror) {
        // Derived from the configuration: nothing is asked of the server.
        if (!m_client.setNextMap(urbanTerrorNextMapTimeout))
            return refused(rconCommText(QStringLiteral("RconNoNextMap"),
                                        QStringLiteral("The next map is not known.")));
        result = exchange(nextMapText(true, m_client.nextMap()), false, urbanTerrorMapTimeout);
    } else {
        result = exchange(nextMapText(false, QString()), false, commandTimeout);
    }
    if (!result.sent)
        return result;
    m_client.setCurrentMap();
    result.followUp =
        oneShotStatus(urbanTerror ? urbanTerrorNextMapRefreshDelay : nextMapRefreshDelay);
    return result;
}

bool RemoteCommands::previewNextMap()
{
    if (clientGone())
        return false;
    const std::shared_ptr<const bool> alive = m_clientAlive;
    const bool read = m_client.setNextMap(nextMapTimeout);
    return *alive && read && m_client.nextMap() != RemoteControl::unknownMap;
}

RemoteCommands::Sent RemoteCommands::changeLimit(LimitType type, int value)
{
    if (limitVariable(type).isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoLimitType"),
                                    QStringLiteral("Choose a limit type first.")));
    Sent result = exchange(setLimitText(type, value), false, commandTimeout);
    if (!result.sent)
        return result;
    m_client.setLimit(value, int(type));
    result.followUp = {FollowUp::Kind::ReadLimitBack, inputPauseSeconds, false};
    return result;
}

RemoteCommands::Sent RemoteCommands::readLimit(LimitType type)
{
    if (limitVariable(type).isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoLimitType"),
                                    QStringLiteral("Choose a limit type first.")));
    return exchange(limitVariable(type), true, commandTimeout);
}

RemoteCommands::Sent RemoteCommands::addBots(const QStringList& bots, int skill, Team team)
{
    if (bots.isEmpty() || bots.contains(QString()))
        return refused(rconCommText(QStringLiteral("RconNoBotGiven"),
                                    QStringLiteral("Choose at least one bot first.")));
    Sent result;
    QStringList replies;
    bool everyAnswered = true;
    for (const QString& bot : bots) {
        result = exchange(addBotText(bot, skill, team), true, addBotTimeout);
        replies.append(result.replies);
        everyAnswered = everyAnswered && result.answered;
        if (clientGone())
            break;
    }
    result.replies = replies;
    result.answered = everyAnswered;
    if (result.sent)
        result.followUp = oneShotStatus(addBotRefreshDelay);
    return result;
}

RemoteCommands::Sent RemoteCommands::runConfig(const ServerConfig& config,
                                                 const QString& gameRoot)
{
    if (config.configName().isEmpty())
        return refused(rconCommText(QStringLiteral("RconNoRunningConfig"),
                                    QStringLiteral("The running configuration is not known.")));
    if (config.rconPassword().isEmpty())
        return refused(rconCommText(QStringLiteral("RconRunConfigNoPassword"),
                                    QStringLiteral("'%@' has no Remote Control password."),
                                    {config.configName()}));
    const ServerConfig running = ServerConfig::copyOf(m_client.rconServerConfig());
    // The server looks for the file in the mod it runs; a file of another mod is never run.
    if (modOf(config) != modOf(running))
        return refused(rconCommText(QStringLiteral("RconRunConfigOtherMod"),
                                    QStringLiteral("'%@' is a configuration of the mod %@, and "
                                                   "the server runs %@."),
                                    {config.configName(), modOf(config), modOf(running)}));

    ConfigFiles files(GamePaths(gameRoot, modOf(running)));
    const QString file = ConfigFiles::configFileReplacedSpaces(config.configName());
    const bool sameFile = file == ConfigFiles::configFileReplacedSpaces(running.configName());
    // Written without the password: the server keeps the one the client talks with.
    if (const Result<void> written = files.saveConfigToFile(config, false); !written.ok())
        return refused(rconCommText(QStringLiteral("RconRunConfigNotWritten"),
                                    QStringLiteral("The configuration could not be written: %@"),
                                    {written.error}));
    Sent result = exchange(execText(file), true, commandTimeout);
    const bool notExecuted = result.reply.contains(QStringLiteral("couldn't exec"));
    if (!result.sent || result.wrongPassword || notExecuted) {
        if (!sameFile)
            files.deleteConfigFile(config);
        if (notExecuted) {
            result.sent = false;
            result.refusal =
                rconCommText(QStringLiteral("RconRunConfigNotExecuted"),
                             QStringLiteral("The server could not execute %@."), {file});
        }
        return result;
    }

    // The server keeps its socket, its password and, without maps in the new configuration,
    // its map cycle.
    ServerConfig switched = ServerConfig::copyOf(config);
    switched.setRconPassword(running.rconPassword());
    switched.setNetIP(running.netIP());
    switched.setNetPort(running.netPort());
    if (switched.mapsCount() == 0)
        switched.setMapList(running.mapList());
    m_client.setRunningServerConfigName(switched.configName());
    m_client.setServerNameFromConfig(switched.serverName());
    m_client.setRconServerConfig(switched);
    RunningServer::switchConfiguration(switched);
    if (!sameFile)
        files.deleteConfigFile(running);
    result.followUp = oneShotStatus(runConfigRefreshDelay, true);
    return result;
}

RemoteCommands::Sent RemoteCommands::quit()
{
    Sent result = exchange(quitText(), true, quitTimeout);
    if (result.sent)
        result.followUp = {FollowUp::Kind::DisablePane, 0, false};
    return result;
}

RemoteCommands::Sent RemoteCommands::say(const QString& text)
{
    Sent result = exchange(sayText(text), false, sayTimeout);
    if (result.sent)
        result.followUp = {FollowUp::Kind::PauseInput, inputPauseSeconds, false};
    return result;
}

RemoteCommands::Refresh RemoteCommands::refreshStatus(RconPacer::Traffic traffic)
{
    if (clientGone())
        return Refresh::NoReply;
    const std::shared_ptr<const bool> alive = m_clientAlive;
    if (traffic == RconPacer::Traffic::Poll) {
        if (!m_client.pollServerStatus(statusTimeout))
            return Refresh::GaveWay;
    } else {
        m_client.setServerStatus(statusTimeout);
    }
    if (!*alive || !m_client.serverStatusOK())
        return Refresh::NoReply;
    m_client.setCurrentMap();
    m_client.setPlayersStatus();
    return Refresh::Refreshed;
}
