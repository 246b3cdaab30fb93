#include "config/ConfigStore.h"
#include "config/GameDirectory.h"
#include "config/ServerConfig.h"
#include "content/MapLibrary.h"
#include "server/ConfigFiles.h"
#include "support/LiveServer.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/StoreSeeds.h"
#include "support/WaitUntil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QStringList newCommands = {
    "kick",  "dumpuser", "restart-map", "next-map",  "preview-next-map",
    "limit", "addbot",   "say",         "run-config"};

class VoranthctlRemote : public RealServer::Test
{
protected:
    static void store(const QList<ServerConfig>& configs) { StoreSeeds::seed(configs); }

    static ServerConfig config(const QString& name)
    {
        ServerConfig config = RealServer::config(name, "remote-secret", RealServer::freeUdpPort());
        config.setMapList({"oa_dm4", "oa_dm1", "oa_dm3"});
        config.setRotateMaps(true);
        return config;
    }

    static qint64 start(const QString& name)
    {
        const ProgramResult started = ProgramRunner::voranthctl({"start", name});
        EXPECT_EQ(started.exitCode, 0) << started.err.toStdString();
        return started.out.trimmed().toLongLong();
    }

    // The server's status as voranthctl prints it.
    static QJsonObject status()
    {
        return QJsonDocument::fromJson(ProgramRunner::voranthctl({"status", "--json"}).out.toUtf8())
            .object();
    }
    // "map" or "nextMap" of the status.
    static QString statusMap(const QString& which)
    {
        return status().value(which).toObject().value("map").toString();
    }
    static QStringList playerNames()
    {
        QStringList names;
        for (const QJsonValue& player : status()["players"].toArray())
            names.append(player["name"].toString());
        return names;
    }
    // Asks about once a second: the server's answers are paced.
    static bool eventually(const std::function<bool()>& condition)
    {
        return waitUntil(condition, 30000, 1000);
    }

    static QString serverFile(const QString& name)
    {
        return ConfigFiles(GamePaths(QString(), "baseq3")).configFileWithPathReplacedSpaces(name);
    }
};

} // namespace

