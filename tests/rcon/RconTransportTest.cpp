#include "rcon/RconTransport.h"
#include "rcon/RconAsk.h"
#include "rcon/RconResponder.h"
#include "rcon/RemoteControl.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString noResponse = QStringLiteral("No response from server");

// The datagrams of a reply, all sent within a short time of each other.
QList<RconResponder::Datagram> spaced(const QList<QByteArray>& texts, int stepMs)
{
    QList<RconResponder::Datagram> datagrams;
    for (qsizetype i = 0; i < texts.size(); ++i)
        datagrams.append({int(i) * stepMs, RconResponder::reply(texts.at(i))});
    return datagrams;
}

} // namespace

TEST(RconRequest, DatagramsAreByteExact)
{
    const std::optional<QByteArray> empty = RconTransport::requestDatagram({}, {});
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, QByteArray("\xff\xff\xff\xffrcon  \0", 11));

    const std::optional<QByteArray> status = RconTransport::requestDatagram("secret", "status");
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, QByteArray("\xff\xff\xff\xffrcon secret status\0", 23));

    // Exactly the buffer is accepted, one byte more is refused.
    const QByteArray password(5, 'p');
    const QByteArray fits(RconTransport::requestBufferSize - 11 - password.size(), 'c');
    EXPECT_EQ(RconTransport::requestDatagram(password, fits)->size(),
              RconTransport::requestBufferSize);
    EXPECT_FALSE(RconTransport::requestDatagram(password, fits + 'c'));
}

TEST(RconExchange, RequestGoesToTheConfiguredPortAndOneDatagramIsTheReply)
{
    RconResponder server;
    server.answerNextWith("map: oa_dm1\n");
    auto client = server.client();
    ASSERT_TRUE(client);
    const RemoteControl::Reply reply = RconAsk::ask(*client, QStringLiteral("status"));
    EXPECT_TRUE(reply.sent);
    EXPECT_TRUE(reply.answered);
    EXPECT_EQ(reply.text, "map: oa_dm1\n");
    EXPECT_FALSE(client->wrongPassword());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first(), *RconTransport::requestDatagram("secret", "status"));
}

TEST(RconExchange, ServerEndpointFollowsTheConfiguration)
{
    ServerConfig config;
    const QHostAddress loopback(QHostAddress::LocalHost);
    for (const char* ip : {"localhost", "", "  LocalHost ", "0.0.0.0", "127.0.0.1"}) {
        config.setNetIP(QString::fromLatin1(ip));
        config.setNetPort(27961);
        const auto endpoint = RemoteControl::serverEndpoint(config);
        ASSERT_TRUE(endpoint) << ip;
        EXPECT_EQ(endpoint->first, loopback) << ip;
        EXPECT_EQ(endpoint->second, 27961) << ip;
    }
    config.setNetIP(QStringLiteral("192.0.2.7"));
    config.setNetPort(0);
    const auto endpoint = RemoteControl::serverEndpoint(config);
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(endpoint->first, QHostAddress(QStringLiteral("192.0.2.7")));
    EXPECT_EQ(endpoint->second, 27960);
}

TEST(RconExchange, DatagramsWithinTheQuietGapAreJoinedInOrderAndAZeroByteEndsNothing)
{
    RconResponder server;
    server.answerNextWith(spaced({"one ", "two ", "three"}, 60));
    server.answerNextWith({{0, RconResponder::reply(QByteArray("before\0after", 12))}});
    auto client = server.client();
    ASSERT_TRUE(client);
    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("status"), 300000).text, "one two three");
    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("status")).text, "beforeafter");
}

TEST(RconExchange, AnEmptyReplyPacketEndsTheReplyAtOnce)
{
    RconResponder server;
    const QByteArray emptyPacket = RconResponder::reply({});
    ASSERT_EQ(emptyPacket.size(), 10);
    // What comes after the empty packet, well within the quiet gap, is no longer part of
    // the reply.
    server.answerNextWith({{0, emptyPacket}});
    server.answerNextWith({{0, RconResponder::reply("text")},
                           {20, emptyPacket},
                           {40, RconResponder::reply("more")}});
    auto client = server.client();
    ASSERT_TRUE(client);

    const RemoteControl::Reply empty = RconAsk::ask(*client, QStringLiteral("say"), 900000);
    EXPECT_EQ(empty.text, noResponse);
    EXPECT_TRUE(empty.answered) << "an empty reply is an answer";
    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("say"), 900000).text, "text");
}

