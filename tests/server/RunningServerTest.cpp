#include "server/RunningServer.h"

#include "config/CommonData.h"
#include "server/ConfigFiles.h"
#include "server/ServerLauncher.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

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

// Writes record where an earlier version kept its one record, without a launch token when the
// record has none.
void writeAsTheSingleRecordOfAnEarlierVersion(RunningServer::Record record)
{
    const bool withToken = !record.launchToken.isEmpty();
    const QString token = withToken ? record.launchToken : QStringLiteral("0123456789abcdef");
    record.launchToken = token;
    ASSERT_TRUE(RunningServer::save(record).ok());
    QFile file(RunningServer::recordPath(token));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    ASSERT_TRUE(file.remove());
    // An earlier version kept no launch token at all.
    if (!withToken)
        text.replace(QByteArray("LaunchToken = ") + token.toLatin1() + ";", "");
    ASSERT_EQ(text.contains(token.toLatin1()), withToken) << text.toStdString();
    QFile single(CommonData::appSupportQ3VXDir() + "/RunningServer.plist");
    ASSERT_TRUE(single.open(QIODevice::WriteOnly));
    single.write(text);
}

// A process of the test's own, recorded as the server once it runs.
class Sleeper
{
public:
    Sleeper()
    {
        m_process.start("/bin/sleep", {"60"});
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~Sleeper() { end(); }
    ProcessIdentity identity() const
    {
        return ProcessIdentity::of(qint32(m_process.processId())).value_or(ProcessIdentity());
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    void end()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

RunningServer::Record recordOf(const ServerConfig& config, const ProcessIdentity& server)
{
    RunningServer::Record record = RunningServer::launchRecord(config);
    record.pid = server.pid;
    record.processStartTime = server.startTime;
    return record;
}

} // namespace

TEST(RunningServerRecord, KeepsTheLaunchAndItsServerAndASwitchKeepsThePasswordAndSocket)
{
    EXPECT_FALSE(RunningServer::read().has_value());
    const ServerConfig first = configNamed("My Server", "first-secret", 27971);
    const qint64 before = RunningServer::bootTimeMs();
    ASSERT_TRUE(RunningServer::record(first));
    std::optional<RunningServer::Record> record = RunningServer::read();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->config, first);
    EXPECT_EQ(record->execFile, "VO_My_Server.config");
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(record->launchToken).hasMatch())
        << record->launchToken.toStdString();
    EXPECT_NE(record->launchToken, RunningServer::launchRecord(first).launchToken);
    EXPECT_EQ(record->bootId, ProcessTable().bootId());
    EXPECT_GE(record->launchedAtBootMs, before);
    EXPECT_LE(record->launchedAtBootMs, RunningServer::bootTimeMs());
    EXPECT_EQ(record->pid, -1);
    EXPECT_FALSE(record->serverFound());
    EXPECT_EQ(QFileInfo(RunningServer::recordPath(record->launchToken)).permissions() & 0x0077, 0)
        << "the record holds the password: its owner's only";

    const ProcessIdentity server{4321, 987654, record->bootId};
    EXPECT_FALSE(RunningServer::noteServerProcess(RunningServer::launchRecord(first).launchToken, server))
        << "the record of another launch";
    ASSERT_TRUE(RunningServer::noteServerProcess(record->launchToken, server));
    ASSERT_TRUE(RunningServer::noteLauncherProcess(record->launchToken, {4320, 987650, record->bootId}));
    ServerConfig second = configNamed("Second", "second-secret", 27972);
    second.setNetIP("192.0.2.9");
    second.setFragLimit(44);
    ASSERT_TRUE(RunningServer::switchConfiguration(record->launchToken, second));
    record = RunningServer::read();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->config.configName(), "Second");
    EXPECT_EQ(record->config.fragLimit(), 44);
    EXPECT_EQ(record->config.rconPassword(), "first-secret");
    EXPECT_EQ(record->config.netIP(), "localhost");
    EXPECT_EQ(record->config.netPort(), 27971);
    EXPECT_EQ(record->execFile, "VO_My_Server.config") << "the command line stays";
    EXPECT_EQ(record->serverProcess(), server);
    EXPECT_EQ(record->launcherProcess(), (ProcessIdentity{4320, 987650, record->bootId}));

    // Only the record of that launch is forgotten.
    RunningServer::forget(RunningServer::launchRecord(first).launchToken);
    EXPECT_TRUE(RunningServer::read().has_value());
    RunningServer::forget(record->launchToken);
    EXPECT_FALSE(QFile::exists(RunningServer::recordPath(record->launchToken)));

    QFile garbage(RunningServer::recordPath(record->launchToken));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ ExecFile = x; Configuration = \"bm90IGFuIGFyY2hpdmU=\"; }");
    garbage.close();
    EXPECT_FALSE(RunningServer::read().has_value());
    RunningServer::clear();
    EXPECT_FALSE(QFile::exists(RunningServer::recordPath(record->launchToken)));
    EXPECT_FALSE(RunningServer::noteServerProcess(record->launchToken, server));
}

