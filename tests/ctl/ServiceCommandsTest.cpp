#include "config/ServerConfig.h"
#include "config/SettingsKeys.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "server/ServiceHost.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/ServiceTest.h"
#include "support/StoreSeeds.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class VoranthctlService : public ServiceTest
{
protected:
    static qint32 serverOf(const QString& name)
    {
        qint32 pid = -1;
        waitUntil([&] {
            const std::optional<RunningServer::Record> record =
                ServerLauncher::runningServerOf(name);
            pid = record && record->serverFound() ? record->pid : -1;
            return pid != -1;
        });
        return pid;
    }
};

} // namespace

TEST_F(VoranthctlService, AServerEnabledAtLoginStartsWithTheManagersDefaultTargetAndIsDisabledAgain)
{
    const int port = RealServer::freeUdpPort();
    const ServerConfig config = RealServer::config("Alpha", "secret", port);
    StoreSeeds::seed({config});
    const QString unitFile = ServiceHost::unitFilePath(config);

    const ProgramResult enabled = ProgramRunner::voranthctl({"enable", "Alpha"});
    ASSERT_EQ(enabled.exitCode, 0) << enabled.err.toStdString();
    EXPECT_EQ(enabled.out, "enabled voranth-VO_Alpha.service (" + unitFile + ")\n");
    EXPECT_EQ(manager.property("voranth-VO_Alpha.service", "UnitFileState"), "enabled");
    QProcess verify;
    verify.start("systemd-analyze", {"verify", unitFile});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"running"}).exitCode, 1) << "enabled, not started";

    // The login: the manager starts its default target, and the server with it.
    manager.systemctl({"start", "default.target"});
    const qint32 pid = serverOf("Alpha");
    ASSERT_NE(pid, -1)
        << manager.systemctl({"status", "--no-pager", "voranth-VO_Alpha.service"}).toStdString();
    EXPECT_TRUE(answers(port));
    EXPECT_TRUE(ProgramRunner::voranthctl({"running"})
                    .out.contains(QRegularExpression(
                        QString("\nAlpha +baseq3 +%1 .* running +service, at login\n").arg(pid))));

    // Its log, followed: a line the server writes later shows.
    QProcess follow;
    follow.start(TestEnvironment::binaryDir() + "/voranthctl",
                 {"logs", "--server", "Alpha", "-n", "3", "-f"});
    QByteArray followed;
    ASSERT_TRUE(waitUntil([&] {
        followed += follow.readAllStandardOutput();
        return followed.count('\n') >= 3;
    })) << followed.constData();
    ASSERT_FALSE(RealServer::rcon(port, "secret", "echo follow-marker").isEmpty());
    EXPECT_TRUE(waitUntil([&] {
        followed += follow.readAllStandardOutput();
        return followed.contains("echo follow-marker");
    })) << followed.constData();
    follow.kill();
    follow.waitForFinished();
    const ProgramResult last = ProgramRunner::voranthctl({"logs", "--server", "Alpha", "-n", "1"});
    EXPECT_EQ(last.exitCode, 0);
    EXPECT_EQ(last.out.count('\n'), 1);

    // Stopped, it stays enabled; a start is the unit's again.
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).exitCode, 0);
    EXPECT_FALSE(RealServer::isRunning(pid));
    EXPECT_TRUE(ServiceHost::isEnabled(config));
    const ProgramResult started = ProgramRunner::voranthctl({"start", "Alpha", "--terminal"});
    ASSERT_EQ(started.exitCode, 0) << started.err.toStdString();
    EXPECT_EQ(manager.property("voranth-VO_Alpha.service", "MainPID"), started.out.trimmed());

    // Disabled while it runs: it runs on, and is gone with its files once stopped.
    const ProgramResult disabled = ProgramRunner::voranthctl({"disable", "Alpha"});
    EXPECT_EQ(disabled.exitCode, 0) << disabled.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unitFile));
    EXPECT_TRUE(answers(port));
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).exitCode, 0);
    EXPECT_TRUE(RunningServer::readAll().isEmpty());
    EXPECT_EQ(ProgramRunner::voranthctl({"disable", "Alpha"}).exitCode, 1);

    // A unit file at that place that Voranth did not write is neither replaced nor removed.
    const QByteArray foreign = "[Service]\nExecStart=/bin/true\n";
    QFile file(unitFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(foreign);
    file.close();
    const ProgramResult refused = ProgramRunner::voranthctl({"enable", "Alpha"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("was not written by Voranth")) << refused.err.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"disable", "Alpha"}).exitCode, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), foreign);
    EXPECT_TRUE(RunningServer::readAll().isEmpty());
}

using VoranthctlServiceRefusals = RealServer::Test;

TEST_F(VoranthctlServiceRefusals, WithoutAManagerAServiceStartIsRefusedWithTheReason)
{
    StoreSeeds::seed({RealServer::config("Alpha", "secret", RealServer::freeUdpPort())});
    EXPECT_EQ(ProgramRunner::voranthctl({"set", "Server Hosting", "cloud"}).exitCode, 1);
    ASSERT_EQ(ProgramRunner::voranthctl({"set", "Server Hosting", "service"}).exitCode, 0);
    for (const QStringList& start :
         {QStringList{"start", "Alpha"}, {"start", "Alpha", "--service"}}) {
        const ProgramResult refused = ProgramRunner::voranthctl(start);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("No service manager of the user answers"))
            << refused.err.toStdString();
    }
    EXPECT_TRUE(RunningServer::readAll().isEmpty());
    EXPECT_EQ(ProgramRunner::voranthctl({"start", "Alpha", "--service", "--terminal"}).exitCode, 2);
    EXPECT_EQ(ProgramRunner::voranthctl({"enable", "Alpha"}).exitCode, 1);
    EXPECT_EQ(ProgramRunner::voranthctl({"logs", "-n", "x"}).exitCode, 2);
}
