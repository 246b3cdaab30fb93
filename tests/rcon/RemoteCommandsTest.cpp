#include "rcon/RemoteCommands.h"

#include "config/GamePaths.h"
#include "rcon/RconAsk.h"
#include "rcon/RconResponder.h"
#include "rcon/RemoteControl.h"
#include "server/ConfigFiles.h"
#include "server/RunningServer.h"

#include <QFile>

#include <gtest/gtest.h>

using FollowUp = RemoteCommands::FollowUp;
using LimitType = RemoteCommands::LimitType;
using Team = RemoteCommands::Team;

namespace {

const QByteArray tenPlayers = [] {
    QByteArray status =
        "map: oa_dm1\n"
        "cl score ping name            address                                 rate \n"
        "-- ----- ---- --------------- --------------------------------------- -----\n";
    for (int i = 0; i < 10; ++i)
        status += " " + QByteArray::number(i) + "     0    0 Bot" + QByteArray::number(i) +
                  "            ^7bot                                     16384\n";
    return status + "\n";
}();

// A client of the responder that sends at once: these tests are about the texts.
std::unique_ptr<RemoteControl> clientOf(const RconResponder& server, const QString& mod = {},
                                        const QStringList& maps = {"oa_dm1", "oa_dm2"},
                                        const QString& launchToken = {})
{
    ServerConfig config = server.config();
    config.setConfigName(QStringLiteral("Running"));
    config.setModName(mod);
    config.setMapList(maps);
    config.setRotateMaps(true);
    RemoteControlServices services;
    services.pacer = RconPacer::unpaced();
    services.launchToken = launchToken;
    return RemoteControl::create(config, services);
}

QList<QByteArray> commandsSent(const RconResponder& server)
{
    QList<QByteArray> commands;
    for (const QByteArray& request : server.requests())
        commands.append(RconResponder::commandOf(request));
    return commands;
}

// Runs commands on the client, waiting for each outcome.
class Commands
{
public:
    explicit Commands(RemoteControl& client) : m_client(client) {}
    template <typename Command> RemoteCommands::Sent operator()(Command command)
    {
        return RconAsk::run(m_client, [&](RemoteCommands& commands, RemoteCommands::Done done) {
            command(commands, done);
        });
    }

private:
    RemoteControl& m_client;
};

FollowUp oneShot(double delay, bool complete = false)
{
    return {FollowUp::Kind::OneShotStatus, delay, complete};
}

QString serverFile(const QString& name)
{
    return ConfigFiles(GamePaths(QString(), "baseq3")).configFileWithPathReplacedSpaces(name);
}

} // namespace

TEST(RemoteCommands, EachCommandSendsItsTextAndAsksForItsFollowUp)
{
    RconResponder server;
    server.answerEveryRequestWith("done\n");
    auto client = clientOf(server);
    ASSERT_TRUE(client);
    Commands run(*client);

    RemoteCommands::Sent result = run([](auto& c, auto done) { c.kick(3, done); });
    EXPECT_TRUE(result.sent && result.visible && result.answered);
    EXPECT_EQ(result.reply, "done\n");
    EXPECT_EQ(result.replies, QStringList{"done\n"});
    EXPECT_EQ(result.followUp, oneShot(0.5));
    result = run([](auto& c, auto done) { c.dumpUser(0, done); });
    EXPECT_TRUE(result.visible);
    EXPECT_EQ(result.followUp, FollowUp());
    result = run([](auto& c, auto done) { c.freeCommand("serverinfo", done); });
    EXPECT_TRUE(result.visible);
    EXPECT_EQ(result.followUp, FollowUp());
    result = run([](auto& c, auto done) { c.changeToNextMap(done); });
    EXPECT_FALSE(result.visible);
    EXPECT_TRUE(result.replies.isEmpty());
    EXPECT_EQ(result.followUp, oneShot(3.5));
    result = run([](auto& c, auto done) { c.say("hello there", done); });
    EXPECT_FALSE(result.visible);
    EXPECT_EQ(result.followUp, FollowUp());
    // Setting a limit reads it back, visible, with the server's answer.
    result = run([](auto& c, auto done) { c.changeLimit(LimitType::Time, 25, done); });
    EXPECT_TRUE(result.visible);
    EXPECT_EQ(result.command, "timelimit");
    EXPECT_EQ(client->timeLimit(), 25) << "kept as the pane's limit";
    QStringList eachReply;
    result = run([&](auto& c, auto done) {
        c.addBots({"Sarge", "Grunt", "Major"}, 3, Team::Red,
                  [&](const QString& reply) { eachReply.append(reply); }, done);
    });
    EXPECT_EQ(result.replies.size(), 3);
    EXPECT_EQ(eachReply.size(), 3) << "each reply as it came";
    EXPECT_EQ(result.followUp, oneShot(0.6)) << "one refresh, after the last";
    run([](auto& c, auto done) { c.addBots({"Sarge"}, 5, Team::None, {}, done); });
    run([](auto& c, auto done) {
        c.addBots({"Sarge"}, 1, RemoteCommands::teamForRow(1), {}, done);
    });
    result = run([](auto& c, auto done) { c.quit(done); });
    EXPECT_TRUE(result.visible);
    EXPECT_EQ(result.followUp.kind, FollowUp::Kind::DisablePane);

    EXPECT_EQ(commandsSent(server),
              (QList<QByteArray>{"clientkick 3", "dumpuser 0", "serverinfo", "vstr nextmap",
                                 "say hello there", "set timelimit 25", "timelimit",
                                 "addbot Sarge 3 red", "addbot Grunt 3 red", "addbot Major 3 red",
                                 "addbot Sarge 5 ", "addbot Sarge 1 blue", "quit"}));
}

