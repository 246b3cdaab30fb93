#include "config/ConfigStore.h"
#include "config/ServerConfig.h"
#include "server/ServerLauncher.h"
#include "support/StoreSeeds.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class VoranthctlServer : public RealServer::Test
{
protected:
    static void store(const QList<ServerConfig>& configs) { StoreSeeds::seed(configs); }
};

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
    EXPECT_TRUE(running.out.contains(
        QRegularExpression(QString("^PID +CONFIGURATION\n%1  Round Trip\n$").arg(pid))))
        << running.out.toStdString();
    const QJsonObject json =
        QJsonDocument::fromJson(ProgramRunner::voranthctl({"running", "--json"}).out.toUtf8())
            .object();
    EXPECT_EQ(json.value("pid").toInteger(), pid);
    EXPECT_EQ(json.value("config").toString(), "Round Trip");

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