TEST(RconExchange, SilenceEndsTheExchangeAfterItsBoundAndTheEventLoopNeverWaits)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    QElapsedTimer clock;
    clock.start();
    std::optional<RemoteControl::Reply> reply;
    client->sendRCon(QStringLiteral("status"), 100000, nullptr,
                     [&](const RemoteControl::Reply& r) { reply = r; });
    EXPECT_FALSE(reply) << "the reply comes later, never inside the call";
    EXPECT_LT(clock.elapsed(), 100);
    ASSERT_TRUE(waitUntil([&] { return reply.has_value(); }, 10000));
    EXPECT_GE(clock.elapsed(), RconTransport::firstDatagramWaitMs - 50);
    EXPECT_TRUE(reply->sent);
    EXPECT_FALSE(reply->answered);
    EXPECT_EQ(reply->text, noResponse);
}

TEST(RconExchange, AReplyThatNeverEndsIsCutAtTheExchangesDeadline)
{
    struct Case
    {
        int stepMs;
        int count;
    };
    // A drip just inside the quiet gap for 20 s, and a flood for 10 s.
    for (const Case& c : {Case{100, 200}, Case{5, 2000}}) {
        RconResponder server;
        QList<QByteArray> texts;
        for (int i = 0; i < c.count; ++i)
            texts.append(QByteArray::number(i) + ' ');
        server.answerNextWith(spaced(texts, c.stepMs));
        auto client = server.client();
        ASSERT_TRUE(client);
        QElapsedTimer clock;
        clock.start();
        const QString reply = RconAsk::ask(*client, QStringLiteral("status"), 400000).text;
        const qint64 elapsed = clock.elapsed();
        EXPECT_GE(elapsed, RconTransport::exchangeDeadlineMs - 100) << c.stepMs;
        // The reply so far, from its first datagram on.
        EXPECT_TRUE(reply.startsWith("0 1 2 3 ")) << reply.left(40).toStdString();
        EXPECT_FALSE(reply.contains(QByteArray::number(c.count - 1) + ' '));
    }
}

TEST(RconExchange, OnlyTheServersWholeAnswersToAPasswordAreARefusal)
{
    RconResponder server;
    RecordingAlerts alerts;
    const QList<QByteArray> refusals = {"Bad rconpassword.\n",
                                        "No rconpassword set on the server.\n"};
    // A player, a chat line or a variable may say the word: the password was taken.
    const QList<QByteArray> answers = {
        "map: oa_dm1\ncl score ping name            address                                 rate \n"
        "-- ----- ---- --------------- --------------------------------------- -----\n"
        " 0     0    0 rconpassword    ^7bot                                   16384\n\n",
        "say: hello rconpassword\n", "Bad rconpassword. Or is it?\n"};
    for (const QByteArray& text : refusals + answers)
        server.answerNextWith(text);
    RemoteControlServices services;
    services.alerts = &alerts;
    auto client = server.client(services);
    ASSERT_TRUE(client);

    for (const QByteArray& text : refusals) {
        const RemoteControl::Reply reply = RconAsk::ask(*client, QStringLiteral("status"), 50000);
        EXPECT_EQ(reply.text, noResponse);
        EXPECT_TRUE(reply.wrongPassword);
        EXPECT_TRUE(client->wrongPassword());
        ASSERT_FALSE(alerts.shown.isEmpty());
        EXPECT_EQ(alerts.shown.last().title, "Game server communication message:");
        EXPECT_EQ(alerts.shown.last().message, QString::fromLatin1(text));
    }
    for (const QByteArray& text : answers) {
        const RemoteControl::Reply reply = RconAsk::ask(*client, QStringLiteral("status"), 50000);
        EXPECT_EQ(reply.text, QString::fromLatin1(text));
        EXPECT_FALSE(reply.wrongPassword) << text.constData();
    }
    EXPECT_EQ(alerts.shown.size(), 2);
}

TEST(RconExchange, AReplyPastSixtyThousandBytesKeepsTheDatagramThatCrossedTheLimitAndSaysSo)
{
    // Datagrams of 10 000 bytes: six make exactly 60 000, the seventh crosses the limit.
    QList<QByteArray> texts;
    for (char letter = 'a'; letter <= 'g'; ++letter)
        texts.append(QByteArray(10000 - 10, letter));
    RconResponder server;
    server.answerNextWith(spaced(texts.mid(0, 6), 5));
    server.answerNextWith(spaced(texts, 5));
    auto client = server.client();
    ASSERT_TRUE(client);

    const RemoteControl::Reply sixty = RconAsk::ask(*client, QStringLiteral("cvarlist"), 300000);
    EXPECT_EQ(sixty.text.size(), 6 * 9990);
    EXPECT_TRUE(sixty.text.startsWith(QLatin1Char('a')));
    EXPECT_FALSE(sixty.truncated);

    const RemoteControl::Reply cut = RconAsk::ask(*client, QStringLiteral("cvarlist"), 300000);
    EXPECT_EQ(cut.text, QString(9990, QLatin1Char('g')));
    EXPECT_TRUE(cut.truncated);
}

