#include "ctl/RconCommands.h"

#include "config/VisibleText.h"
#include "content/MapLibrary.h"
#include "ctl/RunningServerSession.h"
#include "ctl/ServerChoice.h"
#include "rcon/RconTransport.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

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
    commands.append({QStringLiteral("status"), QStringLiteral("[--server NAME] [--json]"),
                     QStringLiteral("the running server's map, next map and players"), &status});
    commands.append({QStringLiteral("rcon"), QStringLiteral("[--server NAME] COMMAND..."),
                     QStringLiteral("sends a console command to the running server, prints the "
                                    "reply"),
                     &rcon});
}

int RconCommands::status(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    bool ok = true;
    const QString server = ServerChoice::take(arguments, ok);
    if (!ok || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl status [--server NAME] [--json]\n";
        return CtlUsageError;
    }
    RunningServerSession session(io);
    if (!session.open(server))
        return CtlRefused;
    RemoteControl& client = session.client();
    const RemoteCommands::Refresh refresh = session.refreshStatus();
    if (refresh == RemoteCommands::Refresh::CutShort) {
        io.err << "voranthctl: the server's status reply was cut short\n";
        return CtlRefused;
    }
    if (refresh == RemoteCommands::Refresh::NotAStatus) {
        io.err << "voranthctl: the server did not answer with its status: "
               << VisibleText::escaped(client.serverStatus().trimmed()) << '\n';
        return CtlRefused;
    }
    if (refresh != RemoteCommands::Refresh::Refreshed)
        return session.reportMissingReply();
    session.readNextMap();
    if (client.wrongPassword())
        return CtlRefused;

    const QList<QStringList> maps{
        mapCells(QStringLiteral("map"), client.currentMap(), session.library()),
        mapCells(QStringLiteral("next map"), client.nextMap(), session.library())};
    const QList<PlayerStatus> players = client.playersStatus().value_or(QList<PlayerStatus>());
    if (json)
        printStatusJson(client, maps, players, io);
    else
        printStatus(client, maps, players, io);
    return CtlOk;
}

int RconCommands::rcon(const QStringList& args, CtlIo& io)
{
    QStringList words = args;
    bool ok = true;
    const QString server = ServerChoice::takeLeading(words, ok);
    if (!ok || words.isEmpty()) {
        io.err << "usage: voranthctl rcon [--server NAME] COMMAND...\n";
        return CtlUsageError;
    }
    RunningServerSession session(io);
    if (!session.open(server))
        return CtlRefused;
    const QString command = words.join(QLatin1Char(' '));
    if (!RconTransport::requestDatagram(session.client().password().toLocal8Bit(),
                                        command.toLocal8Bit())) {
        io.err << "voranthctl: the command is too long (a request holds at most "
               << RconTransport::requestBufferSize << " bytes with the password)\n";
        return CtlRefused;
    }
    const RemoteCommands::Sent result = session.run(
        [&](RemoteCommands& commands, auto done) { commands.freeCommand(command, done); });
    if (!result.sent) {
        io.err << "voranthctl: the command could not be sent to " << session.endpointText() << '\n';
        return CtlRefused;
    }
    if (result.reply != RemoteControl::noResponseText) {
        io.out << VisibleText::escapedKeepingLines(result.reply);
        if (!result.reply.endsWith(QLatin1Char('\n')))
            io.out << '\n';
        return CtlOk;
    }
    // The server answers some commands ("set ...") with an empty reply.
    if (result.answered && !result.wrongPassword)
        return CtlOk;
    return session.reportMissingReply();
}
