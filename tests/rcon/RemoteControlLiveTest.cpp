// The remote console against the real dedicated server of the demo game.

#include "content/BotLibrary.h"
#include "content/ContentScan.h"
#include "content/MapLibrary.h"
#include "rcon/RconAsk.h"
#include "rcon/RconResponder.h"
#include "rcon/RemoteCommands.h"
#include "rcon/RemoteControl.h"
#include "rcon/RemoteControlServices.h"
#include "rcon/ServerReplyParser.h"
#include "server/QProcessCom.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/RecordingScanInteraction.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QStringList threeMaps = {QStringLiteral("oa_dm1"), QStringLiteral("oa_dm2"),
                               QStringLiteral("oa_dm3")};

// The receive timeout of a command, in microseconds.
constexpr int commandTimeout = 150000;

QString exchange(RemoteControl& client, const QString& command)
{
    const RemoteControl::Reply reply = RconAsk::ask(client, command, commandTimeout);
    return reply.sent ? reply.text : QStringLiteral("(not sent)");
}

// Status queries until condition holds, for at most timeoutMs. The server answers about one
// request a second once a burst of ten is spent, so the queries are spaced.
bool statusUntil(RemoteControl& client, const std::function<bool()>& condition, int timeoutMs)
{
    return waitUntil(
        [&] {
            return RconAsk::refresh(client) == RemoteCommands::Refresh::Refreshed && condition();
        },
        timeoutMs, 300);
}

QStringList playerNames(const RemoteControl& client)
{
    QStringList names;
    for (const PlayerStatus& player : client.playersStatus().value_or(QList<PlayerStatus>()))
        names.append(player.name());
    return names;
}

} // namespace

TEST(RemoteControlLive, StatusPlayersMapsAndLimitsOfTheRealServer)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("live-secret"), threeMaps);
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    RecordingScanInteraction interaction;
    ContentScan scan(server.gameDirectory(), interaction);
    scan.run();
    scan.closeProgress();
    auto library = std::make_shared<MapLibrary>(GamePaths(server.gameDirectory(), "baseq3"));
    ASSERT_TRUE(library->mapLibraryKeys().contains(QStringLiteral("oa_dm1")));
    // The map of that name in any case, else the first whose name contains the reported one.
    EXPECT_EQ(RemoteControlServices::libraryNameForServerMap(*library, "OA_DM1"), "oa_dm1");
    EXPECT_EQ(RemoteControlServices::libraryNameForServerMap(*library, "lavactf"), "am_lavactf");
    EXPECT_EQ(RemoteControlServices::libraryNameForServerMap(*library, "nosuchmap"), "");

    RecordingAlerts alerts;
    auto client = RemoteControl::create(
        server.config(), RemoteControlServices::forRunningServer(server.probe(), library, &alerts));
    ASSERT_TRUE(client);
    EXPECT_EQ(client->rconMapLibrary(), library);
    ASSERT_TRUE(client->rconBotLibrary());
    EXPECT_TRUE(client->rconBotLibrary()->names().contains(QStringLiteral("Sarge")));

    // No players yet: the map, and no player list at all.
    ASSERT_EQ(RconAsk::refresh(*client), RemoteCommands::Refresh::Refreshed)
        << client->serverStatus().toStdString();
    EXPECT_TRUE(client->setCurrentMap());
    EXPECT_EQ(client->currentMap(), "oa_dm1");
    EXPECT_NE(library->mapTitleForMap(client->currentMap()), MapLibrary::unknownMapMarker());
    EXPECT_FALSE(client->setPlayersStatus());
    EXPECT_FALSE(client->playersStatus().has_value());
    EXPECT_TRUE(RconAsk::nextMap(*client));
    EXPECT_EQ(client->nextMap(), "oa_dm2");

    // Two bots, one of them under a coloured name.
    EXPECT_TRUE(exchange(*client, QStringLiteral("addbot sarge")).contains("ClientBegin"));
    EXPECT_TRUE(exchange(*client, QStringLiteral("addbot grunt 1 free 0 ^1Gr^7unt"))
                    .contains("ClientBegin"));
    EXPECT_TRUE(statusUntil(
        *client, [&] { return client->playersStatus() && client->playersStatus()->size() == 2; },
        3000))
        << client->serverStatus().toStdString();
    EXPECT_EQ(playerNames(*client), (QStringList{"Sarge", "Grunt"}));
    for (const PlayerStatus& player : client->playersStatus().value_or(QList<PlayerStatus>())) {
        bool scoreOk = false;
        bool pingOk = false;
        player.score().trimmed().toInt(&scoreOk);
        player.ping().trimmed().toInt(&pingOk);
        EXPECT_TRUE(scoreOk && pingOk) << player.description().toStdString();
    }
    EXPECT_EQ(client->playerNameAtIndex(1), "Grunt");

    // A limit set as the window sets it, and read back from the server: "set" answers with
    // an empty reply, which is no text but an answer.
    const RemoteControl::Reply set =
        RconAsk::ask(*client, QStringLiteral("set %1 17").arg(client->limitsCommands(0)));
    EXPECT_EQ(set.text, client->serverNoResponse());
    EXPECT_TRUE(set.answered);
    client->setLimit(17, 0);
    EXPECT_EQ(client->fragLimit(), 17);
    EXPECT_TRUE(exchange(*client, client->limitsCommands(0)).contains("\"fraglimit\" is:\"17^7\""));

    // The rotation goes on: the second map runs, and the third is next.
    exchange(*client, QStringLiteral("vstr nextmap"));
    EXPECT_TRUE(statusUntil(
        *client, [&] { return client->currentMap() == "oa_dm2"; }, 8000))
        << client->serverStatus().toStdString();
    EXPECT_TRUE(RconAsk::nextMap(*client));
    EXPECT_EQ(client->nextMap(), "oa_dm3");

    EXPECT_TRUE(alerts.shown.isEmpty());
    EXPECT_FALSE(client->wrongPassword());
}

