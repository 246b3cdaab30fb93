#include "server/RunningServer.h"

#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "server/ConfigFiles.h"
#include "server/ServerLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

ServerConfig configNamed(const QString& name, const QString& password, int port)
{
    ServerConfig config;
    config.setConfigName(name);
    config.setModName(QStringLiteral("baseq3"));
    config.setRconPassword(password);
    config.setNetIP(QStringLiteral("localhost"));
    config.setNetPort(port);
    config.setMapList({QStringLiteral("oa_dm1")});
    return config;
}

QString serverFileOf(const ServerConfig& config)
{
    return ConfigFiles(GamePaths(QString(), config.modName()))
        .configFileWithPathReplacedSpaces(config.configName());
}

void writeServerFile(const ServerConfig& config)
{
    ASSERT_TRUE(ConfigFiles(GamePaths(QString(), config.modName())).saveConfigToFile(config, true).ok());
}

// A process whose command line reads like a server's: the executable's name, "+exec" and a
// configuration file.
class StandIn
{
public:
    explicit StandIn(const QString& execFile)
    {
        m_process.start("/bin/bash",
                        {"-c", "read -t 60 line", "voranth-stand-in-ded", "+exec", execFile});
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~StandIn() { end(); }
    qint32 pid() const { return qint32(m_process.processId()); }
    void end()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

qint32 endedProcessId()
{
    QProcess process;
    process.start("/bin/sleep", {"60"});
    process.waitForStarted();
    const qint32 pid = qint32(process.processId());
    process.kill();
    process.waitForFinished();
    return pid;
}

} // namespace

TEST(RunningServerRecord, KeepsTheIdentityAndASwitchKeepsTheServersPasswordAndSocket)
{
    EXPECT_FALSE(RunningServer::read().has_value());
    const ServerConfig first = configNamed("My Server", "first-secret", 27971);
    ASSERT_TRUE(RunningServer::record(first));
    std::optional<RunningServer::Record> record = RunningServer::read();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->config, first);
    EXPECT_EQ(record->execFile, "VO_My_Server.config");
    EXPECT_EQ(record->pid, -1);
    EXPECT_LE(record->startedAt.secsTo(QDateTime::currentDateTimeUtc()), 60);
    EXPECT_EQ(QFileInfo(RunningServer::recordPath()).permissions() & 0x0077, 0)
        << "the record holds the password: its owner's only";

    ASSERT_TRUE(RunningServer::setProcessId(4321));
    ServerConfig second = configNamed("Second", "second-secret", 27972);
    second.setNetIP("192.0.2.9");
    second.setFragLimit(44);
    ASSERT_TRUE(RunningServer::switchConfiguration(second));
    record = RunningServer::read();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->config.configName(), "Second");
    EXPECT_EQ(record->config.fragLimit(), 44);
    EXPECT_EQ(record->config.rconPassword(), "first-secret");
    EXPECT_EQ(record->config.netIP(), "localhost");
    EXPECT_EQ(record->config.netPort(), 27971);
    EXPECT_EQ(record->execFile, "VO_My_Server.config") << "the command line stays";
    EXPECT_EQ(record->pid, 4321);

    QFile garbage(RunningServer::recordPath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ ExecFile = x; Configuration = \"bm90IGFuIGFyY2hpdmU=\"; }");
    garbage.close();
    EXPECT_FALSE(RunningServer::read().has_value());
    RunningServer::clear();
    EXPECT_FALSE(QFile::exists(RunningServer::recordPath()));
    EXPECT_FALSE(RunningServer::setProcessId(1));
}

TEST(RunningServerRecord, ARecordWhoseServerIsGoneIsDroppedWithItsServerFile)
{
    UserDefaults::setValue(KZXDedicatedAppName, "voranth-stand-in-ded");
    const ServerConfig config = configNamed("Gone Server", "secret", 27973);
    writeServerFile(config);

    // Just started: no process yet, and still given time to appear.
    ASSERT_TRUE(RunningServer::record(config));
    std::optional<RunningServer::Record> starting = ServerLauncher::runningServer();
    ASSERT_TRUE(starting.has_value());
    EXPECT_EQ(starting->pid, -1);
    EXPECT_EQ(ServerLauncher::recordedServerPid(), -1);

    // Started long ago and never seen: gone.
    RunningServer::Record old = *RunningServer::read();
    old.startedAt =
        QDateTime::currentDateTimeUtc().addSecs(-ServerLauncher::startupGraceSeconds - 5);
    ASSERT_TRUE(RunningServer::write(old));
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    EXPECT_FALSE(RunningServer::read().has_value());
    EXPECT_FALSE(QFile::exists(serverFileOf(config)));

    // Seen once, then ended: gone at once, however young the record.
    writeServerFile(config);
    ASSERT_TRUE(RunningServer::record(config));
    StandIn server("VO_Gone_Server.config");
    StandIn other("VO_Other.config");
    const std::optional<RunningServer::Record> found = ServerLauncher::runningServer();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->pid, server.pid());
    EXPECT_EQ(RunningServer::read()->pid, server.pid());
    server.end();
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    EXPECT_FALSE(QFile::exists(serverFileOf(config)));

    // A process id taken over by a process that executes another file is not our server.
    RunningServer::Record reused{config, "VO_Gone_Server.config", other.pid(),
                                 QDateTime::currentDateTimeUtc()};
    ASSERT_TRUE(RunningServer::write(reused));
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    reused.pid = endedProcessId();
    ASSERT_TRUE(RunningServer::write(reused));
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
}
