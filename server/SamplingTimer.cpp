#include "server/SamplingTimer.h"

#include "format/AtomicFile.h"
#include "server/RunningServer.h"
#include "server/ServiceUnit.h"
#include "server/UserServiceManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

bool anyServiceRecorded()
{
    const QList<RunningServer::Record> records = RunningServer::readAll();
    return std::any_of(records.cbegin(), records.cend(), [](const RunningServer::Record& record) {
        return record.hostedAsService();
    });
}

Result<void> install()
{
    const QString ctl = SamplingTimer::ctlPath();
    if (ctl.isEmpty())
        return Result<void>::failure(QStringLiteral("voranthctl is not installed"));
    if (const Result<void> made = AtomicFile::makeDirectories(UserServiceManager::unitDirectory());
        !made.ok())
        return made;
    for (const auto& [path, text] :
         {std::pair{SamplingTimer::servicePath(), SamplingTimer::serviceText(ctl)},
          std::pair{SamplingTimer::timerPath(), SamplingTimer::timerText()}})
        if (const Result<void> written =
                AtomicFile::write(path, text.toUtf8(), AtomicFile::privatePermissions);
            !written.ok())
            return written;
    if (const Result<void> reloaded = UserServiceManager::reload(); !reloaded.ok())
        return reloaded;
    const Result<QString> started =
        UserServiceManager::systemctl({QStringLiteral("enable"), QStringLiteral("--now"),
                                       QStringLiteral("--"), SamplingTimer::timerName()});
    return started.ok() ? UserServiceManager::reload() : Result<void>::failure(started.error);
}

Result<void> uninstall()
{
    UserServiceManager::systemctl({QStringLiteral("disable"), QStringLiteral("--now"),
                                   QStringLiteral("--"), SamplingTimer::timerName()});
    for (const QString& path : {SamplingTimer::timerPath(), SamplingTimer::servicePath()})
        if (QFileInfo::exists(path) && !QFile::remove(path))
            return Result<void>::failure(QStringLiteral("%1 could not be removed").arg(path));
    return UserServiceManager::reload();
}

} // namespace

QString SamplingTimer::timerPath()
{
    return UserServiceManager::unitDirectory() + QLatin1Char('/') + timerName();
}

QString SamplingTimer::servicePath()
{
    return UserServiceManager::unitDirectory() + QLatin1Char('/') + serviceName();
}

QString SamplingTimer::timerText()
{
    return ServiceUnit::unitFileMark() +
           QStringLiteral("\n[Unit]\nDescription=Voranth: the player history of its servers, "
                          "every minute\n\n[Timer]\nOnCalendar=minutely\nAccuracySec=1s\n\n"
                          "[Install]\nWantedBy=timers.target\n");
}

QString SamplingTimer::serviceText(const QString& ctlPath)
{
    return ServiceUnit::unitFileMark() +
           QStringLiteral("\n[Unit]\nDescription=Voranth: a sample of the player history of "
                          "its servers\n\n[Service]\nType=oneshot\nExecStart=") +
           ServiceUnit::commandLine({ctlPath, QStringLiteral("sample"), QStringLiteral("--all")}) +
           QLatin1Char('\n');
}

QString SamplingTimer::ctlPath()
{
    const QString beside = QStandardPaths::findExecutable(QStringLiteral("voranthctl"),
                                                          {QCoreApplication::applicationDirPath()});
    return beside.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("voranthctl")) : beside;
}

bool SamplingTimer::installed()
{
    return QFileInfo::exists(timerPath());
}

Result<void> SamplingTimer::follow()
{
    const bool wanted = anyServiceRecorded();
    if (wanted == installed())
        return Result<void>::success();
    return wanted ? install() : uninstall();
}
