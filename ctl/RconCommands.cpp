#include "ctl/RconCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/VisibleText.h"
#include "content/MapLibrary.h"
#include "ctl/StderrScanInteraction.h"
#include "rcon/RconAlerts.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteControl.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

// Receive timeouts (the quiet gap that ends a reply), in microseconds, as the window uses.
constexpr int statusTimeout = 100000;
constexpr int nextMapTimeout = 40000;
constexpr int commandTimeout = 100000;

class StderrRconAlerts : public RconAlerts
{
public:
    explicit StderrRconAlerts(QTextStream& err) : m_err(err) {}
    void showRconPasswordError(const QString& title, const QString& message) override
    {
        m_err << "voranthctl: " << title << ' ' << message.trimmed() << '\n';
    }

private:
    QTextStream& m_err;
};

QString modOf(const ServerConfig& config)
{
    return config.modName().isEmpty() ? CommonData::qGameDefaultModDir() : config.modName();
}

QString endpointText(const ServerConfig& config)
{
    const auto endpoint = RemoteControl::serverEndpoint(config);
    if (!endpoint)
        return config.netIP();
    return endpoint->first.toString() + QLatin1Char(':') + QString::number(endpoint->second);
}

// The map library of the running server's mod, read as it stands.
std::shared_ptr<MapLibrary> openMapLibrary(const QString& mod)
{
    return std::make_shared<MapLibrary>(GamePaths(GameDirectory::settle(), mod));
}

// A client of the server that was started, or none (with the reason on the error stream).
std::unique_ptr<RemoteControl> connectToRunningServer(const ServerConfig& running,
                                                      std::shared_ptr<MapLibrary> library,
                                                      RconAlerts& alerts, CtlIo& io)
{
    const QProcessCom probe;
    if (probe.serverPid() < 0) {
        io.err << "voranthctl: no server running\n";
        return nullptr;
    }
    std::unique_ptr<RemoteControl> client = RemoteControl::create(
        running, RemoteControlServices::forRunningServer(probe, std::move(library), &alerts));
    if (!client)
        io.err << "voranthctl: cannot reach the server at " << endpointText(running) << '\n';
    return client;
}

std::optional<ServerConfig> runningConfig(CtlIo& io)
{
    std::optional<ServerConfig> running = RunningServer::running();
    if (!running)
        io.err << "voranthctl: no server running\n";
    return running;
}

int reportMissingReply(const RemoteControl& client, CtlIo& io)
{
    if (!client.wrongPassword())
        io.err << "voranthctl: " << client.serverNoResponse() << " at "
               << endpointText(client.rconServerConfig()) << '\n';
    return CtlRefused;
}

// The text of a map for the columns: its name and its title, "-" for what is not known.
QStringList mapCells(const QString& label, const QString& map, const MapLibrary& library)
{
    const QString name =
        map.trimmed().isEmpty() || map == RemoteControl::unknownMap ? QStringLiteral("-") : map;
    const QString title = library.mapTitleForMap(map).trimmed();
    return {label, name,
            title.isEmpty() || title == QLatin1String("-") ? QStringLiteral("-") : title};
}

QJsonValue mapJson(const QStringList& cells)
{
    if (cells.at(1) == QLatin1String("-"))
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("map"), cells.at(1)},
                       {QStringLiteral("title"), cells.at(2) == QLatin1String("-")
                                                     ? QJsonValue(QJsonValue::Null)
                                                     : QJsonValue(cells.at(2))}};
}

// A column of the status table as a number where it is one ("CNCT" for a player still
// connecting stays text).
QJsonValue numberOrText(const QString& column)
{
    bool ok = false;
    const int value = column.trimmed().toInt(&ok);
    return ok ? QJsonValue(value) : QJsonValue(column.trimmed());
}

void printStatus(const RemoteControl& client, const QList<QStringList>& maps,
                 const QList<PlayerStatus>& players, CtlIo& io)
{
    QList<QStringList> rows{{QStringLiteral("server"), client.serverName()},
                            {QStringLiteral("config"), client.runningServerConfigName()}};
    rows.append(maps);
    rows.append({QStringLiteral("players"), QString::number(players.size())});
    printColumns(rows, io.out);
    if (players.isEmpty())
        return;
    QList<QStringList> table{
        {QStringLiteral("NAME"), QStringLiteral("SCORE"), QStringLiteral("PING")}};
    for (const PlayerStatus& player : players)
        table.append({player.name(), player.score().trimmed(), player.ping().trimmed()});
    io.out << '\n';
    printColumns(table, io.out);
}

