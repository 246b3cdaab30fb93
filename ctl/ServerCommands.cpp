#include "ctl/ServerCommands.h"

#include "ctl/Await.h"
#include "ctl/ServerChoice.h"

#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/ConfigStore.h"
#include "config/GameDirectory.h"
#include "config/VisibleText.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "server/TerminalLauncher.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// How long a started server may take to appear (it is found once it listens on its port),
// to answer, and a stopped one to end.
constexpr int serverAppearMs = 20000;
constexpr int serverAnswerMs = 20000;
constexpr int serverEndMs = ServerLauncher::stopTimeoutMs;

// Waits until the server answers its remote console, so that the commands that follow reach
// it; false when it does not within timeoutMs.
bool waitUntilAnswering(const RunningServer::Record& server, int timeoutMs)
{
    const std::unique_ptr<RemoteControl> client = RemoteControl::create(
        server.config, RemoteControlServices::forLaunch(server.launchToken, nullptr));
    if (!client)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    const auto refresh = [&] {
        return Await::value<RemoteCommands::Refresh>([&](QObject* context, auto done) {
            RemoteCommands(*client, context).refreshStatus(RconPacer::Traffic::Command, done);
        });
    };
    // Each query without an answer waits about a second for it.
    while (refresh() != RemoteCommands::Refresh::Refreshed) {
        if (client->wrongPassword() || deadline.hasExpired() ||
            ServerLauncher::serverPid(server.launchToken) == -1)
            return false;
    }
    return true;
}

// The stored configurations, read without changing anything (an unreadable store stays
// where it is for the window to deal with).
std::optional<ConfigArchive::Store> readStore(CtlIo& io)
{
    const QString path = ConfigStore::storePath();
    if (!QFileInfo::exists(path))
        return ConfigArchive::Store();
    Result<ConfigArchive::Store> store = ConfigArchive::read(path);
    if (!store.ok()) {
        io.err << "voranthctl: the configuration store " << path
               << " cannot be read: " << store.error << '\n';
        return std::nullopt;
    }
    return std::move(store.value);
}

bool refuseProblem(ServerLauncher::Problem problem, const ServerConfig& config,
                   const QString& gameRoot, CtlIo& io)
{
    if (problem == ServerLauncher::Problem::None)
        return false;
    const ServerLauncher::Alert alert = ServerLauncher::alertFor(problem, config, gameRoot);
    io.err << "voranthctl: " << alert.title << '\n' << alert.message << '\n';
    if (problem == ServerLauncher::Problem::RconPasswordNotSet)
        io.err << "(--no-rcon starts the server without remote control)\n";
    if (problem == ServerLauncher::Problem::ServerAlreadyRunning)
        io.err << "(voranthctl stop --server " << VisibleText::escaped(config.configName())
               << " quits it)\n";
    return true;
}

// Says how the stop of one server went; true when it has ended.
bool reportStop(const ServerLauncher::StopResult& result, CtlIo& io)
{
    const QString name = VisibleText::escaped(result.runningConfig.value_or(QString()));
    if (result.neverFound) {
        io.err << "voranthctl: no server process of '" << name
               << "' was found; the record of its start is removed\n";
        return false;
    }
    if (result.stillRunning) {
        io.err << "voranthctl: the server of '" << name << "' (process " << result.serverPid << ") "
               << (result.killedPid == -1 ? "could not be sent the terminate signal"
                                          : "still runs after the terminate signal")
               << "; Voranth keeps it as a running server\n";
        return false;
    }
    if (result.killedPid == -1) {
        io.err << "voranthctl: the server of '" << name << "' had ended already\n";
        return false;
    }
    io.out << "stopped " << result.killedPid << " (" << name << ")\n";
    return true;
}

QString modOf(const ServerConfig& config)
{
    return CommonData::modDirOrDefault(config.modName());
}

QString stateOf(const RunningServer::Record& server)
{
    return server.serverFound() ? QStringLiteral("running") : QStringLiteral("starting");
}

QString startedText(const RunningServer::Record& server)
{
    return server.startedAt.toLocalTime().toString(Qt::ISODate);
}

QJsonObject serverJson(const RunningServer::Record& server)
{
    return {{QStringLiteral("configuration"), server.config.configName()},
            {QStringLiteral("mod"), modOf(server.config)},
            {QStringLiteral("pid"), server.pid},
            {QStringLiteral("port"), int(server.config.serverPort())},
            {QStringLiteral("started"), startedText(server)},
            {QStringLiteral("state"), stateOf(server)}};
}

} // namespace

void ServerCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("start"), QStringLiteral("NAME [--no-rcon]"),
                     QStringLiteral("start the server with a configuration; prints its process "
                                    "id (--no-rcon: even without a remote-control password)"),
                     &start});
    commands.append({QStringLiteral("stop"), QStringLiteral("[--server NAME | --all]"),
                     QStringLiteral("stop a running server (or all of them) and remove its "
                                    "configuration file"),
                     &stop});
    commands.append({QStringLiteral("running"), QStringLiteral("[--json]"),
                     QStringLiteral("every running server: configuration, mod, process id, "
                                    "port, start and state"),
                     &running});
}

int ServerCommands::start(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool noRcon = arguments.takeFlag(QStringLiteral("--no-rcon"));
    if (!arguments.firstUnknownOption().isEmpty() || arguments.rest().size() != 1) {
        io.err << "usage: voranthctl start NAME [--no-rcon]\n";
        return CtlUsageError;
    }
    const QString name = arguments.rest().first();
    const std::optional<ConfigArchive::Store> store = readStore(io);
    if (!store)
        return CtlRefused;
    if (!store->contains(name)) {
        io.err << "voranthctl: no configuration named '" << VisibleText::escaped(name) << "'\n";
        return CtlRefused;
    }
    const ServerConfig config = store->value(name);
    const QString gameRoot = GameDirectory::settle();
    if (gameRoot.isEmpty()) {
        io.err << "voranthctl: the game directory is not known; name it with voranthctl scan "
                  "--game-dir DIR\n";
        return CtlRefused;
    }
    if (refuseProblem(ServerLauncher::check(config, gameRoot, noRcon), config, gameRoot, io))
        return CtlRefused;

    const Result<RunningServer::Record> started = ServerLauncher::start(config, gameRoot);
    if (!started.ok()) {
        io.err << "voranthctl: the server could not be started: " << started.error << '\n';
        return CtlRefused;
    }
    const RunningServer::Record& server = started.value;
    const qint32 pid = ServerLauncher::waitForServer(server.launchToken, serverAppearMs);
    if (pid == -1) {
        ServerLauncher::stop(server.launchToken, 0);
        io.err << "voranthctl: the server did not start";
        if (TerminalLauncher::chosenTerminal().isEmpty())
            io.err << "; its output is in " << TerminalLauncher::serverLogFile();
        io.err << '\n';
        return CtlRefused;
    }
    if (!config.rconPassword().isEmpty() && !waitUntilAnswering(server, serverAnswerMs))
        io.err << "voranthctl: the server (process " << pid
               << ") does not answer its remote console yet\n";
    io.out << pid << '\n';
    return CtlOk;
}

int ServerCommands::stop(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool all = arguments.takeFlag(QStringLiteral("--all"));
    bool ok = true;
    const QString name = ServerChoice::take(arguments, ok);
    if (!ok || (all && !name.isEmpty()) || !arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl stop [--server NAME | --all]\n";
        return CtlUsageError;
    }
    QList<RunningServer::Record> servers;
    if (all) {
        servers = ServerLauncher::runningServers();
        if (servers.isEmpty()) {
            io.err << "voranthctl: no server running\n";
            return CtlRefused;
        }
    } else if (const std::optional<RunningServer::Record> server =
                   ServerChoice::findStartedOrStarting(name, io)) {
        servers.append(*server);
    } else {
        return CtlRefused;
    }
    bool allStopped = true;
    for (const RunningServer::Record& server : servers)
        allStopped =
            reportStop(ServerLauncher::stop(server.launchToken, serverEndMs), io) && allStopped;
    return allStopped ? CtlOk : CtlRefused;
}

int ServerCommands::running(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl running [--json]\n";
        return CtlUsageError;
    }
    const QList<RunningServer::Record> servers = ServerLauncher::runningServers();
    if (json) {
        QJsonArray array;
        for (const RunningServer::Record& server : servers)
            array.append(serverJson(server));
        io.out << QJsonDocument(array).toJson(QJsonDocument::Compact) << '\n';
    }
    if (servers.isEmpty()) {
        io.err << "voranthctl: no server running\n";
        return CtlRefused;
    }
    if (json)
        return CtlOk;
    QList<QStringList> rows{{QStringLiteral("CONFIGURATION"), QStringLiteral("MOD"),
                             QStringLiteral("PID"), QStringLiteral("PORT"),
                             QStringLiteral("STARTED"), QStringLiteral("STATE")}};
    for (const RunningServer::Record& server : servers)
        rows.append({server.config.configName(), modOf(server.config),
                     server.serverFound() ? QString::number(server.pid) : QStringLiteral("-"),
                     QString::number(server.config.serverPort()), startedText(server),
                     stateOf(server)});
    printColumns(rows, io.out);
    return CtlOk;
}
