#include "ctl/ServerCommands.h"

#include "ctl/Await.h"

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
bool waitUntilAnswering(const ServerConfig& config, int timeoutMs)
{
    const std::unique_ptr<RemoteControl> client =
        RemoteControl::create(config, RemoteControlServices::forRecordedServer(nullptr));
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
            ServerLauncher::recordedServerPid() == -1)
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
        io.err << "(voranthctl stop quits it)\n";
    return true;
}

} // namespace

void ServerCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("start"), QStringLiteral("NAME [--no-rcon]"),
                     QStringLiteral("start the server with a configuration; prints its process "
                                    "id (--no-rcon: even without a remote-control password)"),
                     &start});
    commands.append({QStringLiteral("stop"), QString(),
                     QStringLiteral("stop the running server and remove its configuration file"),
                     &stop});
    commands.append({QStringLiteral("running"), QStringLiteral("[--json]"),
                     QStringLiteral("the running server's process id and configuration"),
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

    const Result<void> result = ServerLauncher::start(config, gameRoot);
    if (!result.ok()) {
        io.err << "voranthctl: the server could not be started: " << result.error << '\n';
        return CtlRefused;
    }
    const qint32 pid = ServerLauncher::waitForServer(serverAppearMs);
    if (pid == -1) {
        ServerLauncher::stop(0);
        io.err << "voranthctl: the server did not start";
        if (TerminalLauncher::chosenTerminal().isEmpty())
            io.err << "; its output is in " << TerminalLauncher::serverLogFile();
        io.err << '\n';
        return CtlRefused;
    }
    if (!config.rconPassword().isEmpty() && !waitUntilAnswering(config, serverAnswerMs))
        io.err << "voranthctl: the server (process " << pid
               << ") does not answer its remote console yet\n";
    io.out << pid << '\n';
    return CtlOk;
}

int ServerCommands::stop(const QStringList& args, CtlIo& io)
{
    if (!args.isEmpty()) {
        io.err << "usage: voranthctl stop\n";
        return CtlUsageError;
    }
    const ServerLauncher::StopResult result = ServerLauncher::stop(serverEndMs);
    if (!result.runningConfig) {
        io.err << "voranthctl: no server running\n";
        return CtlRefused;
    }
    const QString name = VisibleText::escaped(*result.runningConfig);
    if (result.neverFound) {
        io.err << "voranthctl: no server process of '" << name
               << "' was found; the record of its start is removed\n";
        return CtlRefused;
    }
    if (result.stillRunning) {
        io.err << "voranthctl: the server of '" << name << "' (process " << result.serverPid
               << ") "
               << (result.killedPid == -1 ? "could not be sent the terminate signal"
                                          : "still runs after the terminate signal")
               << "; Voranth keeps it as the running server\n";
        return CtlRefused;
    }
    if (result.killedPid == -1) {
        io.err << "voranthctl: no server running\n";
        return CtlRefused;
    }
    io.out << "stopped " << result.killedPid << " (" << name << ")\n";
    return CtlOk;
}

int ServerCommands::running(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl running [--json]\n";
        return CtlUsageError;
    }
    const std::optional<RunningServer::Record> server = ServerLauncher::runningServer();
    if (!server) {
        io.err << "voranthctl: no server running\n";
        return CtlRefused;
    }
    if (!server->serverFound()) {
        io.err << "voranthctl: " << ServerLauncher::startingMessage(*server) << '\n';
        return CtlRefused;
    }
    const QString config = server->config.configName();
    if (json) {
        const QJsonObject object{{QStringLiteral("pid"), server->pid},
                                 {QStringLiteral("config"), config}};
        io.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        return CtlOk;
    }
    printColumns({{QStringLiteral("PID"), QStringLiteral("CONFIGURATION")},
                  {QString::number(server->pid), config}},
                 io.out);
    return CtlOk;
}
