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
    return CommonData::modDirOrDefault(config.modName());
}

// What a status reading means for the refresh: only a whole status table is shown.
RemoteCommands::Refresh refreshOf(RemoteControl::StatusRead read, RemoteControl& client)
{
    using Read = RemoteControl::StatusRead;
    using Refresh = RemoteCommands::Refresh;
    switch (read) {
    case Read::GaveWay:
        return Refresh::GaveWay;
    case Read::NoReply:
        return Refresh::NoReply;
    case Read::NotAStatus:
        return Refresh::NotAStatus;
    case Read::CutShort:
        return Refresh::CutShort;
    case Read::Read:
        break;
    }
    client.setCurrentMap();
    client.setPlayersStatus();
    return Refresh::Refreshed;
}

} // namespace

RemoteCommands::RemoteCommands(RemoteControl& client, QObject* context)
    : m_client(client), m_context(context)
{}

QString RemoteCommands::kickText(int slot)
{
    return QStringLiteral("clientkick ") + QString::number(slot);
}

QString RemoteCommands::dumpUserText(int slot)
{
    return QStringLiteral("dumpuser ") + QString::number(slot);
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

void RemoteCommands::refuse(const QString& why, Done done)
{
    Sent result;
    result.refusal = why;
    QMetaObject::invokeMethod(
        m_context ? m_context : &m_client, [result, done] { done(result); },
        Qt::QueuedConnection);
}

void RemoteCommands::exchange(const QString& command, bool visible, int timeout, Done done)
{
    m_client.sendRCon(command, timeout, m_context,
                      [command, visible, done](const RemoteControl::Reply& reply) {
                          Sent result;
                          result.command = command;
                          result.visible = visible;
                          result.reply = reply.text;
                          result.sent = reply.sent;
                          result.answered = reply.answered;
                          result.wrongPassword = reply.wrongPassword;
                          if (reply.sent && visible)
                              result.replies.append(reply.text);
                          done(result);
                      });
}

namespace {

QString noPlayerRefusal()
{
    return rconCommText(QStringLiteral("RconNoPlayerGiven"), QStringLiteral("Choose a player first."));
}

QString noLimitTypeRefusal()
{
    return rconCommText(QStringLiteral("RconNoLimitType"),
                        QStringLiteral("Choose a limit type first."));
}

QString noRunningConfigRefusal()
{
    return rconCommText(QStringLiteral("RconNoRunningConfig"),
                        QStringLiteral("The running configuration is not known."));
}

// The outcome of a command with its follow-up, when every request of it went out.
RemoteCommands::Done withFollowUp(RemoteCommands::FollowUp followUp, RemoteCommands::Done done)
{
    return [followUp, done](RemoteCommands::Sent result) {
        if (result.sent)
            result.followUp = followUp;
        done(result);
    };
}

} // namespace

void RemoteCommands::freeCommand(const QString& text, Done done)
{
    exchange(text, true, commandTimeout, std::move(done));
}

void RemoteCommands::kick(int slot, Done done)
{
    if (slot < 0)
        return refuse(noPlayerRefusal(), std::move(done));
    exchange(kickText(slot), true, commandTimeout,
             withFollowUp(oneShotStatus(kickRefreshDelay), std::move(done)));
}

void RemoteCommands::dumpUser(int slot, Done done)
{
    if (slot < 0)
        return refuse(noPlayerRefusal(), std::move(done));
    exchange(dumpUserText(slot), true, commandTimeout, std::move(done));
}

void RemoteCommands::restartMap(Done done)
{
    const bool urbanTerror = isUrbanTerror(m_client.rconMod());
    const QString currentMap = m_client.currentMap();
    if (urbanTerror && (currentMap.trimmed().isEmpty() || currentMap == RemoteControl::unknownMap))
        return refuse(rconCommText(QStringLiteral("RconNoCurrentMap"),
                                   QStringLiteral("The current map is not known.")),
                      std::move(done));
    const int players = int(m_client.playersStatus().value_or(QList<PlayerStatus>()).size());
    exchange(restartMapText(urbanTerror, currentMap), false, commandTimeout,
             withFollowUp(oneShotStatus(restartDelay(players, urbanTerror)), std::move(done)));
}

void RemoteCommands::changeToNextMap(Done done)
{
    if (m_client.runningServerConfigName().isEmpty())
        return refuse(noRunningConfigRefusal(), std::move(done));
    const bool urbanTerror = isUrbanTerror(m_client.rconMod());
    // Derived from the configuration for Urban Terror: nothing is asked of the server.
    if (urbanTerror && !m_client.setNextMapForUrbanTerror())
        return refuse(rconCommText(QStringLiteral("RconNoNextMap"),
                                   QStringLiteral("The next map is not known.")),
                      std::move(done));
    RemoteControl* client = &m_client;
    const FollowUp followUp =
        oneShotStatus(urbanTerror ? urbanTerrorNextMapRefreshDelay : nextMapRefreshDelay);
    exchange(nextMapText(urbanTerror, m_client.nextMap()), false,
             urbanTerror ? urbanTerrorMapTimeout : commandTimeout,
             withFollowUp(followUp, [client, done](const Sent& result) {
                 if (result.sent)
                     client->setCurrentMap();
                 done(result);
             }));
}

void RemoteCommands::previewNextMap(std::function<void(bool)> done)
{
    RemoteControl* client = &m_client;
    m_client.setNextMap(nextMapTimeout, m_context, [client, done](bool read) {
        done(read && client->nextMap() != RemoteControl::unknownMap);
    });
}

void RemoteCommands::changeLimit(LimitType type, int value, Done done)
{
    if (limitVariable(type).isEmpty())
        return refuse(noLimitTypeRefusal(), std::move(done));
    RemoteControl* client = &m_client;
    QObject* context = m_context;
    exchange(setLimitText(type, value), false, commandTimeout,
             [client, context, type, value, done](const Sent& set) {
                 if (!set.sent || set.wrongPassword)
                     return done(set);
                 client->setLimit(value, int(type));
                 // The server's own answer to the variable shows the value it took.
                 client->pauseRequests(int(inputPauseSeconds * 1000));
                 RemoteCommands(*client, context).readLimit(type, done);
             });
}

void RemoteCommands::readLimit(LimitType type, Done done)
{
    if (limitVariable(type).isEmpty())
        return refuse(noLimitTypeRefusal(), std::move(done));
    exchange(limitVariable(type), true, commandTimeout, std::move(done));
}

void RemoteCommands::addBots(const QStringList& bots, int skill, Team team,
                             std::function<void(const QString&)> eachReply, Done done)
{
    if (bots.isEmpty() || bots.contains(QString()))
        return refuse(rconCommText(QStringLiteral("RconNoBotGiven"),
                                   QStringLiteral("Choose at least one bot first.")),
                      std::move(done));
    // Every addbot is queued at once; they go in order, and the last one's outcome ends the
    // command with every visible reply.
    struct Progress
    {
        QStringList replies;
        bool everyAnswered = true;
        qsizetype left = 0;
    };
    auto progress = std::make_shared<Progress>();
    progress->left = bots.size();
    const Done finished = withFollowUp(oneShotStatus(addBotRefreshDelay), std::move(done));
    for (const QString& bot : bots) {
        exchange(addBotText(bot, skill, team), true, addBotTimeout,
                 [progress, eachReply, finished](Sent result) {
                     progress->replies.append(result.replies);
                     progress->everyAnswered = progress->everyAnswered && result.answered;
                     if (result.sent && eachReply)
                         eachReply(result.reply);
                     if (--progress->left > 0)
                         return;
                     result.replies = progress->replies;
                     result.answered = progress->everyAnswered;
                     finished(result);
                 });
    }
}

void RemoteCommands::runConfig(const ServerConfig& config, const QString& gameRoot, Done done)
{
    if (config.configName().isEmpty())
        return refuse(noRunningConfigRefusal(), std::move(done));
    if (config.rconPassword().isEmpty())
        return refuse(rconCommText(QStringLiteral("RconRunConfigNoPassword"),
                                   QStringLiteral("'%@' has no Remote Control password."),
                                   {config.configName()}),
                      std::move(done));
    const ServerConfig running = ServerConfig::copyOf(m_client.rconServerConfig());
    // The server looks for the file in the mod it runs; a file of another mod is never run.
    if (modOf(config) != modOf(running))
        return refuse(rconCommText(QStringLiteral("RconRunConfigOtherMod"),
                                   QStringLiteral("'%@' is a configuration of the mod %@, and "
                                                  "the server runs %@."),
                                   {config.configName(), modOf(config), modOf(running)}),
                      std::move(done));

    const GamePaths paths(gameRoot, modOf(running));
    ConfigFiles files(paths);
    const QString file = ConfigFiles::configFileReplacedSpaces(config.configName());
    const bool sameFile = file == ConfigFiles::configFileReplacedSpaces(running.configName());
    // Written without the password: the server keeps the one the client talks with.
    if (const Result<void> written = files.saveConfigToFile(config, false); !written.ok())
        return refuse(rconCommText(QStringLiteral("RconRunConfigNotWritten"),
                                   QStringLiteral("The configuration could not be written: %@"),
                                   {written.error}),
                      std::move(done));
    RemoteControl* client = &m_client;
    const ServerConfig chosen = ServerConfig::copyOf(config);
    exchange(execText(file), true, commandTimeout,
             [client, paths, chosen, running, file, sameFile, done](Sent result) {
                 ConfigFiles files(paths);
                 const bool notExecuted = result.reply.contains(QStringLiteral("couldn't exec"));
                 if (!result.sent || result.wrongPassword || notExecuted) {
                     if (!sameFile)
                         files.deleteConfigFile(chosen);
                     if (notExecuted) {
                         result.sent = false;
                         result.refusal = rconCommText(
                             QStringLiteral("RconRunConfigNotExecuted"),
                             QStringLiteral("The server could not execute %@."), {file});
                     }
                     return done(result);
                 }
                 // The server keeps its socket, its password and, without maps in the new
                 // configuration, its map cycle.
                 ServerConfig switched = ServerConfig::copyOf(chosen);
                 switched.setRconPassword(running.rconPassword());
                 switched.setNetIP(running.netIP());
                 switched.setNetPort(running.netPort());
                 if (switched.mapsCount() == 0)
                     switched.setMapList(running.mapList());
                 client->setRunningServerConfigName(switched.configName());
                 client->setServerNameFromConfig(switched.serverName());
                 client->setRconServerConfig(switched);
                 RunningServer::switchConfiguration(client->launchToken(), switched);
                 if (!sameFile)
                     files.deleteConfigFile(running);
                 result.followUp = oneShotStatus(runConfigRefreshDelay, true);
                 done(result);
             });
}

void RemoteCommands::quit(Done done)
{
    exchange(quitText(), true, quitTimeout,
             withFollowUp({FollowUp::Kind::DisablePane, 0, false}, std::move(done)));
}

void RemoteCommands::say(const QString& text, Done done)
{
    RemoteControl* client = &m_client;
    exchange(sayText(text), false, sayTimeout, [client, done](const Sent& result) {
        if (result.sent)
            client->pauseRequests(int(inputPauseSeconds * 1000));
        done(result);
    });
}

void RemoteCommands::refreshStatus(RconPacer::Traffic traffic, std::function<void(Refresh)> done)
{
    RemoteControl* client = &m_client;
    m_client.setServerStatus(statusTimeout, traffic, m_context,
                             [client, done](RemoteControl::StatusRead read) {
                                 done(refreshOf(read, *client));
                             });
}