TEST(RemoteCommands, RestartsAndMapChangesFollowTheModsRules)
{
    RconResponder server;
    server.answerNextWith(tenPlayers);
    auto client = clientOf(server);
    Commands run(*client);
    ASSERT_EQ(RconAsk::refresh(*client), RemoteCommands::Refresh::Refreshed);
    server.answerNextWith("");
    RemoteCommands::Sent restart = run([](auto& c, auto done) { c.restartMap(done); });
    EXPECT_EQ(RconResponder::commandOf(server.requests().last()), "map_restart");
    EXPECT_FALSE(restart.visible);
    EXPECT_EQ(restart.followUp, oneShot(5.2));

    // Urban Terror: the map is loaded again by name, and the next map is the configuration's.
    RconResponder urtServer;
    auto urt = clientOf(urtServer, "q3ut2", {"ut4_abbey", "ut4_casa", "oa_dm1"});
    Commands urtRun(*urt);
    urtServer.answerNextWith(tenPlayers);
    ASSERT_EQ(RconAsk::refresh(*urt), RemoteCommands::Refresh::Refreshed);
    restart = urtRun([](auto& c, auto done) { c.restartMap(done); });
    EXPECT_EQ(restart.followUp, oneShot(6.2));
    const RemoteCommands::Sent next = urtRun([](auto& c, auto done) { c.changeToNextMap(done); });
    EXPECT_EQ(next.followUp, oneShot(4.5));
    EXPECT_EQ(commandsSent(urtServer),
              (QList<QByteArray>{"status", "map oa_dm1", "map ut4_abbey"}));
    EXPECT_TRUE(RconAsk::nextMap(*urt)) << "derived, nothing asked";
    EXPECT_EQ(urtServer.requests().size(), 3);

    // Without a current map there is nothing to load by name.
    RconResponder unknown;
    auto lost = clientOf(unknown, "q3ut2");
    Commands lostRun(*lost);
    EXPECT_FALSE(lostRun([](auto& c, auto done) { c.restartMap(done); }).refusal.isEmpty());
    EXPECT_FALSE(lostRun([](auto& c, auto done) { c.changeToNextMap(done); }).refusal.isEmpty());
    EXPECT_TRUE(unknown.requests().isEmpty());
}

TEST(RemoteCommands, WhatCannotBeMeantIsNotSent)
{
    RconResponder server;
    auto client = clientOf(server);
    Commands run(*client);
    const QList<std::function<void(RemoteCommands&, RemoteCommands::Done)>> meaningless = {
        [](auto& c, auto done) { c.kick(-1, done); },
        [](auto& c, auto done) { c.dumpUser(-1, done); },
        [](auto& c, auto done) { c.changeLimit(LimitType::None, 10, done); },
        [](auto& c, auto done) { c.readLimit(LimitType::None, done); },
        [](auto& c, auto done) { c.addBots({}, 3, Team::Red, {}, done); },
        [](auto& c, auto done) { c.addBots({"Sarge", ""}, 3, Team::Red, {}, done); }};
    for (const auto& command : meaningless) {
        const RemoteCommands::Sent result = run(command);
        EXPECT_FALSE(result.sent);
        EXPECT_FALSE(result.refusal.isEmpty());
        EXPECT_EQ(result.followUp, FollowUp());
    }
    EXPECT_EQ(client->fragLimit(), 0);
    EXPECT_TRUE(server.requests().isEmpty());

    // The limits pop-up: frag, time, capture, none, max players.
    QStringList variables;
    for (int item = 0; item < 6; ++item) {
        const std::optional<LimitType> type = RemoteCommands::limitTypeForItem(item);
        variables.append(type ? RemoteCommands::limitVariable(*type) : "outside");
    }
    EXPECT_EQ(variables, (QStringList{"fraglimit", "timelimit", "capturelimit", "", "sv_maxclients",
                                      "outside"}));
    EXPECT_EQ(RemoteCommands::teamForRow(2), Team::Red);
    EXPECT_EQ(RemoteCommands::teamForRow(7), Team::None);

    // A send that fails asks for no follow-up.
    client->disconnectFromQ3Server();
    const RemoteCommands::Sent notSent = run([](auto& c, auto done) { c.kick(2, done); });
    EXPECT_FALSE(notSent.sent);
    EXPECT_EQ(notSent.followUp, FollowUp());
}

