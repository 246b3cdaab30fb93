#include "config/ConfigStore.h"
#include "config/ServerConfig.h"
#include "server/ProcessSignal.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "support/LiveServer.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/StoreSeeds.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <signal.h>

#include <gtest/gtest.h>

namespace {

class VoranthctlServer : public RealServer::Test
{
protected:
    static void store(const QList<ServerConfig>& configs) { StoreSeeds::seed(configs); }
};

// Whether voranthctl running lists the configuration's server as running with that process.
bool listsRunning(const QString& configName, qint64 pid)
{
    const ProgramResult running = ProgramRunner::voranthctl({"running"});
    return running.exitCode == 0 && running.out.contains(QRegularExpression(
                                        QString("(^|\n)%1 +\\S+ +%2 +\\d+ +\\S+ +running +")
                                            .arg(QRegularExpression::escape(configName))
                                            .arg(pid)));
}

} // namespace

TEST_F(VoranthctlServer, StartRunningStopRoundTrip)
{
    const int port = RealServer::freeUdpPort();
    store({RealServer::config("Round Trip", "sekrit", port)});

    const ProgramResult started = ProgramRunner::voranthctl({"start", "Round Trip"});
    ASSERT_EQ(started.exitCode, 0) << started.err.toStdString();
    const qint64 pid = started.out.trimmed().toLongLong();
    ASSERT_GT(pid, 0) << started.out.toStdString();
    EXPECT_TRUE(RealServer::becomesEngine(pid));

    const ProgramResult running = ProgramRunner::voranthctl({"running"});
    EXPECT_EQ(running.exitCode, 0);
    EXPECT_TRUE(running.out.contains(QRegularExpression(
        QString("^CONFIGURATION +MOD +PID +PORT +STARTED +STATE +HOSTING +NOTE\nRound Trip +baseq3 "
                "+%1 +%2 +\\d{4}-\\d\\d-\\d\\dT\\S+ +running +terminal\n$")
            .arg(pid)
            .arg(port))))
        << running.out.toStdString();
    const QJsonArray json =
        QJsonDocument::fromJson(ProgramRunner::voranthctl({"running", "--json"}).out.toUtf8())
            .array();
    ASSERT_EQ(json.size(), 1);
    EXPECT_EQ(json[0]["pid"].toInteger(), pid);
    EXPECT_EQ(json[0]["configuration"].toString(), "Round Trip");
    EXPECT_EQ(json[0]["mod"].toString(), "baseq3");
    EXPECT_EQ(json[0]["port"].toInt(), port);
    EXPECT_EQ(json[0]["state"].toString(), "running");

    const ProgramResult second = ProgramRunner::voranthctl({"start", "Round Trip"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains("'Round Trip' is running!")) << second.err.toStdString();

    const ProgramResult stopped = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(stopped.exitCode, 0) << stopped.err.toStdString();
    EXPECT_EQ(stopped.out, QString("stopped %1 (Round Trip)\n").arg(pid));
    EXPECT_FALSE(RealServer::isRunning(pid));

    const ProgramResult none = ProgramRunner::voranthctl({"running"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "voranthctl: no server running\n");
    const ProgramResult noStop = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(noStop.exitCode, 1);
    EXPECT_EQ(noStop.err, "voranthctl: no server running\n");
}

TEST_F(VoranthctlServer, StartRefusesWhatTheWindowWouldRefuse)
{
    ServerConfig noMaps = RealServer::config("No Maps", "sekrit", 27961);
    noMaps.setMapList({});
    store({noMaps, RealServer::config("No Password", "", 27961),
           RealServer::config("Blank Password", "two words", 27961)});

    const ProgramResult maps = ProgramRunner::voranthctl({"start", "No Maps"});
    EXPECT_EQ(maps.exitCode, 1);
    EXPECT_TRUE(maps.err.startsWith("voranthctl: No maps in map list!\n"))
        << maps.err.toStdString();
    const ProgramResult password = ProgramRunner::voranthctl({"start", "No Password"});
    EXPECT_EQ(password.exitCode, 1);
    EXPECT_TRUE(password.err.contains("Remote Control password not set!"));
    EXPECT_TRUE(password.err.contains("--no-rcon"));
    const ProgramResult blank = ProgramRunner::voranthctl({"start", "Blank Password", "--no-rcon"});
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_TRUE(blank.err.contains("Remote Control password cannot work!"));
    const ProgramResult unknown = ProgramRunner::voranthctl({"start", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "voranthctl: no configuration named 'Nobody'\n");
    EXPECT_EQ(ProgramRunner::voranthctl({"start"}).exitCode, 2);
    EXPECT_EQ(ProgramRunner::voranthctl({"stop", "now"}).exitCode, 2);
    EXPECT_EQ(ServerLauncher::waitForServer(0), -1) << "nothing was started";
}

TEST_F(VoranthctlServer, ServersOfTheSameProgramAndFileAreNeverTakenForOurs)
{
    // Started by hand before ours: the same program executing VO_Alpha.config, on ports of
    // their own, in this home and in another.
    LiveServer sameHome(RealServer::freeUdpPort(), "decoy-secret", {"oa_dm2"}, "Alpha");
    ASSERT_TRUE(sameHome.start()) << sameHome.error().toStdString();
    LiveServer otherHome(RealServer::freeUdpPort(), "other-secret", {"oa_dm3"}, "Alpha");
    otherHome.setHome(TestEnvironment::makeScratchDir("other-home"));
    ASSERT_TRUE(otherHome.start()) << otherHome.error().toStdString();
    store({RealServer::config("Alpha", "sekrit", RealServer::freeUdpPort())});

    EXPECT_EQ(ProgramRunner::voranthctl({"running"}).err, "voranthctl: no server running\n");
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).err, "voranthctl: no server running\n");
    const ProgramResult started = ProgramRunner::voranthctl({"start", "Alpha"});
    ASSERT_EQ(started.exitCode, 0) << started.err.toStdString();
    const qint64 pid = started.out.trimmed().toLongLong();
    EXPECT_NE(pid, sameHome.pid());
    EXPECT_NE(pid, otherHome.pid());
    EXPECT_TRUE(RealServer::becomesEngine(pid));
    EXPECT_TRUE(listsRunning("Alpha", pid));

    const ProgramResult stopped = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(stopped.out, QString("stopped %1 (Alpha)\n").arg(pid)) << stopped.err.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).err, "voranthctl: no server running\n");
    for (const LiveServer* decoy : {&sameHome, &otherHome}) {
        EXPECT_TRUE(decoy->running());
        EXPECT_TRUE(RealServer::rcon(decoy->config().netPort(),
                                     decoy->config().rconPassword().toLatin1(), "status")
                        .startsWith("map: " + decoy->config().mapList().first().toLatin1() + "\n"));
    }
}

