// The public status protocol against the real dedicated server of the demo game.

#include "rcon/GameClient.h"
#include "rcon/PeopleCount.h"
#include "rcon/ServerQuery.h"
#include "support/LiveServer.h"
#include "support/DemoGame.h"
#include "support/ProgramRunner.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Answer
{
    std::optional<ServerInfoReply> info;
    std::optional<ServerStatusReply> status;
    bool failed = false;
};

// One getinfo and one getstatus, waited for.
Answer ask(quint16 port)
{
    ServerQuery query(QStringLiteral("127.0.0.1"), port);
    Answer answer;
    int outstanding = 2;
    QObject::connect(&query, &ServerQuery::infoReceived, [&](const ServerInfoReply& reply) {
        answer.info = reply;
        --outstanding;
    });
    QObject::connect(&query, &ServerQuery::statusReceived, [&](const ServerStatusReply& reply) {
        answer.status = reply;
        --outstanding;
    });
    QObject::connect(&query, &ServerQuery::failed, [&](ServerQuery::Request, ServerQuery::Failure) {
        answer.failed = true;
        --outstanding;
    });
    query.requestInfo();
    query.requestStatus();
    waitUntil([&] { return outstanding == 0; });
    return answer;
}

} // namespace

TEST(ServerQueryLive, FourBotsAddedByRconAreBotsAndNobodyIsAPerson)
{
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("query-secret"), {"oa_dm1"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    const int port = server.config().netPort();

    Answer empty = ask(quint16(port));
    ASSERT_TRUE(empty.info && empty.status);
    EXPECT_EQ(empty.info->clients, 0);
    EXPECT_EQ(empty.info->hostName, server.config().serverName());
    EXPECT_EQ(empty.info->mapName, "oa_dm1");

    RealServer::rcon(port, "query-secret", "sv_hostname \"^1Red ^7Host\"");
    for (const char* bot : {"sarge", "grunt", "major", "kyonshi"})
        ASSERT_FALSE(RealServer::rcon(port, "query-secret", QByteArray("addbot ") + bot).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return RealServer::rcon(port, "query-secret", "status").count("^7bot") == 4; }));

    Answer answer;
    ASSERT_TRUE(waitUntil([&] {
        answer = ask(quint16(port));
        if (!answer.info || answer.info->clients != 4 || !answer.status || answer.status->players.size() != 4)
            return false;
        // A bot just added has ping 999, as anyone joining, until it is in the game.
        return std::all_of(answer.status->players.cbegin(), answer.status->players.cend(),
                           [](const QueryPlayer& player) { return player.ping != 999; });
    }, 30000, 1200));
    EXPECT_EQ(answer.info->humanPlayers, 0);
    EXPECT_EQ(PeopleCount::fromInfo(*answer.info), (PeopleCount{0, 4}));
    EXPECT_EQ(answer.info->hostName, "^1Red ^7Host");
    EXPECT_EQ(answer.info->mapName, "oa_dm1");
    EXPECT_GT(answer.info->protocol, 0);
    EXPECT_EQ(answer.info->maxClients, answer.status->maxClients().value_or(-1));

    EXPECT_EQ(answer.status->hostName(), "^1Red ^7Host");
    EXPECT_EQ(answer.status->mapName(), "oa_dm1");
    QStringList names;
    for (const QueryPlayer& player : answer.status->players) {
        names.append(player.visibleName());
        EXPECT_EQ(player.ping, 0) << "a bot's ping is 0: ping alone cannot tell";
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{"Grunt", "Kyonshi", "Major", "Sarge"}));
    EXPECT_EQ(PeopleCount::kindsOf(answer.status->players, PeopleCount::fromInfo(*answer.info)),
              QList<PeopleCount::Kind>(4, PeopleCount::Kind::Bot));

    // The remote console's table says the same by its address column.
    EXPECT_EQ(PeopleCount::fromRconStatus(QString::fromLatin1(RealServer::rcon(port, "query-secret", "status"))),
              (PeopleCount{0, 4}));
}

TEST(ServerQueryLive, ARealClientOnThisMachineIsOnePersonThoughItsPingIsZero)
{
    ASSERT_TRUE(GameClient::available())
        << "needs Debian's ioquake3, openarena and xvfb (tools/setup-debian.sh installs them)";
    LiveServer server(RealServer::freeUdpPort(), QStringLiteral("client-secret"), {"oa_dm1"});
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    const int port = server.config().netPort();
    ASSERT_FALSE(RealServer::rcon(port, "client-secret", "addbot sarge").isEmpty());

    GameClient client;
    ASSERT_TRUE(client.start(DemoGame::directory(), TestEnvironment::makeScratchDir("client"), port,
                             QStringLiteral("^2Local ^7Person")));
    Answer answer;
    ASSERT_TRUE(waitUntil([&] {
        answer = ask(quint16(port));
        return answer.info && answer.info->humanPlayers == 1 && answer.status &&
               answer.status->players.size() == 2;
    }, 120000, 1500)) << client.log().right(3000).toStdString();
    EXPECT_EQ(PeopleCount::fromInfo(*answer.info), (PeopleCount{1, 1}));
    EXPECT_EQ(PeopleCount::fromRconStatus(QString::fromLatin1(RealServer::rcon(port, "client-secret", "status"))),
              (PeopleCount{1, 1}));
    // The public protocol tells by ping only where it can: never a wrong kind.
    const QList<PeopleCount::Kind> kinds =
        PeopleCount::kindsOf(answer.status->players, PeopleCount::fromInfo(*answer.info));
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString name = answer.status->players.at(i).visibleName();
        if (kinds.at(i) == PeopleCount::Kind::Person) {
            EXPECT_EQ(name, "Local Person");
        } else if (kinds.at(i) == PeopleCount::Kind::Bot) {
            EXPECT_EQ(name, "Sarge");
        }
    }
    const ProgramResult query = ProgramRunner::voranthctl({"query", QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_TRUE(query.out.contains("2 of ")) << query.out.toStdString();
    EXPECT_TRUE(query.out.contains(": 1 person, 1 bot\n")) << query.out.toStdString();
    client.stop();
}
