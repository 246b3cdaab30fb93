#include "server/UserServiceManager.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>

namespace {

QHash<QString, QString> propertiesOf(const QString& output)
{
    QHash<QString, QString> properties;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            properties.insert(line.left(equals), line.mid(equals + 1));
    }
    return properties;
}

// "@SECONDS" of --timestamp=unix; none for an empty or "n/a" value.
QDateTime timestampOf(const QString& value)
{
    if (!value.startsWith(QLatin1Char('@')))
        return {};
    bool ok = false;
    const qint64 seconds = value.mid(1).toLongLong(&ok);
    return ok && seconds > 0 ? QDateTime::fromSecsSinceEpoch(seconds) : QDateTime();
}

} // namespace

bool UserServiceManager::UnitState::up() const
{
    return activeState == QLatin1String("active") || activeState == QLatin1String("activating") ||
           activeState == QLatin1String("reloading");
}

Result<QString> UserServiceManager::run(const QString& program, const QStringList& arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return Result<QString>::failure(QStringLiteral("%1 is not installed").arg(program));
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(callTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return Result<QString>::failure(QStringLiteral("%1 did not answer").arg(program));
    }
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString error = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return Result<QString>::failure(error.isEmpty() ? QStringLiteral("%1 failed").arg(program)
                                                        : error);
    }
    return Result<QString>::success(output);
}

Result<QString> UserServiceManager::systemctl(const QStringList& arguments)
{
    return run(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments);
}

UserServiceManager::Availability UserServiceManager::availability()
{
    const Result<QString> version = systemctl(
        {QStringLiteral("show"), QStringLiteral("--property=Version"), QStringLiteral("--value")});
    if (version.ok() && !version.value.trimmed().isEmpty())
        return {true, QString()};
    return {false, version.ok() ? QStringLiteral("the user's service manager gave no version")
                                : version.error};
}

UserServiceManager::UnitState UserServiceManager::state(const QString& unit)
{
    const Result<QString> shown = systemctl(
        {QStringLiteral("show"), QStringLiteral("--timestamp=unix"),
         QStringLiteral("--property=LoadState,ActiveState,SubState,Result,UnitFileState,MainPID,"
                        "NRestarts,ExecMainStartTimestamp"),
         QStringLiteral("--"), unit});
    UnitState state;
    if (!shown.ok())
        return state;
    const QHash<QString, QString> properties = propertiesOf(shown.value);
    state.loadState = properties.value(QStringLiteral("LoadState"));
    state.activeState = properties.value(QStringLiteral("ActiveState"));
    state.subState = properties.value(QStringLiteral("SubState"));
    state.result = properties.value(QStringLiteral("Result"));
    state.unitFileState = properties.value(QStringLiteral("UnitFileState"));
    state.mainPid = properties.value(QStringLiteral("MainPID")).toInt();
    state.restarts = properties.value(QStringLiteral("NRestarts")).toInt();
    state.mainStartedAt = timestampOf(properties.value(QStringLiteral("ExecMainStartTimestamp")));
    return state;
}

Result<void> UserServiceManager::startTransient(const ServiceUnit::Definition& definition)
{
    const Result<QString> started =
        run(QStringLiteral("systemd-run"), ServiceUnit::transientArguments(definition));
    return started.ok() ? Result<void>::success() : Result<void>::failure(started.error);
}

namespace {

Result<void> unitCommand(const QString& verb, const QString& unit)
{
    const Result<QString> done = UserServiceManager::systemctl({verb, QStringLiteral("--"), unit});
    return done.ok() ? Result<void>::success() : Result<void>::failure(done.error);
}

} // namespace

Result<void> UserServiceManager::start(const QString& unit)
{
    return unitCommand(QStringLiteral("start"), unit);
}

Result<void> UserServiceManager::stop(const QString& unit)
{
    return unitCommand(QStringLiteral("stop"), unit);
}

Result<void> UserServiceManager::resetFailed(const QString& unit)
{
    return unitCommand(QStringLiteral("reset-failed"), unit);
}

Result<void> UserServiceManager::enable(const QString& unit)
{
    return unitCommand(QStringLiteral("enable"), unit);
}

Result<void> UserServiceManager::disable(const QString& unit)
{
    return unitCommand(QStringLiteral("disable"), unit);
}

Result<void> UserServiceManager::reload()
{
    const Result<QString> done = systemctl({QStringLiteral("daemon-reload")});
    return done.ok() ? Result<void>::success() : Result<void>::failure(done.error);
}

QString UserServiceManager::unitDirectory()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("systemd/user"));
}
