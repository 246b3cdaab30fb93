#include "server/ServerLauncher.h"

#include "config/GameDirectory.h"
#include "config/ServerConfig.h"
#include "server/ConfigFiles.h"
#include "server/PlayerHistory.h"
#include "server/RunningServer.h"
#include "server/SamplingTimer.h"
#include "server/ServerCommand.h"
#include "server/ServerLog.h"
#include "server/ServiceHost.h"
#include "server/ServiceUnit.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/ServiceTest.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

// Real servers of the demo game hosted by a service manager of the test's own.
class ServiceHosting : public ServiceTest
{
protected:
    static QString gameRoot() { return GameDirectory::settle(); }

    // Starts config's server as a service and waits until it answers; its record.
    RunningServer::Record startService(const ServerConfig& config)
    {
        const Result<RunningServer::Record> started =
            ServerLauncher::start(config, gameRoot(), ServerHosting::Way::Service);
        EXPECT_TRUE(started.ok()) << started.error.toStdString();
        EXPECT_NE(ServerLauncher::waitForServer(started.value.launchToken, 30000), -1);
        EXPECT_TRUE(answers(config.netPort()));
        return started.value;
    }

    // The server process the registry knows of the launch once it is another than before.
    static qint32 nextProcess(const QString& token, qint32 before)
    {
        qint32 pid = -1;
        waitUntil([&] {
            pid = ServerLauncher::serverPid(token);
            return pid != -1 && pid != before;
        });
        return pid;
    }

    // A unit of the same program that Voranth did not start: config's command line, no token.
    bool startForeignUnit(const QString& unit, const ServerConfig& config)
    {
        ServiceUnit::Definition definition;
        definition.name = unit;
        definition.description = "not Voranth's";
        definition.workingDirectory = gameRoot();
        const ConfigFiles files(GamePaths(gameRoot(), "baseq3"));
        const ServerCommand::Inputs inputs = files.commandInputs(config);
        definition.program = ServerCommand::executablePath(gameRoot(), inputs.appName);
        definition.arguments = ServerCommand::arguments(config, inputs);
        definition.logFile = "/dev/null";
        return manager.run(ServiceUnit::transientArguments(definition));
    }
};

} // namespace

TEST_F(ServiceHosting, ACrashedServerIsRestartedUntilTheManagerGivesUpAndAQuitIsFinal)
{
    const int port = RealServer::freeUdpPort();
    const ServerConfig config = RealServer::config("Alpha", "secret", port);
    const RunningServer::Record record = startService(config);
    const QString unit = "voranth-VO_Alpha.service";
    ASSERT_EQ(record.unitName, unit);
    qint32 pid = ServerLauncher::serverPid(record.launchToken);
    EXPECT_EQ(manager.property(unit, "MainPID"), QString::number(pid));
    EXPECT_EQ(manager.property(unit, "Description"), "Voranth server: Alpha");
    EXPECT_EQ(manager.property(unit, "WorkingDirectory"), gameRoot());

    // A crash: the manager starts a new process, which the registry follows and which answers.
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    pid = nextProcess(record.launchToken, pid);
    ASSERT_NE(pid, -1);
    EXPECT_TRUE(answers(port));
    EXPECT_TRUE(
        ServiceHost::restartNote(*ServerLauncher::runningServer(record.launchToken))
            .contains(QRegularExpression("^Restarted after a crash at \\d\\d:\\d\\d \\(once\\)$")))
        << ServerLog::lastLines(record.logFile, 60).join('\n').toStdString();
    const ProgramResult running = ProgramRunner::voranthctl({"running"});
    EXPECT_TRUE(running.out.contains(QRegularExpression(
        QString("\nAlpha +baseq3 +%1 +%2 +\\S+ +running +service +Restarted after a crash at "
                "\\d\\d:\\d\\d \\(once\\)\n")
            .arg(pid)
            .arg(port))))
        << running.out.toStdString();

    // Crash after crash: the manager gives up, and the record shows the unit failed.
    int kills = 0;
    while (ServerLauncher::failedServices().isEmpty() && kills < 6) {
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        ++kills;
        waitUntil([&] {
            const qint32 now = ServerLauncher::serverPid(record.launchToken);
            return !ServerLauncher::failedServices().isEmpty() || (now > 0 && now != pid);
        });
        pid = ServerLauncher::serverPid(record.launchToken);
    }
    ASSERT_EQ(ServerLauncher::failedServices().size(), 1) << kills << " kills";
    EXPECT_EQ(manager.property(unit, "ActiveState"), "failed");
    EXPECT_TRUE(ServerLauncher::runningServers().isEmpty());
    const QJsonArray failed =
        QJsonDocument::fromJson(ProgramRunner::voranthctl({"running", "--json"}).out.toUtf8())
            .array();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0]["state"].toString(), "failed");
    EXPECT_EQ(failed[0]["unit"].toString(), unit);
    // Each start marked in the log.
    QFile log(ServerLog::pathFor("VO_Alpha.config"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("the server starts"), kills + 1);

    // A start again resets the unit and starts it anew, its earlier log kept.
    const RunningServer::Record again = startService(config);

    // While a service runs, the user timer samples its player history every minute.
    ASSERT_TRUE(SamplingTimer::installed());
    EXPECT_EQ(manager.property(SamplingTimer::timerName(), "ActiveState"), "active");
    for (const QString& unitFile : {SamplingTimer::timerPath(), SamplingTimer::servicePath()}) {
        QProcess verify;
        verify.start("systemd-analyze", {"verify", unitFile});
        ASSERT_TRUE(verify.waitForFinished(60000));
        EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
    }
    manager.systemctl({"start", SamplingTimer::serviceName()});
    const PlayerHistory history(PlayerHistory::pathForServer("Alpha"));
    // A sample of this minute (the timer's own, at a minute's start, may have come first).
    EXPECT_TRUE(waitUntil([&] {
        const Result<PlayerHistory::Reading> read = history.readLast(1);
        return read.ok() && !read.value.samples.isEmpty() &&
               read.value.samples.last().map == config.mapList().first();
    })) << manager.systemctl({"status", "--no-pager", SamplingTimer::serviceName()}).toStdString();
    EXPECT_TRUE(QFileInfo::exists(ServerLog::earlierRunPath("VO_Alpha.config", 1)));
    const qint32 last = ServerLauncher::serverPid(again.launchToken);

    // A stop is final: the unit goes, and nothing restarts it.
    const ProgramResult stopped = ProgramRunner::voranthctl({"stop", "--server", "Alpha"});
    EXPECT_EQ(stopped.exitCode, 0) << stopped.err.toStdString();
    EXPECT_EQ(stopped.out, QString("stopped %1 (Alpha)\n").arg(last));
    EXPECT_FALSE(RealServer::isRunning(last));
    // Longer than the manager waits before a restart.
    QThread::msleep((ServiceUnit::restartSeconds + 1) * 1000);
    EXPECT_NE(manager.property(unit, "ActiveState"), "active");
    EXPECT_NE(manager.property(unit, "ActiveState"), "activating");
    EXPECT_TRUE(RunningServer::readAll().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(
        ConfigFiles(GamePaths(gameRoot(), "baseq3")).configFileWithPathReplacedSpaces("Alpha")));
    EXPECT_FALSE(SamplingTimer::installed()) << "gone with the last service";
    EXPECT_NE(manager.property(SamplingTimer::timerName(), "ActiveState"), "active");
}