TEST_F(VoranthctlRemote, EachCommandHasHelpChecksItsArgumentsAndNeedsOurServer)
{
    for (const QString& command : newCommands) {
        const ProgramResult help = ProgramRunner::voranthctl({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command.toStdString();
        EXPECT_TRUE(help.out.startsWith("usage: voranthctl " + command)) << help.out.toStdString();
    }
    const QList<QStringList> misuses = {{"kick"},
                                        {"kick", "a", "b"},
                                        {"dumpuser"},
                                        {"restart-map", "now"},
                                        {"next-map", "x"},
                                        {"preview-next-map", "x"},
                                        {"limit"},
                                        {"limit", "bots"},
                                        {"limit", "frag", "many"},
                                        {"limit", "frag", "-1"},
                                        {"limit", "frag", "1", "2"},
                                        // Past the game's ranges, as the window holds them.
                                        {"limit", "time", "2000000000"},
                                        {"limit", "maxplayers", "5000"},
                                        {"addbot"},
                                        {"addbot", "sarge", "--skill", "9"},
                                        {"addbot", "sarge", "--skill"},
                                        {"addbot", "sarge", "--team", "green"},
                                        {"addbot", "sarge", "--fast"},
                                        {"say"},
                                        {"run-config"},
                                        {"run-config", "a", "b"}};
    for (const QStringList& misuse : misuses)
        EXPECT_EQ(ProgramRunner::voranthctl(misuse).exitCode, 2) << misuse.join(' ').toStdString();

    // Another server of the same executable runs, but none of ours.
    LiveServer other(RealServer::freeUdpPort(), "not-ours", {"oa_dm1"});
    ASSERT_TRUE(other.start()) << other.error().toStdString();
    for (const QStringList& request : QList<QStringList>{{"kick", "Sarge"},
                                                         {"dumpuser", "Sarge"},
                                                         {"restart-map"},
                                                         {"next-map"},
                                                         {"preview-next-map"},
                                                         {"limit", "frag"},
                                                         {"addbot", "sarge"},
                                                         {"say", "hi"},
                                                         {"run-config", "Other"}}) {
        const ProgramResult refused = ProgramRunner::voranthctl(request);
        EXPECT_EQ(refused.exitCode, 1) << request.join(' ').toStdString();
        EXPECT_EQ(refused.err, "voranthctl: no server running\n") << refused.err.toStdString();
    }
    EXPECT_TRUE(other.running());
}

TEST_F(VoranthctlRemote, BotsMapsLimitsAndChatReachTheRealServer)
{
    ASSERT_EQ(ProgramRunner::voranthctl({"scan", "--game-dir", GameDirectory::settle()}).exitCode,
              0);
    store({config("Pane")});
    ASSERT_GT(start("Pane"), 0);

    const ProgramResult added =
        ProgramRunner::voranthctl({"addbot", "sarge", "grunt", "--skill", "2", "--team", "red"});
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_EQ(added.out.count("ClientBegin"), 2) << added.out.toStdString();
    EXPECT_TRUE(eventually([] { return playerNames() == QStringList({"Sarge", "Grunt"}); }));
    const ProgramResult dumped = ProgramRunner::voranthctl({"dumpuser", "Grunt"});
    EXPECT_EQ(dumped.exitCode, 0) << dumped.err.toStdString();
    EXPECT_TRUE(dumped.out.contains(QRegularExpression("\nskill +2\\.00\n")))
        << dumped.out.toStdString();
    EXPECT_TRUE(dumped.out.contains(QRegularExpression("\nteam +red\n")))
        << dumped.out.toStdString();

    const ProgramResult kicked = ProgramRunner::voranthctl({"kick", "Sarge"});
    EXPECT_EQ(kicked.exitCode, 0) << kicked.err.toStdString();
    EXPECT_TRUE(kicked.out.contains("Sarge^7 was kicked")) << kicked.out.toStdString();
    EXPECT_TRUE(eventually([] { return playerNames() == QStringList({"Grunt"}); }));
    const ProgramResult everyone = ProgramRunner::voranthctl({"kick", "all"});
    EXPECT_EQ(everyone.exitCode, 1);
    EXPECT_TRUE(everyone.err.contains("no player named 'all'")) << everyone.err.toStdString();
    EXPECT_TRUE(eventually([] { return playerNames() == QStringList({"Grunt"}); }));

    // A player is kicked by the slot status lists it in: a name that is a number, or that
    // holds a blank, still means that player.
    ASSERT_EQ(
        ProgramRunner::voranthctl({"rcon", "addbot", "major", "1", "free", "0", "0"}).exitCode, 0);
    ASSERT_EQ(
        ProgramRunner::voranthctl({"rcon", "addbot", "major", "1", "free", "0", "\"Big Boss\""})
            .exitCode,
        0);
    // The new players take the lowest free slots.
    const auto namesInAnyOrder = [] {
        QStringList names = playerNames();
        names.sort();
        return names;
    };
    EXPECT_TRUE(eventually([&] {
        return namesInAnyOrder() == QStringList({"0", "Big Boss", "Grunt"});
    })) << playerNames().join(", ").toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"kick", "0"}).exitCode, 0);
    EXPECT_TRUE(eventually([&] {
        return namesInAnyOrder() == QStringList({"Big Boss", "Grunt"});
    })) << playerNames().join(", ").toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"kick", "Big Boss"}).exitCode, 0);
    EXPECT_TRUE(eventually([] { return playerNames() == QStringList({"Grunt"}); }))
        << playerNames().join(", ").toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"kick", "--slot", "99"}).exitCode, 2);

    const MapLibrary library(GamePaths(GameDirectory::settle(), "baseq3"));
    const ProgramResult preview = ProgramRunner::voranthctl({"preview-next-map"});
    EXPECT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    EXPECT_EQ(preview.out, "oa_dm1  " + library.mapTitleForMap("oa_dm1") + "\n");
    const ProgramResult next = ProgramRunner::voranthctl({"next-map"});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(next.out, "");
    EXPECT_TRUE(eventually([] { return statusMap("map") == "oa_dm1"; }));
    EXPECT_EQ(statusMap("nextMap"), "oa_dm3");

    const ProgramResult set = ProgramRunner::voranthctl({"limit", "frag", "33"});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_EQ(set.out, "33\n") << "as the server reads it back";
    EXPECT_EQ(ProgramRunner::voranthctl({"limit", "frag"}).out, "33\n");
    EXPECT_EQ(ProgramRunner::voranthctl({"limit", "maxplayers"}).out,
              QString::number(RealServer::config("x", "x", 1).maxPlayers()) + "\n");

    const ProgramResult said = ProgramRunner::voranthctl({"say", "good", "game"});
    EXPECT_EQ(said.exitCode, 0) << said.err.toStdString();
    EXPECT_EQ(said.out, "");
    const ProgramResult restarted = ProgramRunner::voranthctl({"restart-map"});
    EXPECT_EQ(restarted.exitCode, 0) << restarted.err.toStdString();
    EXPECT_TRUE(eventually([] { return statusMap("map") == "oa_dm1"; }));
}

TEST_F(VoranthctlRemote, RunConfigSwitchesTheRunningConfiguration)
{
    ServerConfig second = config("Second Rules");
    second.setFragLimit(44);
    second.setMapList({});
    ServerConfig otherMod = config("Team Arena");
    otherMod.setModName("missionpack");
    store({config("First Rules"), second, otherMod});
    const qint64 pid = start("First Rules");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(QFile::exists(serverFile("First Rules")));

    const ProgramResult unknown = ProgramRunner::voranthctl({"run-config", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 1);
    const ProgramResult refused = ProgramRunner::voranthctl({"run-config", "Team Arena"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("mod missionpack")) << refused.err.toStdString();

    const ProgramResult switched = ProgramRunner::voranthctl({"run-config", "Second Rules"});
    EXPECT_EQ(switched.exitCode, 0) << switched.err.toStdString();
    EXPECT_EQ(switched.out, "execing VO_Second_Rules.config\nrunning: Second Rules\n");
    EXPECT_FALSE(QFile::exists(serverFile("First Rules")));
    ASSERT_TRUE(QFile::exists(serverFile("Second Rules")));

    const ProgramResult running = ProgramRunner::voranthctl({"running"});
    EXPECT_TRUE(running.out.contains(QRegularExpression(
        QString("\nSecond Rules +baseq3 +%1 +\\d+ +\\S+ +running +terminal\n$").arg(pid))))
        << running.out.toStdString();
    EXPECT_EQ(ProgramRunner::voranthctl({"limit", "frag"}).out, "44\n");
    const QJsonObject after = status();
    EXPECT_EQ(after["config"].toString(), "Second Rules");
    // No maps of its own: the rotation of the first goes on.
    EXPECT_EQ(after.value("nextMap").toObject().value("map").toString(), "oa_dm1");

    const ProgramResult stopped = ProgramRunner::voranthctl({"stop"});
    EXPECT_EQ(stopped.out, QString("stopped %1 (Second Rules)\n").arg(pid));
    EXPECT_FALSE(QFile::exists(serverFile("Second Rules")));
}
