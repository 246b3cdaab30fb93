#include "server/ServerLauncher.h"

#include "config/CommonData.h"
#include "config/ConfigFileName.h"
#include "config/GamePaths.h"
#include "config/NetAddress.h"
#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "config/VisibleText.h"
#include "format/Logging.h"
#include "server/ConfigFiles.h"
#include "server/ProcessSignal.h"
#include "server/ProcessWatcher.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"
#include "server/SamplingTimer.h"
#include "server/ServerCommand.h"
#include "server/ServerLog.h"
#include "server/ServiceHost.h"
#include "server/TerminalLauncher.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int pollIntervalMs = 50;

QString dedicatedAppName()
{
    return UserDefaults::stringValue(KZXDedicatedAppName);
}

bool executableExists(const QString& gameRoot)
{
    const QFileInfo executable(ServerCommand::executablePath(gameRoot, dedicatedAppName()));
    return executable.exists();
}

// The files of a configuration are written for its own mod, as the server looks for them
// there.
ConfigFiles configFilesOf(const ServerConfig& config, const QString& gameRoot = QString())
{
    return ConfigFiles(GamePaths(gameRoot, config.modName().isEmpty()
                                               ? CommonData::qGameDefaultModDir()
                                               : config.modName()));
}

bool withinStartupGrace(const RunningServer::Record& record)
{
    if (record.launchedAtBootMs < 0)
        return false;
    const qint64 elapsed = RunningServer::bootTimeMs() - record.launchedAtBootMs;
    return elapsed >= 0 && elapsed < qint64(ServerLauncher::startupGraceSeconds) * 1000;
}

// The timer that samples the services' player history follows the services recorded; the
// servers run as well without it.
void followSamplingTimer()
{
    if (const Result<void> followed = SamplingTimer::follow(); !followed.ok())
        qCWarning(lcServer, "The player history's timer: %s", qPrintable(followed.error));
}

// Forgets a server that is gone: its configuration file and the record. A server that starts
// at login keeps both for the service manager's next start.
void dropRecord(const RunningServer::Record& record)
{
    if (record.hostedAsService() && ServiceHost::isEnabled(record.config)) {
        RunningServer::forgetServerProcess(record.launchToken);
        return;
    }
    configFilesOf(record.config).deleteConfigFile(record.config);
    RunningServer::forget(record.launchToken);
    if (record.hostedAsService())
        followSamplingTimer();
}

// The record of config's server that starts at login, kept while it does not run.
std::optional<RunningServer::Record> enabledRecordOf(const ServerConfig& config)
{
    if (!ServiceHost::isEnabled(config))
        return std::nullopt;
    for (const RunningServer::Record& record : RunningServer::readAll())
        if (record.config.configName() == config.configName() &&
            record.unitName == ServiceHost::unitNameFor(config))
            return record;
    return std::nullopt;
}

// A service the manager gave up on is forgotten when its configuration starts again.
void forgetFailedServiceOf(const ServerConfig& config)
{
    for (const RunningServer::Record& record : ServerLauncher::failedServices())
        if (record.config.configName() == config.configName()) {
            ServiceHost::resetFailed(record.unitName);
            dropRecord(record);
        }
}

// The ports our servers (also those still starting) hold, by their configuration's name.
QHash<quint16, QString> portsOfOurServers()
{
    QHash<quint16, QString> ports;
    for (const RunningServer::Record& record : ServerLauncher::runningServers())
        ports.insert(record.config.serverPort(), record.config.configName());
    return ports;
}

// Sends the terminate signal to every process of a launch whose server never appeared, so
// that none comes up later unowned.
void stopTheLaunch(const RunningServer::Record& record)
{
    for (const ProcessIdentity& process : QProcessCom::processesOfLaunch(record.launchToken))
        ProcessSignal::send(process, SIGTERM);
}

} // namespace

