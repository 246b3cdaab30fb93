#include "ctl/QueryCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/VisibleText.h"
#include "content/GameTypes.h"
#include "content/MapLibrary.h"
#include "content/ModSupport.h"
#include "ctl/ServerChoice.h"
#include "rcon/QueryReport.h"
#include "rcon/ServerEndpoint.h"
#include "rcon/ServerQuery.h"

#include <QEventLoop>
#include <QJsonDocument>

namespace {

const QString usageText = QStringLiteral("HOST[:PORT] | --server NAME [--json]");

int usage(CtlIo& io, const QString& why = QString())
{
    if (!why.isEmpty())
        io.err << "voranthctl: " << why << '\n';
    io.err << "usage: voranthctl query " << usageText << '\n';
    return CtlUsageError;
}

// Both requests run together; the loop ends when both have an outcome.
struct QueryRun
{
    QueryReport report;
    std::optional<ServerQuery::Failure> infoFailure;
    std::optional<ServerQuery::Failure> statusFailure;
    int timeoutMs = ServerQuery::defaultTimeoutMs;

    // The failure that says most: anything but silence first.
    ServerQuery::Failure failure() const
    {
        for (const std::optional<ServerQuery::Failure>& f : {infoFailure, statusFailure})
            if (f && *f != ServerQuery::Failure::NoAnswer)
                return *f;
        return ServerQuery::Failure::NoAnswer;
    }
};

QueryRun runQuery(const ServerEndpoint& endpoint)
{
    QueryRun run;
    run.report.endpoint = endpoint.text();
    ServerQuery query(endpoint.host, endpoint.port);
    run.timeoutMs = query.options().timeoutMs;
    QEventLoop loop;
    int outstanding = 2;
    auto done = [&] {
        if (--outstanding == 0)
            loop.quit();
    };
    QObject::connect(&query, &ServerQuery::infoReceived, &loop, [&](const ServerInfoReply& reply) {
        run.report.info = reply;
        done();
    });
    QObject::connect(&query, &ServerQuery::statusReceived, &loop,
                     [&](const ServerStatusReply& reply) {
                         run.report.status = reply;
                         done();
                     });
    QObject::connect(&query, &ServerQuery::failed, &loop,
                     [&](ServerQuery::Request request, ServerQuery::Failure failure) {
                         (request == ServerQuery::Request::Info ? run.infoFailure
                                                                : run.statusFailure) = failure;
                         done();
                     });
    query.requestInfo();
    query.requestStatus();
    loop.exec();
    return run;
}

QString orDash(const QString& text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("-") : text;
}

QString playersLine(const QueryReport& report)
{
    const std::optional<int> clients = report.clients();
    const std::optional<int> maxClients = report.maxClients();
    QString line = clients ? QString::number(*clients) : QStringLiteral("?");
    if (maxClients)
        line += QStringLiteral(" of ") + QString::number(*maxClients);
    if (const std::optional<PeopleCount> count = report.count())
        line += QStringLiteral(": %1 %2, %3 %4")
                    .arg(count->people)
                    .arg(count->people == 1 ? QStringLiteral("person") : QStringLiteral("people"))
                    .arg(count->bots)
                    .arg(count->bots == 1 ? QStringLiteral("bot") : QStringLiteral("bots"));
    else
        line += QStringLiteral(" (people and bots not told apart)");
    return line;
}

QString gameTypeLine(const QueryReport& report)
{
    const std::optional<int> type = report.gameType();
    if (!type)
        return QStringLiteral("-");
    return report.gameTypeName.isEmpty()
               ? QString::number(*type)
               : QStringLiteral("%1 (%2)").arg(report.gameTypeName).arg(*type);
}

QString kindText(PeopleCount::Kind kind)
{
    switch (kind) {
    case PeopleCount::Kind::Person:
        return QStringLiteral("person");
    case PeopleCount::Kind::Bot:
        return QStringLiteral("bot");
    case PeopleCount::Kind::PersonOrBot:
        break;
    }
    return QStringLiteral("person or bot");
}

void printReport(const QueryRun& run, CtlIo& io)
{
    const QueryReport& report = run.report;
    const QString map = report.mapName();
    QList<QStringList> rows{
        {QStringLiteral("server"), orDash(InfoString::withoutColourCodes(report.hostName()))},
        {QStringLiteral("address"), report.endpoint},
        {QStringLiteral("map"), orDash(map), report.mapTitle.isEmpty() ? QString() : report.mapTitle},
        {QStringLiteral("game type"), gameTypeLine(report)},
        {QStringLiteral("players"), playersLine(report)},
        {QStringLiteral("password"), report.needPassword() ? QStringLiteral("yes") : QStringLiteral("no")}};
    if (!report.mod().isEmpty())
        rows.insert(3, {QStringLiteral("mod"), report.mod()});
    for (QStringList& row : rows)
        if (row.size() == 3 && row.last().isEmpty())
            row.removeLast();
    printColumns(rows, io.out);
    if (!report.status) {
        io.out << '\n'
               << "players not listed: "
               << ServerQuery::failureText(*run.statusFailure, report.endpoint, run.timeoutMs) << '\n';
        return;
    }
    const QList<QueryPlayer> players = report.players();
    if (players.isEmpty())
        return;
    const QList<PeopleCount::Kind> kinds = report.playerKinds();
    QList<QStringList> table{{QStringLiteral("NAME"), QStringLiteral("SCORE"), QStringLiteral("PING"),
                              QStringLiteral("KIND")}};
    for (qsizetype i = 0; i < players.size(); ++i)
        table.append({players.at(i).visibleName(), QString::number(players.at(i).score),
                      QString::number(players.at(i).ping), kindText(kinds.at(i))});
    io.out << '\n';
    printColumns(table, io.out);
    if (report.status->playersLeftOut > 0)
        io.out << "(" << report.status->playersLeftOut << " more players not listed)\n";
}

QString modOf(const QueryReport& report)
{
    return CommonData::modDirOrDefault(report.mod());
}

} // namespace

void QueryCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("query"), usageText,
                     QStringLiteral("what any Quake III server plays and who plays on it "
                                    "(public status protocol, no rcon)"),
                     &query});
}

void QueryCommands::addWhatTheDatabasesKnow(QueryReport& report)
{
    // Only a mod with a database of ours: the server names the mod, and no name it sends
    // leads anywhere else.
    const QString mod = modOf(report);
    const ModSupport mods;
    if (!mods.foundMods().contains(mod))
        return;
    if (const std::optional<int> type = report.gameType()) {
        if (const GameTypes* types = mods.gameTypesForMod(mod)) {
            for (qsizetype i = 0; i < types->gametypeNumbers().size(); ++i)
                if (GameTypes::integerValue(types->gametypeNumbers().at(i)) == *type)
                    report.gameTypeName = types->gametypeNames().value(i);
        }
    }
    const QString map = report.mapName();
    if (map.isEmpty())
        return;
    const MapLibrary library(GamePaths(GameDirectory::settle(), mod));
    const QString name = library.mapLibraryKeys().contains(map)
                             ? map
                             : library.mapDBNameForServerMap(map).value_or(QString());
    const QString title = name.isEmpty() ? QString() : library.mapTitleForMap(name).trimmed();
    if (!title.isEmpty() && title != MapLibrary::unknownMapMarker().trimmed())
        report.mapTitle = title;
}

int QueryCommands::query(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    bool ok = true;
    const QString serverName = arguments.takeOption(QStringLiteral("--server"), ok);
    if (!ok)
        return usage(io);
    const int endpoints = serverName.isEmpty() ? 1 : 0;
    if (!arguments.firstUnknownOption().isEmpty() || arguments.rest().size() != endpoints)
        return usage(io);
    ServerEndpoint endpoint;
    if (!serverName.isEmpty()) {
        const std::optional<RunningServer::Record> server =
            ServerChoice::findStartedOrStarting(serverName, io);
        if (!server)
            return CtlRefused;
        endpoint = ServerEndpoint::ofServer(server->config);
    } else {
        const Result<ServerEndpoint> parsed = ServerEndpoint::parse(arguments.rest().first());
        if (!parsed.ok())
            return usage(io, parsed.error);
        endpoint = parsed.value;
    }

    QueryRun run = runQuery(endpoint);
    if (run.report.answered())
        addWhatTheDatabasesKnow(run.report);
    const QString failure =
        ServerQuery::failureText(run.failure(), run.report.endpoint, run.timeoutMs);
    if (json) {
        QJsonObject object = run.report.toJson();
        if (!run.report.answered())
            object.insert(QStringLiteral("error"), failure);
        io.out << QJsonDocument(object).toJson();
    } else if (run.report.answered()) {
        printReport(run, io);
    }
    if (!run.report.answered()) {
        io.err << "voranthctl: " << failure << '\n';
        return CtlRefused;
    }
    return CtlOk;
}