TEST(RconExchange, AReplyThatComesBetweenExchangesAnswersNoRequest)
{
    RconResponder server;
    server.answerNextWith({{1300, RconResponder::reply("late")}});
    server.answerNextWith("fresh");
    auto client = server.client();
    ASSERT_TRUE(client);

    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("status"), 50000).text, noResponse);
    // The late reply arrives while no exchange runs; the next request gets its own.
    QTest::qWait(400);
    server.sendNow(RconResponder::reply("stale"));
    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("status"), 50000).text, "fresh");
}

TEST(RconExchange, DatagramsFromAnyoneButTheServerAreIgnored)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QHostAddress::LocalHost), 0));
    std::optional<RemoteControl::Reply> reply;
    client->sendRCon(QStringLiteral("status"), 50000, nullptr,
                     [&](const RemoteControl::Reply& r) { reply = r; });
    stranger.writeDatagram(RconResponder::reply("forged"), QHostAddress(QHostAddress::LocalHost),
                           client->localPort());
    ASSERT_TRUE(waitUntil([&] { return reply.has_value(); }, 10000));
    EXPECT_EQ(reply->text, noResponse);
}

TEST(RconExchange, ARequestTooLongForTheBufferIsRefusedWithoutWaitingItsTurn)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    const QString command(RconTransport::requestBufferSize, QLatin1Char('x'));
    EXPECT_FALSE(RconAsk::ask(*client, command, 50000).sent);
    QTest::qWait(100);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(RemoteControlChannel, RequestsQueueInOrderOneOnTheWireAtATime)
{
    RconResponder server;
    for (const char* text : {"first", "second", "third"})
        server.answerNextWith({{150, RconResponder::reply(text)}});
    auto client = server.client();
    ASSERT_TRUE(client);
    QStringList replies;
    for (const char* command : {"one", "two", "three"})
        client->sendRCon(QString::fromLatin1(command), 50000, nullptr,
                         [&](const RemoteControl::Reply& reply) {
                             // Each request goes only once the one before is done.
                             EXPECT_EQ(server.requests().size(), replies.size() + 1);
                             replies.append(reply.text);
                         });
    EXPECT_TRUE(client->busy());
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 3; }, 10000));
    EXPECT_EQ(replies, QStringList({"first", "second", "third"}));
    EXPECT_FALSE(client->busy());
    QStringList commands;
    for (const QByteArray& request : server.requests())
        commands.append(QString::fromLatin1(RconResponder::commandOf(request)));
    EXPECT_EQ(commands, QStringList({"one", "two", "three"}));
}

TEST(RemoteControlChannel, NeedsAServerProcessToConnectAndReconnects)
{
    RconResponder server;
    qint32 pid = -1;
    RemoteControlServices services;
    services.serverPid = [&pid] {
        return pid;
    };
    EXPECT_FALSE(server.client(services));

    pid = 4321;
    auto client = server.client(services);
    ASSERT_TRUE(client);
    EXPECT_TRUE(client->connectedToServer());
    EXPECT_TRUE(client->disconnectFromQ3Server());
    EXPECT_FALSE(client->disconnectFromQ3Server());
    EXPECT_FALSE(RconAsk::ask(*client, QStringLiteral("status"), 50000).sent);
    EXPECT_TRUE(client->connectedToServer()); // reconnects
    server.answerNextWith("back");
    EXPECT_EQ(RconAsk::ask(*client, QStringLiteral("status"), 50000).text, "back");

    pid = -1;
    EXPECT_TRUE(client->disconnectFromQ3Server());
    EXPECT_FALSE(client->connectedToServer());
    EXPECT_FALSE(RconAsk::ask(*client, QStringLiteral("status"), 50000).sent);
}

TEST(RemoteControlChannel, AClientDestroyedWithRequestsInFlightReportsNothing)
{
    RconResponder server;
    server.answerNextWith({{200, RconResponder::reply("too late")}});
    auto client = server.client();
    ASSERT_TRUE(client);
    int reported = 0;
    for (int i = 0; i < 3; ++i)
        client->sendRCon(QStringLiteral("status"), 50000, nullptr,
                         [&](const RemoteControl::Reply&) { ++reported; });
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }, 5000));
    client.reset();
    QTest::qWait(500);
    EXPECT_EQ(reported, 0);

    // A caller whose context is gone is not called either.
    auto second = server.client();
    ASSERT_TRUE(second);
    auto context = std::make_unique<QObject>();
    second->sendRCon(QStringLiteral("status"), 50000, context.get(),
                     [&](const RemoteControl::Reply&) { ++reported; });
    context.reset();
    QTest::qWait(1300);
    EXPECT_EQ(reported, 0);
}