bool ServerLauncher::rconPasswordCanWork(const QString& password)
{
    const bool printableAscii = std::all_of(password.cbegin(), password.cend(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7f && c != QLatin1Char('"');
    });
    return printableAscii && !password.contains(QStringLiteral("//")) &&
           !password.contains(QStringLiteral("/*"));
}

ServerLauncher::Problem ServerLauncher::check(const ServerConfig& config, const QString& gameRoot,
                                              bool acceptEmptyRconPassword)
{
    if (runningServerOf(config.configName()))
        return Problem::ServerAlreadyRunning;
    if (config.mapsCount() == 0)
        return Problem::EmptyMapList;
    if (!executableExists(gameRoot))
        return Problem::ExecutableNotFound;
    if (!ConfigFileName::isExecutable(ConfigFileName::forConfigName(config.configName())))
        return Problem::ConfigFileNotExecutable;
    if (!NetAddress::isHostNameOrAddress(config.netIP()))
        return Problem::NetIPNotValid;
    if (!ServerCommand::engineCanTake(config.modName()))
        return Problem::ModNameUnusable;
    if (config.rconPassword().isEmpty() && !acceptEmptyRconPassword)
        return Problem::RconPasswordNotSet;
    if (!config.rconPassword().isEmpty() && !rconPasswordCanWork(config.rconPassword()))
        return Problem::RconPasswordUnusable;
    if (portHolder(config.serverPort()).kind != PortHolder::Kind::Free)
        return Problem::PortInUse;
    return Problem::None;
}

ServerLauncher::PortHolder ServerLauncher::portHolder(quint16 port)
{
    const QHash<quint16, QString> ours = portsOfOurServers();
    PortHolder holder;
    if (ours.contains(port)) {
        holder.kind = PortHolder::Kind::OurServer;
        holder.configName = ours.value(port);
    } else if (portInUse(port)) {
        holder.kind = PortHolder::Kind::OtherProgram;
    }
    for (int next = int(port) + 1; next <= 65535; ++next) {
        if (!ours.contains(quint16(next)) && !portInUse(quint16(next))) {
            holder.nextFreePort = quint16(next);
            break;
        }
    }
    return holder;
}

