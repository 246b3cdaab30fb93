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
#include "server/ServiceHost.h"
#include "server/UserServiceManager.h"

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

// The stored configuration of that name and the game directory; none, with the reason on the
// error stream, when either is missing.
std::optional<std::pair<ServerConfig, QString>> configAndGameRoot(const QString& name, CtlIo& io)
{
    const std::optional<ConfigArchive::Store> store = readStore(io);
    if (!store)
        return std::nullopt;
    if (!store->contains(name)) {
        io.err << "voranthctl: no configuration named '" << VisibleText::escaped(name) << "'\n";
        return std::nullopt;
    }
    const QString gameRoot = GameDirectory::settle();
    if (gameRoot.isEmpty()) {
        io.err << "voranthctl: the game directory is not known; name it with voranthctl scan "
                  "--game-dir DIR\n";
        return std::nullopt;
    }
    return std::make_pair(store->value(name), gameRoot);
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

// A server whose service the manager gave up on is listed as failed.
struct Listed
{
    RunningServer::Record server;
    bool failed = false;
};

QList<Listed> listedServers()
{
    QList<Listed> listed;
    for (const RunningServer::Record& server : ServerLauncher::runningServers())
        listed.append({server, false});
    for (const RunningServer::Record& server : ServerLauncher::failedServices())
        listed.append({server, true});
    return listed;
}

QString stateOf(const Listed& listed)
{
    if (listed.failed)
        return QStringLiteral("failed");
    if (listed.server.serverFound())
        return QStringLiteral("running");
    return listed.server.hostedAsService() &&
                   UserServiceManager::state(listed.server.unitName).restarting()
               ? QStringLiteral("restarting")
               : QStringLiteral("starting");
}

QString hostingOf(const RunningServer::Record& server)
{
    if (!server.hostedAsService())
        return ServerHosting::terminalText();
    return ServiceHost::isEnabled(server.config) ? QStringLiteral("service, at login")
                                                 : ServerHosting::serviceText();
}

QString startedText(const RunningServer::Record& server)
{
    return server.startedAt.toLocalTime().toString(Qt::ISODate);
}

QJsonObject serverJson(const Listed& listed)
{
    const RunningServer::Record& server = listed.server;
    return {{QStringLiteral("configuration"), server.config.configName()},
            {QStringLiteral("mod"), modOf(server.config)},
            {QStringLiteral("pid"), server.pid},
            {QStringLiteral("port"), int(server.config.serverPort())},
            {QStringLiteral("started"), startedText(server)},
            {QStringLiteral("state"), stateOf(listed)},
            {QStringLiteral("hosting"), hostingOf(server)},
            {QStringLiteral("unit"), server.unitName},
            {QStringLiteral("log"), server.logFile},
            {QStringLiteral("note"), ServiceHost::restartNote(server)}};
}

} // namespace

void ServerCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("start"),
                     QStringLiteral("NAME [--no-rcon] [--service | --terminal]"),
                     QStringLiteral("start the server with a configuration; prints its process "
                                    "id (--no-rcon: even without a remote-control password; "
                                    "--service, --terminal: hosted so this once, whatever the "
                                    "setting \"Server Hosting\" says)"),
                     &start});
    commands.append({QStringLiteral("stop"), QStringLiteral("[--server NAME | --all]"),
                     QStringLiteral("stop a running server (or all of them) and remove its "
                                    "configuration file"),
                     &stop});
    commands.append({QStringLiteral("enable"), QStringLiteral("NAME"),
                     QStringLiteral("start the configuration's server at login as a service of "
                                    "the user's service manager (it writes and enables a unit "
                                    "file)"),
                     &enable});
    commands.append({QStringLiteral("disable"), QStringLiteral("NAME"),
                     QStringLiteral("no longer start the configuration's server at login (a "
                                    "server that runs runs on)"),
                     &disable});
    commands.append({QStringLiteral("running"), QStringLiteral("[--json]"),
                     QStringLiteral("every running server: configuration, mod, process id, "
                                    "port, start, state, hosting and restarts (a service the "
                                    "service manager gave up on is listed as failed)"),
                     &running});
}