TEST(RunningServerRecord, ALinkAtTheRecordPathIsReplacedAndItsTargetLeftAlone)
{
    ASSERT_TRUE(RunningServer::record(configNamed("First", "x", 27971)));
    RunningServer::Record record = *RunningServer::read();
    const QString path = RunningServer::recordPath(record.launchToken);
    const QString target = TestEnvironment::makeScratchDir("elsewhere") + "/precious";
    QFile precious(target);
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.write("not a record");
    precious.close();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(target, path));

    record.config = configNamed("Second", "secret", 27972);
    ASSERT_TRUE(RunningServer::save(record).ok());
    ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
    EXPECT_EQ(precious.readAll(), "not a record");
    const QFileInfo written(path);
    EXPECT_FALSE(written.isSymLink());
    EXPECT_EQ(written.permissions() & 0x0077, 0);
    ASSERT_TRUE(RunningServer::read().has_value());
    EXPECT_EQ(RunningServer::read()->config.configName(), "Second");
}

TEST(RunningServerRecord, StartingIsMeasuredOnTheBootClockWhateverTheWallClockSays)
{
    const ServerConfig config = configNamed("Alpha", "secret", 27973);
    writeServerFile(config);
    RunningServer::Record record = RunningServer::launchRecord(config);

    // Launched a moment ago, with a wall-clock time a day ahead (or behind): starting.
    for (const int days : {1, -1}) {
        record.startedAt = QDateTime::currentDateTimeUtc().addDays(days);
        ASSERT_TRUE(RunningServer::write(record));
        const std::optional<RunningServer::Record> starting = ServerLauncher::runningServer();
        ASSERT_TRUE(starting.has_value()) << days;
        EXPECT_FALSE(starting->serverFound());
        EXPECT_EQ(ServerLauncher::recordedServerPid(), -1);
        EXPECT_EQ(ServerLauncher::startingMessage(*starting),
                  "'Alpha' is starting: its server process has not been found yet.");
    }

    // Launched longer ago than the grace by the boot clock, whatever the wall clock says; in
    // another boot; with a boot time ahead of the clock; or by a version that kept none of
    // it: gone, and its server file with it.
    const auto gone = [&](const RunningServer::Record& prepared, const char* why) {
        writeServerFile(config);
        if (prepared.launchToken.isEmpty())
            writeAsTheSingleRecordOfAnEarlierVersion(prepared);
        else
            ASSERT_TRUE(RunningServer::write(prepared));
        EXPECT_FALSE(ServerLauncher::runningServer().has_value()) << why;
        EXPECT_FALSE(RunningServer::read().has_value()) << why;
        EXPECT_FALSE(QFile::exists(serverFileOf(config))) << why;
    };
    RunningServer::Record old = record;
    old.launchedAtBootMs = RunningServer::bootTimeMs() - (ServerLauncher::startupGraceSeconds + 5) * 1000;
    gone(old, "past the grace");
    RunningServer::Record otherBoot = record;
    otherBoot.bootId = "00000000-0000-4000-8000-000000000000";
    gone(otherBoot, "another boot");
    RunningServer::Record ahead = record;
    ahead.launchedAtBootMs = RunningServer::bootTimeMs() + 3600 * 1000;
    gone(ahead, "ahead of the boot clock");
    RunningServer::Record older = record;
    older.launchToken.clear();
    older.bootId.clear();
    older.launchedAtBootMs = -1;
    gone(older, "a record of an older version");
}