bool ServerLauncher::portInUse(quint16 port)
{
    // Whatever holds the port on any address keeps the server from it.
    const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (probe < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool taken =
        ::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0;
    ::close(probe);
    return taken;
}

ServerLauncher::Alert ServerLauncher::portInUseAlert(const ServerConfig& config)
{
    const PortHolder holder = portHolder(config.serverPort());
    const QString port = QString::number(config.serverPort());
    const QString name = VisibleText::escaped(config.configName());
    const QString next = QString::number(holder.nextFreePort);
    const QString message =
        holder.kind == PortHolder::Kind::OurServer
            ? rconCommText(QStringLiteral("PortOfOurServerMsg"),
                           QStringLiteral("The server of '%@' uses the port %@. Choose another "
                                          "port for '%@' (the next free one is %@), or quit "
                                          "that server."),
                           {VisibleText::escaped(holder.configName), port, name, next})
            : rconCommText(QStringLiteral("PortOfOtherProgramMsg"),
                           QStringLiteral("Another program on this machine uses the port %@. "
                                          "Choose another port for '%@' (the next free one is "
                                          "%@), or quit that program."),
                           {port, name, next});
    QStringList buttons{QStringLiteral("OK")};
    if (holder.nextFreePort != 0)
        buttons.append(
            rconCommText(QStringLiteral("UsePortButton"), QStringLiteral("Use port %@"), {next}));
    return {rconCommText(QStringLiteral("PortInUseTitle"), QStringLiteral("Port %@ is in use!"),
                         {port}),
            message, buttons, holder.nextFreePort};
}

ServerLauncher::Alert ServerLauncher::alertFor(Problem problem, const ServerConfig& config,
                                               const QString& gameRoot)
{
    const QStringList ok{QStringLiteral("OK")};
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::ServerAlreadyRunning:
        return {rconCommText(QStringLiteral("ServerAlreadyRunningTitle"),
                             QStringLiteral("'%@' is running!"),
                             {VisibleText::escaped(config.configName())}),
                rconCommText(QStringLiteral("ConfigServerAlreadyRunningMsg"),
                             QStringLiteral("Its server runs already: one server runs each "
                                            "configuration. Quit it before starting it again, "
                                            "or duplicate the configuration for a second "
                                            "server.")),
                ok};
    case Problem::PortInUse:
        return portInUseAlert(config);
    case Problem::EmptyMapList:
        return {
            mapsText(QStringLiteral("EmptyMapListTitle"), QStringLiteral("No maps in map list!")),
            mapsText(QStringLiteral("EmptyMapListMsg"),
                     QStringLiteral("Add at least one map to the map list before starting "
                                    "server.")),
            ok};
    case Problem::ExecutableNotFound: {
        const QString app = dedicatedAppName();
        return {voCommonText(QStringLiteral("Q3ExecutableNotFoundTitle"),
                             QStringLiteral("'%@' not found!"), {app}),
                voCommonText(QStringLiteral("Q3ExecutableNotFoundMsg"),
                             QStringLiteral("'%@' does not exist in directory:\n%@. Please change "
                                            "to another Quake3 executable file in Voranth "
                                            "Preferences."),
                             {app, gameRoot}),
                ok};
    }
    case Problem::ConfigFileNotExecutable: {
        const QString fileName = ConfigFileName::forConfigName(config.configName());
        return {rconCommText(QStringLiteral("ConfigFileNotExecutableTitle"),
                             QStringLiteral("The server could not run this config!")),
                rconCommText(QStringLiteral("ConfigFileNotExecutableMsg"),
                             QStringLiteral("The server file of '%@' is named '%@' (%@ "
                                            "characters); the game server runs only files whose "
                                            "names have at most %@ characters, and would start "
                                            "without its settings. Please rename the config."),
                             {VisibleText::escaped(config.configName()), fileName,
                              QString::number(ConfigFileName::execLength(fileName)),
                              QString::number(ConfigFileName::maxExecNameLength)}),
                ok};
    }
    case Problem::NetIPNotValid:
        return {NetAddress::refusalTitle(), NetAddress::refusalMessage(config.netIP()), ok};
    case Problem::ModNameUnusable:
        return {rconCommText(QStringLiteral("ModNameUnusableTitle"),
                             QStringLiteral("The server cannot be started for this mod!")),
                rconCommText(QStringLiteral("ModNameUnusableMsg"),
                             QStringLiteral("The mod directory '%@' holds blanks, quotes or "
                                            "control characters, which the game server's command "
                                            "line cannot carry. Please rename the directory."),
                             {VisibleText::escaped(config.modName())}),
                ok};
    case Problem::RconPasswordNotSet:
        return {rconCommText(QStringLiteral("RconPasswordNotSetTitle"),
                             QStringLiteral("Remote Control password not set!")),
                rconCommText(QStringLiteral("RconPasswordNotSetMsg"),
                             QStringLiteral("You must set the Remote Control password to be able "
                                            "to use Remote Control.")),
                {rconCommText(QStringLiteral("RconPasswordNotSetAbort"),
                              QStringLiteral("OK, let me set password")),
                 rconCommText(QStringLiteral("RconPasswordNotSetStartAnyway"),
                              QStringLiteral("Start anyway"))}};
    case Problem::RconPasswordUnusable:
        return {rconCommText(QStringLiteral("RconPasswordUnusableTitle"),
                             QStringLiteral("Remote Control password cannot work!")),
                rconCommText(QStringLiteral("RconPasswordUnusableMsg"),
                             QStringLiteral("The game server would never accept this Remote "
                                            "Control password. Use only letters, digits and "
                                            "punctuation, without blanks, double quotes, \"//\" "
                                            "or \"/*\".")),
                ok};
    }
    return {};
}

