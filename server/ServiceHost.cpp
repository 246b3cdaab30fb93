#include "server/ServiceHost.h"

#include "config/CommonData.h"
#include "config/GamePaths.h"
#include "config/ServerConfig.h"
#include "config/StringTable.h"
#include "config/VisibleText.h"
#include "format/AtomicFile.h"
#include "server/ConfigFiles.h"
#include "server/LaunchToken.h"
#include "server/ProcessWatcher.h"
#include "server/QProcessCom.h"
#include "server/ServerCommand.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

constexpr int pollIntervalMs = 50;

ConfigFiles configFilesOf(const ServerConfig& config, const QString& gameRoot)
{
    return ConfigFiles(GamePaths(gameRoot, CommonData::modDirOrDefault(config.modName())));
}

bool waitUntilDown(const QString& unit, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (UserServiceManager::state(unit).up()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollIntervalMs);
    }
    return true;
}

} // namespace

QString ServiceHost::unitNameFor(const ServerConfig& config)
{
    return ServiceUnit::nameFor(ConfigFiles::configFileReplacedSpaces(config.configName()));
}

QString ServiceHost::refusal(const QString& unitName)
{
    const UserServiceManager::Availability manager = UserServiceManager::availability();
    if (!manager.available)
        return rconCommText(QStringLiteral("ServiceUnavailableMsg"),
                            QStringLiteral("No service manager of the user answers (%@): the "
                                           "server can be started in a terminal only."),
                            {manager.reason});
    if (UserServiceManager::state(unitName).up())
        return rconCommText(QStringLiteral("ServiceNameTakenMsg"),
                            QStringLiteral("The service %@ runs already, and Voranth did not "
                                           "start it."),
                            {unitName});
    return {};
}

ServiceUnit::Definition ServiceHost::definitionOf(const RunningServer::Record& record,
                                                  const QString& gameRoot)
{
    const ServerCommand::Inputs inputs =
        configFilesOf(record.config, gameRoot).commandInputs(record.config);
    ServiceUnit::Definition definition;
    definition.name = record.unitName;
    definition.description =
        QStringLiteral("Voranth server: ") + VisibleText::escaped(record.config.configName());
    definition.workingDirectory = gameRoot;
    definition.program = ServerCommand::executablePath(gameRoot, inputs.appName);
    definition.arguments = ServerCommand::arguments(record.config, inputs);
    definition.logFile = record.logFile;
    definition.environment = {QStringLiteral("HOME=") + QDir::homePath(),
                              QString::fromUtf8(LaunchToken::environmentEntry(record.launchToken))};
    return definition;
}

Result<void> ServiceHost::launch(const RunningServer::Record& record, const QString& gameRoot)
{
    resetFailed(record.unitName);
    return UserServiceManager::startTransient(definitionOf(record, gameRoot));
}

Result<void> ServiceHost::startEnabled(const RunningServer::Record& record, const QString& gameRoot)
{
    if (const Result<void> written = enable(record, gameRoot); !written.ok())
        return written;
    resetFailed(record.unitName);
    return UserServiceManager::start(record.unitName);
}

QString ServiceHost::restartNote(const RunningServer::Record& record)
{
    if (!record.hostedAsService())
        return {};
    const UserServiceManager::UnitState unit = UserServiceManager::state(record.unitName);
    if (unit.restarts <= 0)
        return {};
    const QString at = unit.mainStartedAt.isValid()
                           ? unit.mainStartedAt.toLocalTime().toString(QStringLiteral("HH:mm"))
                           : QStringLiteral("?");
    return unit.restarts == 1
               ? rconCommText(QStringLiteral("ServiceRestartedOnceMsg"),
                              QStringLiteral("Restarted after a crash at %@ (once)"), {at})
               : rconCommText(QStringLiteral("ServiceRestartedMsg"),
                              QStringLiteral("Restarted after a crash at %@ (%@ times)"),
                              {at, QString::number(unit.restarts)});
}

void ServiceHost::resetFailed(const QString& unitName)
{
    if (UserServiceManager::state(unitName).failed())
        UserServiceManager::resetFailed(unitName);
}