TEST_F(ServiceHosting, ServicesAndATerminalServerRunSideBySideAndUnitsNotOursAreNeverTouched)
{
    // The same program with the same configuration file on another port, and a unit under the
    // name Voranth would give Beta's server: neither started by Voranth.
    ASSERT_TRUE(startForeignUnit("decoy.service",
                                 RealServer::config("Alpha", "decoy", RealServer::freeUdpPort())));
    ASSERT_TRUE(manager.run({"--unit=voranth-VO_Beta.service", "--", "/bin/sleep", "600"}));
    const QString decoyPid = manager.property("decoy.service", "MainPID");
    const QString sleeperPid = manager.property("voranth-VO_Beta.service", "MainPID");

    const ServerConfig beta = RealServer::config("Beta", "secret", RealServer::freeUdpPort());
    const Result<RunningServer::Record> refused =
        ServerLauncher::start(beta, gameRoot(), ServerHosting::Way::Service);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error.toStdString(),
              "The service voranth-VO_Beta.service runs already, and Voranth did not start it.");
    EXPECT_TRUE(RunningServer::readAll().isEmpty());

    const ServerConfig alpha = RealServer::config("Alpha", "secret", RealServer::freeUdpPort());
    const ServerConfig gamma = RealServer::config("Gamma", "secret", RealServer::freeUdpPort());
    const ServerConfig delta = RealServer::config("Delta", "secret", RealServer::freeUdpPort());
    startService(alpha);
    startService(gamma);
    const Result<RunningServer::Record> inTerminal =
        ServerLauncher::start(delta, gameRoot(), ServerHosting::Way::Terminal);
    ASSERT_TRUE(inTerminal.ok()) << inTerminal.error.toStdString();
    EXPECT_TRUE(inTerminal.value.unitName.isEmpty());
    EXPECT_TRUE(answers(delta.netPort()));
    const ProgramResult running = ProgramRunner::voranthctl({"running"});
    for (const char* row :
         {"\nAlpha .* service\n", "\nGamma .* service\n", "\nDelta .* terminal\n"})
        EXPECT_TRUE(running.out.contains(QRegularExpression(row)))
            << row << running.out.toStdString();

    EXPECT_EQ(ProgramRunner::voranthctl({"stop", "--server", "Gamma"}).exitCode, 0);
    EXPECT_NE(manager.property("voranth-VO_Gamma.service", "ActiveState"), "active");
    EXPECT_TRUE(answers(alpha.netPort()));
    EXPECT_TRUE(answers(delta.netPort()));
    EXPECT_EQ(ProgramRunner::voranthctl({"stop", "--server", "Delta"}).exitCode, 0);
    EXPECT_TRUE(answers(alpha.netPort()));
    EXPECT_EQ(ProgramRunner::voranthctl({"stop", "--all"}).exitCode, 0);
    EXPECT_TRUE(ServerLauncher::runningServers().isEmpty());

    EXPECT_EQ(manager.property("decoy.service", "MainPID"), decoyPid);
    EXPECT_EQ(manager.property("voranth-VO_Beta.service", "MainPID"), sleeperPid);
    EXPECT_EQ(manager.property("decoy.service", "ActiveState"), "active");
}