Result<RunningServer::Record> ServerLauncher::start(const ServerConfig& config,
                                                    const QString& gameRoot, ServerHosting::Way way)
{
    using Started = Result<RunningServer::Record>;
    if (runningServerOf(config.configName()))
        return Started::failure(alertFor(Problem::ServerAlreadyRunning, config, gameRoot).title);
    forgetFailedServiceOf(config);
    // A server that starts at login is always its unit's.
    const std::optional<RunningServer::Record> enabled = enabledRecordOf(config);
    if (enabled)
        way = ServerHosting::Way::Service;
    const QString unitName = ServiceHost::unitNameFor(config);
    if (way == ServerHosting::Way::Service && !enabled)
        if (const QString refusal = ServiceHost::refusal(unitName); !refusal.isEmpty())
            return Started::failure(refusal);
    ConfigFiles files = configFilesOf(config, gameRoot);
    if (const Result<void> written = files.saveConfigToFile(config, true); !written.ok())
        return Started::failure(written.error);
    RunningServer::Record record = RunningServer::launchRecord(config);
    if (enabled)
        record.launchToken = enabled->launchToken;
    auto undo = [&] {
        if (!enabled) {
            files.deleteConfigFile(config);
            RunningServer::forget(record.launchToken);
        }
    };
    if (way == ServerHosting::Way::Service)
        record.unitName = unitName;
    if (way == ServerHosting::Way::Service || TerminalLauncher::chosenTerminal().isEmpty()) {
        const Result<QString> log = ServerLog::beginRun(record.execFile);
        if (!log.ok()) {
            undo();
            return Started::failure(log.error);
        }
        record.logFile = log.value;
    }
    if (way == ServerHosting::Way::Terminal)
        if (const Result<void> written = files.runConfigFile(config, CommonData::applicationName());
            !written.ok()) {
            undo();
            return Started::failure(written.error);
        }
    // Recorded before the launch, so that whoever finds the server also finds its record.
    if (const Result<void> recorded = RunningServer::save(record); !recorded.ok()) {
        undo();
        return Started::failure(
            QStringLiteral("%1 could not be written: %2")
                .arg(RunningServer::recordPath(record.launchToken), recorded.error));
    }
    if (way == ServerHosting::Way::Service) {
        const Result<void> launched = enabled ? ServiceHost::startEnabled(record, gameRoot)
                                              : ServiceHost::launch(record, gameRoot);
        if (!launched.ok()) {
            undo();
            return Started::failure(launched.error);
        }
        followSamplingTimer();
        return Started::success(record);
    }
    const Result<qint64> opened = TerminalLauncher::openTerminalFile(
        files.terminalFile(), record.launchToken, record.logFile);
    if (!opened.ok()) {
        undo();
        return Started::failure(opened.error);
    }
    // A terminal that hands the command to a server of its own may have ended already.
    if (const std::optional<ProcessIdentity> launcher = ProcessIdentity::of(qint32(opened.value))) {
        RunningServer::noteLauncherProcess(record.launchToken, *launcher);
        record.launcherPid = launcher->pid;
        record.launcherStartTime = launcher->startTime;
    }
    return Started::success(record);
}

ServerLauncher::StopResult ServerLauncher::stopService(RunningServer::Record record, int timeoutMs)
{
    StopResult result;
    result.runningConfig = record.config.configName();
    const ServiceHost::Standing standing = ServiceHost::standing(record);
    if (standing == ServiceHost::Standing::Gone) {
        dropRecord(record);
        return result;
    }
    result.serverPid = record.pid;
    if (const Result<void> stopped = ServiceHost::stop(record, timeoutMs); !stopped.ok()) {
        result.stillRunning = true;
        return result;
    }
    result.killedPid = record.pid;
    result.neverFound = standing == ServiceHost::Standing::Starting;
    if (timeoutMs == 0 && standing != ServiceHost::Standing::Failed)
        result.stillRunning = true;
    else
        dropRecord(record);
    return result;
}