TEST_F(VoranthctlServer, AStopThatDidNotStopSaysSoAndTheServerStaysOurs)
{
    const int port = RealServer::freeUdpPort();
    store({RealServer::config("Alpha", "sekrit", port)});
    const ProgramResult started = ProgramRunner::voranthctl({"start", "Alpha"});
    ASSERT_EQ(started.exitCode, 0) << started.err.toStdString();
    const qint32 pid = started.out.trimmed().toInt();
    const std::optional<ProcessIdentity> server = ProcessIdentity::of(pid);
    ASSERT_TRUE(server.has_value());
    ASSERT_EQ(ProcessSignal::send(*server, SIGSTOP), ProcessSignal::Outcome::Sent);
    ASSERT_TRUE(waitUntil([&] { return RealServer::stateOf(pid) == 'T'; }));

    const ProgramResult stuck = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(stuck.exitCode, 1);
    EXPECT_EQ(stuck.err, QString("voranthctl: the server of 'Alpha' (process %1) still runs after "
                                 "the terminate signal; Voranth keeps it as a running server\n")
                             .arg(pid));
    EXPECT_TRUE(listsRunning("Alpha", pid));
    EXPECT_TRUE(ProgramRunner::voranthctl({"start", "Alpha"}).err.contains("'Alpha' is running!"));

    ASSERT_EQ(ProcessSignal::send(*server, SIGCONT), ProcessSignal::Outcome::Sent);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_EQ(ProgramRunner::voranthctl({"running"}).err, "voranthctl: no server running\n");
    ASSERT_TRUE(waitUntil([&] { return !ServerLauncher::portInUse(quint16(port)); }));
    const ProgramResult again = ProgramRunner::voranthctl({"start", "Alpha"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).exitCode, 0);
}