int ServerCommands::start(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool noRcon = arguments.takeFlag(QStringLiteral("--no-rcon"));
    const bool asService = arguments.takeFlag(QStringLiteral("--service"));
    const bool inTerminal = arguments.takeFlag(QStringLiteral("--terminal"));
    if (!arguments.firstUnknownOption().isEmpty() || arguments.rest().size() != 1 ||
        (asService && inTerminal)) {
        io.err << "usage: voranthctl start NAME [--no-rcon] [--service | --terminal]\n";
        return CtlUsageError;
    }
    const ServerHosting::Way way = asService    ? ServerHosting::Way::Service
                                   : inTerminal ? ServerHosting::Way::Terminal
                                                : ServerHosting::chosen();
    const auto found = configAndGameRoot(arguments.rest().first(), io);
    if (!found)
        return CtlRefused;
    const auto& [config, gameRoot] = *found;
    if (refuseProblem(ServerLauncher::check(config, gameRoot, noRcon), config, gameRoot, io))
        return CtlRefused;

    const Result<RunningServer::Record> started = ServerLauncher::start(config, gameRoot, way);
    if (!started.ok()) {
        io.err << "voranthctl: the server could not be started: " << started.error << '\n';
        return CtlRefused;
    }
    const RunningServer::Record& server = started.value;
    const qint32 pid = ServerLauncher::waitForServer(server.launchToken, serverAppearMs);
    if (pid == -1) {
        ServerLauncher::stop(server.launchToken, 0);
        io.err << "voranthctl: the server did not start";
        if (!server.logFile.isEmpty())
            io.err << "; its output is in " << server.logFile;
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
    const QList<RunningServer::Record> failed = ServerLauncher::failedServices();
    const auto failedOf = [&](const QString& configName) -> std::optional<RunningServer::Record> {
        for (const RunningServer::Record& server : failed)
            if (server.config.configName() == configName)
                return server;
        return std::nullopt;
    };
    if (all) {
        servers = ServerLauncher::runningServers() + failed;
        if (servers.isEmpty()) {
            io.err << "voranthctl: no server running\n";
            return CtlRefused;
        }
    } else if (const std::optional<RunningServer::Record> given = failedOf(name);
               given && !name.isEmpty()) {
        servers.append(*given);
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
    const QList<Listed> servers = listedServers();
    if (json) {
        QJsonArray array;
        for (const Listed& server : servers)
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
                             QStringLiteral("STARTED"), QStringLiteral("STATE"),
                             QStringLiteral("HOSTING"), QStringLiteral("NOTE")}};
    for (const Listed& listed : servers) {
        const RunningServer::Record& server = listed.server;
        rows.append({server.config.configName(), modOf(server.config),
                     server.serverFound() ? QString::number(server.pid) : QStringLiteral("-"),
                     QString::number(server.config.serverPort()), startedText(server),
                     stateOf(listed), hostingOf(server), ServiceHost::restartNote(server)});
    }
    printColumns(rows, io.out);
    return CtlOk;
}

int ServerCommands::enable(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    if (!arguments.firstUnknownOption().isEmpty() || arguments.rest().size() != 1) {
        io.err << "usage: voranthctl enable NAME\n";
        return CtlUsageError;
    }
    const auto found = configAndGameRoot(arguments.rest().first(), io);
    if (!found)
        return CtlRefused;
    const auto& [config, gameRoot] = *found;
    const Result<QString> enabled = ServerLauncher::enableAtLogin(config, gameRoot);
    if (!enabled.ok()) {
        io.err << "voranthctl: '" << VisibleText::escaped(config.configName())
               << "' cannot start at login: " << enabled.error << '\n';
        return CtlRefused;
    }
    io.out << "enabled " << enabled.value << " (" << ServiceHost::unitFilePath(config) << ")\n";
    return CtlOk;
}

int ServerCommands::disable(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    if (!arguments.firstUnknownOption().isEmpty() || arguments.rest().size() != 1) {
        io.err << "usage: voranthctl disable NAME\n";
        return CtlUsageError;
    }
    const std::optional<ConfigArchive::Store> store = readStore(io);
    if (!store)
        return CtlRefused;
    const QString name = arguments.rest().first();
    // A configuration deleted since still has its unit file removed.
    ServerConfig config = store->value(name);
    config.setConfigName(name);
    if (const Result<void> disabled = ServerLauncher::disableAtLogin(config); !disabled.ok()) {
        io.err << "voranthctl: " << disabled.error << '\n';
        return CtlRefused;
    }
    io.out << "disabled " << ServiceHost::unitNameFor(config) << '\n';
    return CtlOk;
}