ServerLauncher::StopResult ServerLauncher::stop(const QString& launchToken, int timeoutMs)
{
    StopResult result;
    if (const std::optional<RunningServer::Record> stored = RunningServer::read(launchToken);
        stored && stored->hostedAsService())
        return stopService(*stored, timeoutMs);
    std::optional<RunningServer::Record> record = runningServer(launchToken);
    if (!record)
        return result;
    result.runningConfig = record->config.configName();
    if (!record->serverFound()) {
        record = waitForServerRecord(launchToken, timeoutMs);
        if (!record)
            return result;
    }
    const std::optional<ProcessIdentity> server = record->serverProcess();
    if (!server) {
        stopTheLaunch(*record);
        dropRecord(*record);
        result.neverFound = true;
        return result;
    }
    result.serverPid = server->pid;
    switch (ProcessSignal::send(*server, SIGTERM)) {
    case ProcessSignal::Outcome::NotThatProcess:
        // It ended meanwhile.
        dropRecord(*record);
        return result;
    case ProcessSignal::Outcome::Failed:
        result.stillRunning = true;
        return result;
    case ProcessSignal::Outcome::Sent:
        break;
    }
    result.killedPid = server->pid;
    if (ProcessWatcher::waitForEnd(*server, timeoutMs))
        dropRecord(*record);
    else
        result.stillRunning = true;
    return result;
}

ServerLauncher::StopResult ServerLauncher::stop(int timeoutMs)
{
    const std::optional<RunningServer::Record> first = runningServer();
    return first ? stop(first->launchToken, timeoutMs) : StopResult();
}

std::optional<RunningServer::Record> ServerLauncher::stillRunning(RunningServer::Record record)
{
    if (record.hostedAsService()) {
        switch (ServiceHost::standing(record)) {
        case ServiceHost::Standing::Running:
        case ServiceHost::Standing::Starting:
            return record;
        case ServiceHost::Standing::Failed:
            return std::nullopt;
        case ServiceHost::Standing::Gone:
            dropRecord(record);
            return std::nullopt;
        case ServiceHost::Standing::Unknown:
            // Without the manager, the record goes by its process and is kept for when the
            // manager answers again.
            if (record.bootId == ProcessTable().bootId())
                if (const std::optional<ProcessIdentity> server = record.serverProcess();
                    server && server->isRunning())
                    return record;
            return std::nullopt;
        }
    }
    // A record of another boot names no process that runs now.
    if (record.bootId == ProcessTable().bootId()) {
        if (const std::optional<ProcessIdentity> server =
                QProcessCom::forRecord(record).serverProcess()) {
            if (!record.serverFound()) {
                record.pid = server->pid;
                record.processStartTime = server->startTime;
                RunningServer::noteServerProcess(record.launchToken, *server);
            }
            return record;
        }
        if (!record.serverFound() && withinStartupGrace(record))
            return record;
    }
    dropRecord(record);
    return std::nullopt;
}

QList<RunningServer::Record> ServerLauncher::runningServers()
{
    QList<RunningServer::Record> running;
    for (const RunningServer::Record& record : RunningServer::readAll())
        if (std::optional<RunningServer::Record> still = stillRunning(record))
            running.append(*still);
    return running;
}

std::optional<RunningServer::Record> ServerLauncher::runningServer(const QString& launchToken)
{
    const std::optional<RunningServer::Record> record = RunningServer::read(launchToken);
    return record ? stillRunning(*record) : std::nullopt;
}

std::optional<RunningServer::Record> ServerLauncher::runningServerOf(const QString& configName)
{
    for (const RunningServer::Record& record : RunningServer::readAll())
        if (record.config.configName() == configName)
            if (std::optional<RunningServer::Record> still = stillRunning(record))
                return still;
    return std::nullopt;
}

std::optional<RunningServer::Record> ServerLauncher::runningServer()
{
    const QList<RunningServer::Record> running = runningServers();
    if (running.isEmpty())
        return std::nullopt;
    return running.first();
}

qint32 ServerLauncher::serverPid(const QString& launchToken)
{
    const std::optional<RunningServer::Record> record = runningServer(launchToken);
    return record && record->serverFound() ? record->pid : -1;
}