TEST_F(VoranthctlServer, EveryCommandJudgesAStartingServerAlikeWhateverTheWallClockSays)
{
    const ServerConfig alpha = RealServer::config("Alpha", "sekrit", RealServer::freeUdpPort());
    store({alpha});
    // Launched a moment ago by the boot clock, a day ahead by the wall clock (which has since
    // been set back), its process not found yet.
    RunningServer::Record record = RunningServer::launchRecord(alpha);
    record.startedAt = QDateTime::currentDateTimeUtc().addDays(1);
    ASSERT_TRUE(RunningServer::write(record));

    const QString starting =
        "voranthctl: 'Alpha' is starting: its server process has not been found yet.\n";
    const ProgramResult status = ProgramRunner::voranthctl({"status"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_EQ(status.err, starting);
    const QJsonArray listed =
        QJsonDocument::fromJson(ProgramRunner::voranthctl({"running", "--json"}).out.toUtf8())
            .array();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0]["state"].toString(), "starting");
    EXPECT_EQ(listed[0]["pid"].toInt(), -1);
    EXPECT_TRUE(ProgramRunner::voranthctl({"start", "Alpha"}).err.contains("'Alpha' is running!"));
    const ProgramResult stopped = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_EQ(stopped.err, "voranthctl: no server process of 'Alpha' was found; the record of its "
                           "start is removed\n");
    EXPECT_FALSE(RunningServer::read().has_value());

    // Launched longer ago than the grace by the boot clock, though "in the future" by the wall
    // clock: gone for every command.
    record.launchedAtBootMs =
        RunningServer::bootTimeMs() - (ServerLauncher::startupGraceSeconds + 5) * 1000;
    for (const QStringList& command :
         {QStringList{"running"}, QStringList{"status"}, QStringList{"stop"}}) {
        ASSERT_TRUE(RunningServer::write(record));
        const ProgramResult result = ProgramRunner::voranthctl(command);
        EXPECT_EQ(result.err, "voranthctl: no server running\n") << command.join(' ').toStdString();
        EXPECT_FALSE(RunningServer::read().has_value());
    }
    ASSERT_TRUE(RunningServer::write(record));
    ServerConfig noMaps = alpha;
    noMaps.setMapList({});
    store({noMaps});
    EXPECT_TRUE(ProgramRunner::voranthctl({"start", "Alpha"})
                    .err.startsWith("voranthctl: No maps in map list!"))
        << "past the running check";
}

TEST_F(VoranthctlServer, TheRunningConfigurationIsNeitherRenamedNorDeletedUnderAnyName)
{
    const int port = RealServer::freeUdpPort();
    store({RealServer::config("Alpha", "sekrit", port), RealServer::config("Beta", "beta", port)});
    const ProgramResult started = ProgramRunner::voranthctl({"start", "Alpha"});
    ASSERT_EQ(started.exitCode, 0) << started.err.toStdString();

    const ProgramResult renamed = ProgramRunner::voranthctl({"rename", "Alpha", "Zed"});
    EXPECT_EQ(renamed.exitCode, 1);
    EXPECT_TRUE(renamed.err.startsWith("voranthctl: 'Alpha' is running! Quit its server before "
                                       "renaming it"))
        << renamed.err.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"delete", "Zed"}).exitCode, 1) << "there is no Zed";
    EXPECT_TRUE(ProgramRunner::voranthctl({"delete", "Alpha"}).err.contains("'Alpha' is running!"));

    // The server runs Beta now: Beta is kept, under its name.
    const ProgramResult switched = ProgramRunner::voranthctl({"run-config", "Beta"});
    ASSERT_EQ(switched.exitCode, 0) << switched.err.toStdString();
    EXPECT_TRUE(
        ProgramRunner::voranthctl({"rename", "Beta", "Zed"}).err.contains("'Beta' is running!"));
    EXPECT_TRUE(ProgramRunner::voranthctl({"delete", "Beta"}).err.contains("'Beta' is running!"));
    EXPECT_EQ(ProgramRunner::voranthctl({"rename", "Alpha", "Zed"}).exitCode, 0);
    EXPECT_EQ(ProgramRunner::voranthctl({"delete", "Zed"}).exitCode, 0);

    ConfigStore onDisk;
    onDisk.load();
    EXPECT_EQ(onDisk.serverConfigDict().keys(), QStringList{"Beta"});
    EXPECT_EQ(ProgramRunner::voranthctl({"stop"}).exitCode, 0);
}