ServiceHost::Standing ServiceHost::standing(RunningServer::Record& record)
{
    const UserServiceManager::UnitState unit = UserServiceManager::state(record.unitName);
    if (unit.loadState.isEmpty())
        return Standing::Unknown;
    if (unit.failed())
        return Standing::Failed;
    if (!unit.up())
        return Standing::Gone;
    if (const std::optional<ProcessIdentity> known = record.serverProcess()) {
        if (known->isRunning() && known->pid == unit.mainPid)
            return Standing::Running;
        // Ended: the manager restarts the server as another process.
        record.pid = -1;
        record.processStartTime = 0;
        RunningServer::forgetServerProcess(record.launchToken);
    }
    const std::optional<ProcessIdentity> found = QProcessCom::forRecord(record).serverProcess();
    if (!found || found->pid != unit.mainPid)
        return Standing::Starting;
    record.pid = found->pid;
    record.processStartTime = found->startTime;
    RunningServer::noteServerProcess(record.launchToken, *found);
    return Standing::Running;
}

Result<void> ServiceHost::stop(const RunningServer::Record& record, int timeoutMs)
{
    const UserServiceManager::UnitState unit = UserServiceManager::state(record.unitName);
    if (unit.failed())
        return UserServiceManager::resetFailed(record.unitName);
    if (!unit.up())
        return Result<void>::success();
    if (timeoutMs == 0) {
        const Result<QString> sent =
            UserServiceManager::systemctl({QStringLiteral("stop"), QStringLiteral("--no-block"),
                                           QStringLiteral("--"), record.unitName});
        return sent.ok() ? Result<void>::success() : Result<void>::failure(sent.error);
    }
    if (const Result<void> stopped = UserServiceManager::stop(record.unitName); !stopped.ok())
        return stopped;
    if (!waitUntilDown(record.unitName, timeoutMs))
        return Result<void>::failure(QStringLiteral("%1 did not stop").arg(record.unitName));
    return Result<void>::success();
}

QString ServiceHost::unitFilePath(const ServerConfig& config)
{
    return UserServiceManager::unitDirectory() + QLatin1Char('/') + unitNameFor(config);
}

namespace {

// Whether a file at the unit file's place is one Voranth wrote (only such a file is ever
// overwritten or removed).
bool isOurUnitFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.readLine().trimmed() == ServiceUnit::unitFileMark().toUtf8();
}

} // namespace

Result<void> ServiceHost::enable(const RunningServer::Record& record, const QString& gameRoot)
{
    const QString path = unitFilePath(record.config);
    if (QFileInfo::exists(path) && !isOurUnitFile(path))
        return Result<void>::failure(
            QStringLiteral("%1 was not written by Voranth, which leaves it alone").arg(path));
    if (const Result<void> made = AtomicFile::makeDirectories(QFileInfo(path).absolutePath());
        !made.ok())
        return made;
    if (const Result<void> written = AtomicFile::write(
            path, ServiceUnit::unitFileText(definitionOf(record, gameRoot)).toUtf8(),
            AtomicFile::privatePermissions);
        !written.ok())
        return written;
    if (const Result<void> reloaded = UserServiceManager::reload(); !reloaded.ok())
        return reloaded;
    if (const Result<void> enabled = UserServiceManager::enable(unitNameFor(record.config));
        !enabled.ok())
        return enabled;
    // The manager takes the new link into default.target only when it reads its files again.
    return UserServiceManager::reload();
}

Result<void> ServiceHost::disable(const ServerConfig& config)
{
    const QString path = unitFilePath(config);
    if (!isOurUnitFile(path))
        return Result<void>::failure(QStringLiteral("'%1' does not start at login")
                                         .arg(VisibleText::escaped(config.configName())));
    const Result<void> disabled = UserServiceManager::disable(unitNameFor(config));
    if (!QFile::remove(path))
        return Result<void>::failure(QStringLiteral("%1 could not be removed").arg(path));
    UserServiceManager::reload();
    return disabled;
}

bool ServiceHost::isEnabled(const ServerConfig& config)
{
    return isOurUnitFile(unitFilePath(config));
}