qint32 ServerLauncher::recordedServerPid()
{
    const std::optional<RunningServer::Record> record = runningServer();
    return record && record->serverFound() ? record->pid : -1;
}

QString ServerLauncher::startingMessage(const RunningServer::Record& record)
{
    return rconCommText(QStringLiteral("ServerStartingMsg"),
                        QStringLiteral("'%@' is starting: its server process has not been found "
                                       "yet."),
                        {VisibleText::escaped(record.config.configName())});
}

std::optional<RunningServer::Record> ServerLauncher::waitForServerRecord(const QString& launchToken,
                                                                         int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        std::optional<RunningServer::Record> record = runningServer(launchToken);
        if (!record || record->serverFound() || deadline.hasExpired())
            return record;
        QThread::msleep(pollIntervalMs);
    }
}

qint32 ServerLauncher::waitForServer(const QString& launchToken, int timeoutMs)
{
    const std::optional<RunningServer::Record> record = waitForServerRecord(launchToken, timeoutMs);
    return record && record->serverFound() ? record->pid : -1;
}

qint32 ServerLauncher::waitForServer(int timeoutMs)
{
    const std::optional<RunningServer::Record> first = runningServer();
    return first ? waitForServer(first->launchToken, timeoutMs) : -1;
}

bool ServerLauncher::waitForEnd(qint32 pid, int timeoutMs)
{
    const std::optional<ProcessIdentity> process = ProcessIdentity::of(pid);
    return !process || ProcessWatcher::waitForEnd(*process, timeoutMs);
}

QList<RunningServer::Record> ServerLauncher::failedServices()
{
    QList<RunningServer::Record> failed;
    for (RunningServer::Record record : RunningServer::readAll())
        if (record.hostedAsService() &&
            ServiceHost::standing(record) == ServiceHost::Standing::Failed)
            failed.append(record);
    return failed;
}

Result<QString> ServerLauncher::enableAtLogin(const ServerConfig& config, const QString& gameRoot)
{
    using Enabled = Result<QString>;
    const Problem problem = check(config, gameRoot, true);
    if (problem != Problem::None)
        return Enabled::failure(alertFor(problem, config, gameRoot).message);
    forgetFailedServiceOf(config);
    if (const std::optional<RunningServer::Record> enabled = enabledRecordOf(config))
        return Enabled::success(enabled->unitName);
    const QString unitName = ServiceHost::unitNameFor(config);
    if (const QString refusal = ServiceHost::refusal(unitName); !refusal.isEmpty())
        return Enabled::failure(refusal);
    ConfigFiles files = configFilesOf(config, gameRoot);
    if (const Result<void> written = files.saveConfigToFile(config, true); !written.ok())
        return Enabled::failure(written.error);
    RunningServer::Record record = RunningServer::launchRecord(config);
    record.unitName = unitName;
    const Result<QString> log = ServerLog::beginRun(record.execFile);
    record.logFile = log.value;
    const Result<void> recorded =
        log.ok() ? RunningServer::save(record) : Result<void>::failure(log.error);
    const Result<void> enabled = recorded.ok() ? ServiceHost::enable(record, gameRoot) : recorded;
    if (!enabled.ok()) {
        if (ServiceHost::isEnabled(config))
            QFile::remove(ServiceHost::unitFilePath(config));
        files.deleteConfigFile(config);
        RunningServer::forget(record.launchToken);
        return Enabled::failure(enabled.error);
    }
    followSamplingTimer();
    return Enabled::success(unitName);
}

Result<void> ServerLauncher::disableAtLogin(const ServerConfig& config)
{
    const std::optional<RunningServer::Record> enabled = enabledRecordOf(config);
    if (const Result<void> disabled = ServiceHost::disable(config); !disabled.ok())
        return disabled;
    // A record that does not run goes now; one that runs, when its server ends.
    if (enabled)
        runningServer(enabled->launchToken);
    return Result<void>::success();
}