TEST_F(VoranthctlServer, TwoServersRunAtOnceAndEachCommandNamesTheOneItMeans)
{
    const int portA = RealServer::freeUdpPort();
    const int portB = RealServer::freeUdpPort();
    store({RealServer::config("Alpha", "sekrit", portA),
           RealServer::config("Beta", "sekrit", portB),
           RealServer::config("Gamma", "sekrit", portA)});
    const ProgramResult alpha = ProgramRunner::voranthctl({"start", "Alpha"});
    ASSERT_EQ(alpha.exitCode, 0) << alpha.err.toStdString();
    const ProgramResult beta = ProgramRunner::voranthctl({"start", "Beta"});
    ASSERT_EQ(beta.exitCode, 0) << beta.err.toStdString();
    const qint64 alphaPid = alpha.out.trimmed().toLongLong();
    const qint64 betaPid = beta.out.trimmed().toLongLong();

    const QJsonArray listed =
        QJsonDocument::fromJson(ProgramRunner::voranthctl({"running", "--json"}).out.toUtf8())
            .array();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0]["configuration"].toString(), "Alpha");
    EXPECT_EQ(listed[0]["pid"].toInteger(), alphaPid);
    EXPECT_EQ(listed[0]["port"].toInt(), portA);
    EXPECT_EQ(listed[1]["configuration"].toString(), "Beta");
    EXPECT_EQ(listed[1]["pid"].toInteger(), betaPid);

    // Without --server, no command guesses.
    for (const QStringList& command : {QStringList{"status"}, QStringList{"rcon", "status"},
                                       QStringList{"addbot", "Sarge"}, QStringList{"stop"}}) {
        const ProgramResult refused = ProgramRunner::voranthctl(command);
        EXPECT_EQ(refused.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_EQ(refused.err, "voranthctl: 2 servers run ('Alpha', 'Beta'): name one with "
                               "--server NAME\n")
            << command.join(' ').toStdString();
    }
    EXPECT_TRUE(RealServer::isRunning(alphaPid));
    EXPECT_TRUE(RealServer::isRunning(betaPid));

    // A third on Alpha's port is refused, naming Alpha and the next free port.
    const ProgramResult clash = ProgramRunner::voranthctl({"start", "Gamma"});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_TRUE(clash.err.contains(QString("The server of 'Alpha' uses the port %1. Choose another "
                                           "port for 'Gamma' (the next free one is ")
                                       .arg(portA)))
        << clash.err.toStdString();

    const auto statusOf = [](const QString& name) {
        return QJsonDocument::fromJson(
                   ProgramRunner::voranthctl({"status", "--server", name, "--json"}).out.toUtf8())
            .object();
    };
    EXPECT_EQ(statusOf("Alpha")["config"].toString(), "Alpha");
    EXPECT_EQ(statusOf("Beta")["config"].toString(), "Beta");
    const ProgramResult added = ProgramRunner::voranthctl({"addbot", "--server", "Beta", "Sarge"});
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return RealServer::rcon(portB, "sekrit", "status").contains("Sarge"); }));
    EXPECT_FALSE(RealServer::rcon(portA, "sekrit", "status").contains("Sarge"));
    const ProgramResult said = ProgramRunner::voranthctl({"rcon", "--server", "Alpha", "g_motd"});
    EXPECT_EQ(said.exitCode, 0) << said.err.toStdString();
    const ProgramResult unknown = ProgramRunner::voranthctl({"status", "--server", "Gamma"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "voranthctl: no server of 'Gamma' runs\n");

    const ProgramResult stopped = ProgramRunner::voranthctl({"stop", "--server", "Alpha"});
    EXPECT_EQ(stopped.out, QString("stopped %1 (Alpha)\n").arg(alphaPid))
        << stopped.err.toStdString();
    EXPECT_FALSE(RealServer::isRunning(alphaPid));
    EXPECT_TRUE(RealServer::rcon(portB, "sekrit", "status").startsWith("map: "));
    // One left: commands speak to it without being told.
    EXPECT_EQ(ProgramRunner::voranthctl({"status"}).exitCode, 0);

    ASSERT_EQ(ProgramRunner::voranthctl({"start", "Alpha"}).exitCode, 0);
    const ProgramResult all = ProgramRunner::voranthctl({"stop", "--all"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_TRUE(all.out.contains("(Alpha)\n") &&
                all.out.contains(QString("stopped %1 (Beta)\n").arg(betaPid)))
        << all.out.toStdString();
    EXPECT_TRUE(ServerLauncher::runningServers().isEmpty());
    EXPECT_EQ(ProgramRunner::voranthctl({"stop", "--all"}).err, "voranthctl: no server running\n");
}