void printStatusJson(const RemoteControl& client, const QList<QStringList>& maps,
                     const QList<PlayerStatus>& players, CtlIo& io)
{
    QJsonArray playerArray;
    for (const PlayerStatus& player : players)
        playerArray.append(QJsonObject{{QStringLiteral("name"), player.name()},
                                       {QStringLiteral("score"), numberOrText(player.score())},
                                       {QStringLiteral("ping"), numberOrText(player.ping())}});
    const QJsonObject status{{QStringLiteral("server"), client.serverName()},
                             {QStringLiteral("config"), client.runningServerConfigName()},
                             {QStringLiteral("map"), mapJson(maps.at(0))},
                             {QStringLiteral("nextMap"), mapJson(maps.at(1))},
                             {QStringLiteral("players"), playerArray}};
    io.out << QJsonDocument(status).toJson();
}

} // namespace

void RconCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("status"), QStringLiteral("[--json]"),
                     QStringLiteral("the running server's map, next map and players"), &status});
    commands.append({QStringLiteral("rcon"), QStringLiteral("COMMAND..."),
                     QStringLiteral("sends a console command to the running server, prints the "
                                    "reply"),
                     &rcon});
}

int RconCommands::status(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl status [--json]\n";
        return CtlUsageError;
    }
    const std::optional<ServerConfig> running = runningConfig(io);
    if (!running)
        return CtlRefused;
    StderrRconAlerts alerts(io.err);
    const std::shared_ptr<MapLibrary> library = openMapLibrary(modOf(*running));
    const std::unique_ptr<RemoteControl> client =
        connectToRunningServer(*running, library, alerts, io);
    if (!client)
        return CtlRefused;

    client->setServerStatus(statusTimeout);
    if (!client->serverStatusOK())
        return reportMissingReply(*client, io);
    client->setCurrentMap();
    client->setPlayersStatus();
    client->setNextMap(nextMapTimeout);
    if (client->wrongPassword())
        return CtlRefused;

    const QList<QStringList> maps{
        mapCells(QStringLiteral("map"), client->currentMap(), *library),
        mapCells(QStringLiteral("next map"), client->nextMap(), *library)};
    const QList<PlayerStatus> players = client->playersStatus().value_or(QList<PlayerStatus>());
    if (json)
        printStatusJson(*client, maps, players, io);
    else
        printStatus(*client, maps, players, io);
    return CtlOk;
}

int RconCommands::rcon(const QStringList& args, CtlIo& io)
{
    if (args.isEmpty()) {
        io.err << "usage: voranthctl rcon COMMAND...\n";
        return CtlUsageError;
    }
    const std::optional<ServerConfig> running = runningConfig(io);
    if (!running)
        return CtlRefused;
    const QString command = args.join(QLatin1Char(' '));
    if (!RconTransport::requestDatagram(running->rconPassword().toLocal8Bit(),
                                        command.toLocal8Bit())) {
        io.err << "voranthctl: the command is too long (a request holds at most "
               << RconTransport::requestBufferSize << " bytes with the password)\n";
        return CtlRefused;
    }
    StderrRconAlerts alerts(io.err);
    const std::unique_ptr<RemoteControl> client =
        connectToRunningServer(*running, openMapLibrary(modOf(*running)), alerts, io);
    if (!client)
        return CtlRefused;
    if (!client->sendRCon(command, commandTimeout)) {
        io.err << "voranthctl: the command could not be sent to " << endpointText(*running) << '\n';
        return CtlRefused;
    }
    const QString reply = client->receiveRCon();
    if (reply != client->serverNoResponse()) {
        io.out << VisibleText::escapedKeepingLines(reply);
        if (!reply.endsWith(QLatin1Char('\n')))
            io.out << '\n';
        return CtlOk;
    }
    // The server answers some commands ("set ...") with an empty reply.
    if (client->serverAnswered() && !client->wrongPassword())
        return CtlOk;
    return reportMissingReply(*client, io);
}