TEST(RunningServerRecord, ARecordedServerIsItsProcessOnlyAndGoesWithIt)
{
    const ServerConfig config = configNamed("Gone Server", "secret", 27974);
    writeServerFile(config);
    Sleeper server;
    ASSERT_TRUE(server.identity().isValid());
    RunningServer::Record record = recordOf(config, server.identity());
    ASSERT_TRUE(RunningServer::write(record));
    const std::optional<RunningServer::Record> found = ServerLauncher::runningServer();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->serverProcess(), server.identity());
    EXPECT_EQ(ServerLauncher::recordedServerPid(), server.identity().pid);

    // Its id with another start time is another process: gone, and never signalled.
    record.processStartTime -= 1;
    ASSERT_TRUE(RunningServer::write(record));
    const ServerLauncher::StopResult stopped = ServerLauncher::stop(0);
    EXPECT_EQ(stopped.killedPid, -1);
    EXPECT_FALSE(RunningServer::read().has_value());
    EXPECT_FALSE(QFile::exists(serverFileOf(config)));
    EXPECT_TRUE(server.running());

    // Ended: gone at once, however young the record.
    writeServerFile(config);
    ASSERT_TRUE(RunningServer::write(recordOf(config, server.identity())));
    server.end();
    EXPECT_FALSE(ServerLauncher::runningServer().has_value());
    EXPECT_FALSE(QFile::exists(serverFileOf(config)));
}

TEST(RunningServerRecord, TheRegistryKeepsARecordPerLaunchAndEachChangeTouchesItsOwn)
{
    RunningServer::Record alpha = RunningServer::launchRecord(configNamed("Alpha", "a", 27981));
    RunningServer::Record beta = RunningServer::launchRecord(configNamed("Beta", "b", 27982));
    beta.startedAt = alpha.startedAt.addSecs(5);
    ASSERT_TRUE(RunningServer::save(beta).ok());
    ASSERT_TRUE(RunningServer::save(alpha).ok());
    EXPECT_EQ(QFileInfo(RunningServer::registryDirectory()).permissions() & 0x0077, 0);

    // In the order of their launches, whatever the order of their files.
    QList<RunningServer::Record> records = RunningServer::readAll();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].config.configName(), "Alpha");
    EXPECT_EQ(records[1].config.configName(), "Beta");

    ASSERT_TRUE(RunningServer::switchConfiguration(beta.launchToken, configNamed("Rules", "r", 1)));
    ASSERT_TRUE(RunningServer::noteServerProcess(alpha.launchToken, {111, 222, alpha.bootId}));
    EXPECT_EQ(RunningServer::read(alpha.launchToken)->config.configName(), "Alpha");
    EXPECT_EQ(RunningServer::read(alpha.launchToken)->pid, 111);
    EXPECT_EQ(RunningServer::read(beta.launchToken)->config.configName(), "Rules");
    EXPECT_EQ(RunningServer::read(beta.launchToken)->config.netPort(), 27982);
    EXPECT_EQ(RunningServer::read(beta.launchToken)->pid, -1);

    // A file that is no record, and a name that is no token, are no servers.
    QFile garbage(RunningServer::registryDirectory() + "/0123abcd.plist");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("<not a plist");
    garbage.close();
    EXPECT_EQ(RunningServer::readAll().size(), 2);
    EXPECT_FALSE(RunningServer::read("../RunningServer").has_value());
    EXPECT_FALSE(RunningServer::save(RunningServer::Record{}).ok()) << "a record needs its token";

    RunningServer::forget(alpha.launchToken);
    records = RunningServer::readAll();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].launchToken, beta.launchToken);
    RunningServer::clear();
    EXPECT_TRUE(RunningServer::readAll().isEmpty());
}

TEST(RunningServerRecord, TheSingleRecordOfAnEarlierVersionIsTakenIntoTheRegistry)
{
    const RunningServer::Record old = RunningServer::launchRecord(configNamed("Old", "o", 27983));
    writeAsTheSingleRecordOfAnEarlierVersion(old);
    const QString single = CommonData::appSupportQ3VXDir() + "/RunningServer.plist";
    ASSERT_TRUE(QFile::exists(single));

    const QList<RunningServer::Record> records = RunningServer::readAll();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].launchToken, old.launchToken);
    EXPECT_EQ(records[0].config.configName(), "Old");
    EXPECT_FALSE(QFile::exists(single));
    EXPECT_TRUE(QFile::exists(RunningServer::recordPath(old.launchToken)));
    RunningServer::clear();
}