TEST(RemoteControlLive, WrongPasswordIsReportedAndTheChannelFollowsTheServer)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("right-one"), threeMaps);
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    const QProcessCom probe = server.probe();
    ASSERT_GT(probe.serverPid(), 0);

    RecordingAlerts alerts;
    auto client = RemoteControl::create(
        server.config(), RemoteControlServices::forRunningServer(probe, nullptr, &alerts));
    ASSERT_TRUE(client);

    client->setCommPassword(QStringLiteral("wrong-one"));
    EXPECT_EQ(RconAsk::refresh(*client), RemoteCommands::Refresh::NoReply);
    EXPECT_FALSE(client->serverStatusOK());
    EXPECT_TRUE(client->wrongPassword());
    EXPECT_EQ(client->serverStatus(), client->serverNoResponse());
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().title, "Game server communication message:");
    EXPECT_TRUE(alerts.shown.first().message.contains("Bad rconpassword"))
        << alerts.shown.first().message.toStdString();

    client->setCommPassword(server.config().rconPassword());
    EXPECT_EQ(RconAsk::refresh(*client), RemoteCommands::Refresh::Refreshed);
    EXPECT_TRUE(client->serverStatusOK());
    EXPECT_FALSE(client->wrongPassword());

    // A fresh socket while the server runs.
    const quint16 firstPort = client->localPort();
    ASSERT_NE(firstPort, 0);
    EXPECT_TRUE(client->disconnectFromQ3Server());
    EXPECT_EQ(client->localPort(), 0);
    EXPECT_FALSE(client->disconnectFromQ3Server());
    EXPECT_TRUE(client->connectedToServer());
    EXPECT_NE(client->localPort(), 0);
    EXPECT_EQ(RconAsk::refresh(*client), RemoteCommands::Refresh::Refreshed);

    // None once the server is gone.
    server.stop();
    EXPECT_LT(probe.serverPid(), 0);
    EXPECT_TRUE(client->disconnectFromQ3Server());
    EXPECT_FALSE(client->connectedToServer());
    EXPECT_EQ(client->localPort(), 0);
    EXPECT_FALSE(client->connectedToServer());
    EXPECT_FALSE(RemoteControl::create(server.config(),
                                       RemoteControlServices::forRunningServer(probe, nullptr)));
    EXPECT_EQ(alerts.shown.size(), 1);
}

TEST(RemoteControlLive, CommandsPastTheRateLimitAreAnsweredAndPollsGiveWay)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("paced"), threeMaps);
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    // The pacer every client of the server shares (through the user's ledger).
    auto client = RemoteControl::create(
        server.config(), RemoteControlServices::forRunningServer(server.probe(), nullptr));
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->pacer()->isPaced());
    // Twice what the server answers at once, each with an automatic poll beside it.
    int pollsGaveWay = 0;
    for (int i = 0; i < 10; ++i) {
        const RemoteCommands::Refresh poll = RconAsk::refresh(*client, RconPacer::Traffic::Poll);
        if (poll == RemoteCommands::Refresh::GaveWay)
            ++pollsGaveWay;
        else
            EXPECT_EQ(poll, RemoteCommands::Refresh::Refreshed) << i;
        const RemoteCommands::Sent read =
            RconAsk::run(*client, [](RemoteCommands& commands, RemoteCommands::Done done) {
                commands.readLimit(RemoteCommands::LimitType::Frag, done);
            });
        EXPECT_TRUE(read.sent && read.answered) << i;
        EXPECT_TRUE(ServerReplyParser::variableValue(read.reply).has_value())
            << i << ": " << read.reply.toStdString();
    }
    EXPECT_GT(pollsGaveWay, 0);
}
