#include "rcon/RconTransport.h"
#include "rcon/RconResponder.h"
#include "rcon/RemoteControl.h"

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
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 100000));
    EXPECT_EQ(client->receiveRCon(), "map: oa_dm1\n");
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

TEST(RconExchange, DatagramsWithinTheQuietGapAreJoinedInOrder)
{
    RconResponder server;
    server.answerNextWith(spaced({"one ", "two ", "three"}, 60));
    auto client = server.client();
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 300000));
    EXPECT_EQ(client->receiveRCon(), "one two three");
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

    ASSERT_TRUE(client->sendRCon(QStringLiteral("say"), 900000));
    EXPECT_EQ(client->receiveRCon(), noResponse);

    ASSERT_TRUE(client->sendRCon(QStringLiteral("say"), 900000));
    EXPECT_EQ(client->receiveRCon(), "text");
}

TEST(RconExchange, SilenceEndsTheWaitAfterItsBoundWhileTheEventLoopRuns)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5);

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 100000));
    EXPECT_EQ(client->receiveRCon(), noResponse);
    EXPECT_GE(clock.elapsed(), 1050) << "the wait lasts its whole bound";
    EXPECT_FALSE(client->wrongPassword());
    // A 5 ms timer ticks about 220 times in 1.1 s; a blocked loop would give none.
    EXPECT_GT(ticks, 50);
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
        ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 400000));
        const QString reply = client->receiveRCon();
        const qint64 elapsed = clock.elapsed();
        EXPECT_GE(elapsed, RconTransport::exchangeDeadlineMs - 100) << c.stepMs;
        EXPECT_LE(elapsed, RconTransport::exchangeDeadlineMs + 500) << c.stepMs;
        // The reply so far, from its first datagram on.
        EXPECT_TRUE(reply.startsWith("0 1 2 3 ")) << reply.left(40).toStdString();
        EXPECT_FALSE(reply.contains(QByteArray::number(c.count - 1) + ' '));
    }
}

TEST(RconExchange, TheServersRefusalIsARejectedPassword)
{
    RconResponder server;
    RecordingAlerts alerts;
    const QList<QByteArray> rejections = {"Bad rconpassword.\n",
                                          "No rconpassword set on the server.\n"};
    for (const QByteArray& text : rejections)
        server.answerNextWith(text);
    server.answerNextWith("map: oa_dm1\nthe rconpassword is wrong\n");
    RemoteControlServices services;
    services.alerts = &alerts;
    auto client = server.client(services);
    ASSERT_TRUE(client);

    for (const QByteArray& text : rejections) {
        ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
        EXPECT_EQ(client->receiveRCon(), noResponse);
        EXPECT_TRUE(client->wrongPassword());
        ASSERT_FALSE(alerts.shown.isEmpty());
        EXPECT_EQ(alerts.shown.last().title, "Game server communication message:");
        EXPECT_EQ(alerts.shown.last().message, QString::fromLatin1(text));
    }
    EXPECT_EQ(alerts.shown.size(), 2);
    // A reply that only mentions the password is an answer.
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), "map: oa_dm1\nthe rconpassword is wrong\n");
    EXPECT_FALSE(client->wrongPassword());
}

TEST(RconExchange, AReplyPastSixtyThousandBytesKeepsTheDatagramThatCrossedTheLimit)
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

    ASSERT_TRUE(client->sendRCon(QStringLiteral("cvarlist"), 300000));
    const QString sixty = client->receiveRCon();
    EXPECT_EQ(sixty.size(), 6 * 9990);
    EXPECT_TRUE(sixty.startsWith(QLatin1Char('a')));

    ASSERT_TRUE(client->sendRCon(QStringLiteral("cvarlist"), 300000));
    EXPECT_EQ(client->receiveRCon(), QString(9990, QLatin1Char('g')));
}

TEST(RconExchange, ALateReplyIsCollectedByTheNextWaitAndDroppedByTheNextSend)
{
    RconResponder server;
    server.answerNextWith({{1300, RconResponder::reply("late")}});
    server.answerNextWith({{1300, RconResponder::reply("late again")}});
    server.answerNextWith("fresh");
    server.answerNextWith("fresher");
    auto client = server.client();
    ASSERT_TRUE(client);

    // The wait ends before the reply; a second wait, without a new request, collects it.
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), noResponse);
    EXPECT_EQ(client->receiveRCon(), "late");

    // This late reply arrives while nobody waits; the next request forgets it.
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), noResponse);
    QTest::qWait(400);
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), "fresh");

    // A reply still queued unread in the socket is forgotten as well.
    server.sendNow(RconResponder::reply("stale"));
    QTest::qWait(0);
    server.sendNow(RconResponder::reply("stale"));
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), "fresher");
}

TEST(RconExchange, DatagramsFromAnyoneButTheServerAreIgnored)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QHostAddress::LocalHost), 0));
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    stranger.writeDatagram(RconResponder::reply("forged"), QHostAddress(QHostAddress::LocalHost),
                           client->localPort());
    EXPECT_EQ(client->receiveRCon(), noResponse);
}

TEST(RconExchange, ARequestTooLongForTheBufferIsRefused)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);
    const QString command(RconTransport::requestBufferSize, QLatin1Char('x'));
    EXPECT_FALSE(client->sendRCon(command, 50000));
    QTest::qWait(100);
    EXPECT_TRUE(server.requests().isEmpty());
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
    EXPECT_FALSE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_TRUE(client->connectedToServer()); // reconnects
    server.answerNextWith("back");
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), "back");

    pid = -1;
    EXPECT_TRUE(client->disconnectFromQ3Server());
    EXPECT_FALSE(client->connectedToServer());
    EXPECT_FALSE(client->sendRCon(QStringLiteral("status"), 50000));
}

TEST(RemoteControlChannel, SurvivesBeingDestroyedOrAskedAgainDuringAWait)
{
    RconResponder server;
    auto client = server.client();
    ASSERT_TRUE(client);

    bool secondSendRefused = false;
    QTimer::singleShot(
        50, [&] { secondSendRefused = !client->sendRCon(QStringLiteral("status"), 50000); });
    ASSERT_TRUE(client->sendRCon(QStringLiteral("status"), 50000));
    EXPECT_EQ(client->receiveRCon(), noResponse);
    EXPECT_TRUE(secondSendRefused);
    EXPECT_EQ(server.requests().size(), 1);

    RemoteControl* raw = client.release();
    bool deleted = false;
    QTimer::singleShot(50, [raw, &deleted] {
        delete raw;
        deleted = true;
    });
    raw->setServerStatus(50000);
    EXPECT_TRUE(deleted) << "the client went during its own wait, and the wait survived it";
}