TEST(RemoteCommands, RunConfigSwitchesTheRunningConfigurationOnlyWhenTheServerRunsIt)
{
    RconResponder server;
    ServerConfig running = clientOf(server, "baseq3", {"oa_dm1", "oa_dm2"})->rconServerConfig();
    // The client of that launch, and another launch beside it that the switch leaves alone.
    const RunningServer::Record launch = RunningServer::launchRecord(running);
    ASSERT_TRUE(RunningServer::write(launch));
    ServerConfig otherConfig;
    otherConfig.setConfigName("Other");
    otherConfig.setModName("baseq3");
    const RunningServer::Record other = RunningServer::launchRecord(otherConfig);
    ASSERT_TRUE(RunningServer::write(other));
    auto client = clientOf(server, "baseq3", {"oa_dm1", "oa_dm2"}, launch.launchToken);
    ASSERT_TRUE(ConfigFiles(GamePaths(QString(), "baseq3")).saveConfigToFile(running, true).ok());
    const auto runConfig = [&](const ServerConfig& config) {
        return RconAsk::run(*client, [&](RemoteCommands& commands, RemoteCommands::Done done) {
            commands.runConfig(config, QString(), done);
        });
    };

    ServerConfig second;
    second.setConfigName("Second Config");
    second.setModName("baseq3");
    second.setServerName("Second server");
    second.setRconPassword("another");
    second.setNetPort(27999);
    second.setFragLimit(44);

    ServerConfig otherMod = second;
    otherMod.setModName("missionpack");
    EXPECT_FALSE(runConfig(otherMod).refusal.isEmpty());
    ServerConfig noPassword = second;
    noPassword.setRconPassword("");
    EXPECT_FALSE(runConfig(noPassword).refusal.isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());

    server.answerNextWith("couldn't exec VO_Second_Config.config\n");
    RemoteCommands::Sent refused = runConfig(second);
    EXPECT_FALSE(refused.sent);
    EXPECT_FALSE(refused.refusal.isEmpty());
    EXPECT_EQ(refused.replies.size(), 1) << "the server's answer is still shown";
    EXPECT_EQ(client->runningServerConfigName(), "Running");
    EXPECT_FALSE(QFile::exists(serverFile("Second Config")));
    EXPECT_TRUE(QFile::exists(serverFile("Running")));

    server.answerNextWith("execing VO_Second_Config.config\n");
    const RemoteCommands::Sent switched = runConfig(second);
    EXPECT_TRUE(switched.sent);
    EXPECT_EQ(RconResponder::commandOf(server.requests().last()), "exec VO_Second_Config.config");
    EXPECT_EQ(switched.followUp, oneShot(2.5, true));
    EXPECT_EQ(client->runningServerConfigName(), "Second Config");
    EXPECT_EQ(client->serverName(), "Second server");
    EXPECT_EQ(client->rconServerConfig().fragLimit(), 44);
    EXPECT_EQ(client->rconMapList(), (QStringList{"oa_dm1", "oa_dm2"}))
        << "no maps: the cycle stays";
    EXPECT_EQ(client->rconServerConfig().netPort(), server.port()) << "the server keeps its socket";
    EXPECT_FALSE(QFile::exists(serverFile("Running")));
    QFile written(serverFile("Second Config"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_FALSE(written.readAll().contains("rconpassword")) << "the server keeps its password";
    const std::optional<RunningServer::Record> record = RunningServer::read(launch.launchToken);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->config.configName(), "Second Config");
    EXPECT_EQ(RunningServer::read(other.launchToken)->config.configName(), "Other");
    EXPECT_EQ(record->config.rconPassword(), running.rconPassword());
    EXPECT_EQ(record->execFile, "VO_Running.config");

    // Running the running configuration again keeps its file.
    server.answerNextWith("execing VO_Second_Config.config\n");
    EXPECT_TRUE(runConfig(second).sent);
    EXPECT_TRUE(QFile::exists(serverFile("Second Config")));

    server.answerNextWith("Bad rconpassword.\n");
    ServerConfig third = second;
    third.setConfigName("Third");
    const RemoteCommands::Sent rejected = runConfig(third);
    EXPECT_TRUE(rejected.wrongPassword);
    EXPECT_EQ(client->runningServerConfigName(), "Second Config");
    EXPECT_FALSE(QFile::exists(serverFile("Third")));
}
