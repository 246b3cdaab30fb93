#include "rcon/QueryResponder.h"
#include "rcon/ServerQuery.h"
#include "support/WaitUntil.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Failure = ServerQuery::Failure;
using Request = ServerQuery::Request;

// The outcomes of one query object, as they arrive.
struct Outcomes
{
    std::optional<ServerInfoReply> info;
    std::optional<ServerStatusReply> status;
    std::optional<Failure> infoFailure;
    std::optional<Failure> statusFailure;

    explicit Outcomes(ServerQuery& query)
    {
        QObject::connect(&query, &ServerQuery::infoReceived, &query,
                         [this](const ServerInfoReply& reply) { info = reply; });
        QObject::connect(&query, &ServerQuery::statusReceived, &query,
                         [this](const ServerStatusReply& reply) { status = reply; });
        QObject::connect(&query, &ServerQuery::failed, &query, [this](Request request, Failure failure) {
            (request == Request::Info ? infoFailure : statusFailure) = failure;
        });
    }
    bool infoDone() const { return info || infoFailure; }
    bool statusDone() const { return status || statusFailure; }
};

// A pacer of the test's own: the shared ledger would carry counts from one test to the next.
ServerQuery::Options quickOptions(int timeoutMs = 600)
{
    ServerQuery::Options options;
    options.timeoutMs = timeoutMs;
    options.pacer = std::make_shared<RconPacer>(ServerQuery::allowance());
    return options;
}

} // namespace

TEST(ServerQuery, AsksBothQuestionsAndNeverTheRemoteConsole)
{
    QueryResponder server;
    ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions());
    Outcomes outcomes(query);
    ASSERT_TRUE(query.requestInfo());
    ASSERT_TRUE(query.requestStatus());
    EXPECT_FALSE(query.requestInfo()) << "one of a kind at a time";
    EXPECT_FALSE(outcomes.infoDone()) << "the outcome comes later, never inside the call";
    ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone() && outcomes.statusDone(); }));

    ASSERT_TRUE(outcomes.info) << int(*outcomes.infoFailure);
    EXPECT_EQ(outcomes.info->hostName, "^1Red ^7Host");
    EXPECT_EQ(outcomes.info->clients, 3);
    EXPECT_EQ(outcomes.info->humanPlayers, 1);
    ASSERT_TRUE(outcomes.status);
    ASSERT_EQ(outcomes.status->players.size(), 3);
    EXPECT_EQ(outcomes.status->players.at(0).name, "^1Big^7Gun");
    EXPECT_EQ(outcomes.status->players.at(0).ping, 48);

    ASSERT_EQ(server.requests().size(), 2);
    for (const QByteArray& request : server.requests()) {
        EXPECT_TRUE(request.startsWith("\xff\xff\xff\xffget")) << request.toStdString();
        EXPECT_FALSE(request.contains("rcon"));
        EXPECT_EQ(QueryResponder::challengeOf(request).size(), 12);
    }
    EXPECT_NE(QueryResponder::challengeOf(server.requests().at(0)),
              QueryResponder::challengeOf(server.requests().at(1)));
    // Apart from the remote console's address, whose requests the server counts alike.
    EXPECT_EQ(server.senders().at(0), QHostAddress(QStringLiteral("127.0.0.2")));

    // Asked again, it answers again.
    outcomes.info.reset();
    ASSERT_TRUE(query.requestInfo());
    ASSERT_TRUE(waitUntil([&] { return outcomes.info.has_value(); }));
}

TEST(ServerQuery, AsksOverIpv6Too)
{
    QueryResponder server(QHostAddress(QHostAddress::LocalHostIPv6));
    if (server.port() == 0)
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    ServerQuery query(QStringLiteral("::1"), server.port(), quickOptions());
    Outcomes outcomes(query);
    query.requestInfo();
    ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone(); }));
    ASSERT_TRUE(outcomes.info);
    EXPECT_EQ(outcomes.info->mapName, "oa_dm1");
    EXPECT_EQ(server.senders().first(), QHostAddress(QHostAddress::LocalHostIPv6));
}

TEST(ServerQuery, TakesOnlyTheServersRepliesWithTheChallengeItSent)
{
    QueryResponder server;
    QUdpSocket stranger;
    stranger.bind(QHostAddress(QHostAddress::LocalHost), 0);
    ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions(3000));
    Outcomes outcomes(query);
    server.answerWith([&](const QByteArray& command, const QByteArray& challenge) {
        // Someone else sends the right answer first; then the server a stale one and the
        // reply of the other question.
        stranger.writeDatagram(QueryResponder::infoResponse("\\hostname\\spoofed", challenge),
                               QHostAddress(QStringLiteral("127.0.0.2")), query.localPort());
        return QList<QueryResponder::Datagram>{
            {10, QueryResponder::infoResponse("\\hostname\\stale", "old" + challenge)},
            {20, QueryResponder::statusResponse("\\sv_hostname\\wrong kind", challenge, "")},
            {60, server.standardAnswer(command, challenge).first().bytes}};
    });
    ASSERT_TRUE(query.requestInfo());
    ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone(); }));
    ASSERT_TRUE(outcomes.info);
    EXPECT_EQ(outcomes.info->hostName, "^1Red ^7Host");
}

TEST(ServerQuery, SilenceEndsInNoAnswerAfterOneMoreTry)
{
    QueryResponder server;
    server.stayQuiet();
    ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions(400));
    Outcomes outcomes(query);
    query.requestInfo();
    query.requestStatus();
    ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone() && outcomes.statusDone(); }));
    EXPECT_EQ(outcomes.infoFailure, Failure::NoAnswer);
    EXPECT_EQ(outcomes.statusFailure, Failure::NoAnswer);
    EXPECT_EQ(server.requestsOf("getinfo"), 2);
    EXPECT_EQ(server.requestsOf("getstatus"), 2);
    EXPECT_FALSE(query.isRunning(Request::Info));
}

TEST(ServerQuery, AFloodOrAReplyTooLargeEndsTheExchange)
{
    {
        QueryResponder server;
        ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions(5000));
        Outcomes outcomes(query);
        server.answerWith([](const QByteArray&, const QByteArray&) {
            QList<QueryResponder::Datagram> flood;
            for (int i = 0; i < 200; ++i)
                flood.append({0, "\xff\xff\xff\xffprint\nnoise " + QByteArray::number(i)});
            return flood;
        });
        query.requestInfo();
        query.requestStatus();
        ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone() && outcomes.statusDone(); }));
        EXPECT_EQ(outcomes.infoFailure, Failure::Flood);
        EXPECT_EQ(outcomes.statusFailure, Failure::Flood);
    }
    {
        // 64 players with names of 1000 characters: more than a real server's reply can be.
        QueryResponder server;
        ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions(5000));
        Outcomes outcomes(query);
        server.answerWith([](const QByteArray&, const QByteArray& challenge) {
            QByteArray players;
            for (int i = 0; i < 64; ++i)
                players += "0 0 \"" + QByteArray(1000, char('a' + i % 26)) + "\"\n";
            return QList<QueryResponder::Datagram>{
                {0, QueryResponder::statusResponse("\\sv_hostname\\big", challenge, players)}};
        });
        query.requestStatus();
        ASSERT_TRUE(waitUntil([&] { return outcomes.statusDone(); }));
        EXPECT_EQ(outcomes.statusFailure, Failure::ReplyTooLarge);
    }
    {
        // Within the bound, but with names past the name limit: every name is cut.
        QueryResponder server;
        const ServerQuery::Options options = quickOptions(5000);
        ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), options);
        Outcomes outcomes(query);
        server.answerWith([](const QByteArray&, const QByteArray& challenge) {
            QByteArray players;
            for (int i = 0; i < 16; ++i)
                players += "0 0 \"" + QByteArray(1000, 'n') + "\"\n";
            return QList<QueryResponder::Datagram>{
                {0, QueryResponder::statusResponse("\\sv_hostname\\long", challenge, players)}};
        });
        query.requestStatus();
        ASSERT_TRUE(waitUntil([&] { return outcomes.statusDone(); }));
        ASSERT_TRUE(outcomes.status);
        ASSERT_EQ(outcomes.status->players.size(), 16);
        EXPECT_EQ(outcomes.status->players.first().name.size(), options.limits.nameLength);
    }
}

TEST(ServerQuery, ASplitOrTruncatedReplyGivesWhatItHolds)
{
    QueryResponder server;
    ServerQuery query(QStringLiteral("127.0.0.1"), server.port(), quickOptions(3000));
    Outcomes outcomes(query);
    // The players spill into a second datagram, which is no reply of its own; the first is
    // cut in a name.
    server.answerWith([](const QByteArray&, const QByteArray& challenge) {
        return QList<QueryResponder::Datagram>{
            {0, QueryResponder::statusResponse("\\sv_hostname\\split", challenge, "1 10 \"one\"\n2 20 \"tw")},
            {5, "o\"\n3 30 \"three\"\n"}};
    });
    query.requestStatus();
    ASSERT_TRUE(waitUntil([&] { return outcomes.statusDone(); }));
    ASSERT_TRUE(outcomes.status);
    ASSERT_EQ(outcomes.status->players.size(), 1);
    EXPECT_EQ(outcomes.status->players.first().name, "one");
    EXPECT_EQ(outcomes.status->linesSkipped, 1);
}

TEST(ServerQuery, AnAutomaticQueryGivesWayWhileACommandWaitsItsTurn)
{
    QueryResponder server;
    // Two requests at once, then one each 100 ms of a clock that stands still until the test
    // moves it.
    qint64 now = 1000000;
    auto pacer = std::make_shared<RconPacer>(RconPacer::Allowance{2, 100, 0}, [&now] { return now; });
    ServerQuery::Options command = quickOptions(60000);
    command.pacer = pacer;
    ServerQuery::Options poll = command;
    poll.traffic = RconPacer::Traffic::Poll;

    ServerQuery first(QStringLiteral("127.0.0.1"), server.port(), command);
    ServerQuery second(QStringLiteral("127.0.0.1"), server.port(), command);
    ServerQuery automatic(QStringLiteral("127.0.0.1"), server.port(), poll);
    Outcomes one(first), two(second), three(automatic);
    first.requestInfo();
    first.requestStatus();
    ASSERT_TRUE(waitUntil([&] { return one.infoDone() && one.statusDone(); }));
    // The allowance is used up: the poll gives way, the command waits for its turn.
    second.requestInfo();
    ASSERT_TRUE(second.isRunning(ServerQuery::Request::Info));
    automatic.requestInfo();
    ASSERT_TRUE(waitUntil([&] { return three.infoDone(); }));
    EXPECT_EQ(three.infoFailure, Failure::GaveWay);
    EXPECT_FALSE(two.infoDone());
    EXPECT_EQ(server.requestsOf("getinfo"), 1);

    now += 100;
    ASSERT_TRUE(waitUntil([&] { return two.infoDone(); }));
    EXPECT_TRUE(two.info);
    EXPECT_EQ(server.requestsOf("getinfo"), 2);
    EXPECT_FALSE(second.isRunning(ServerQuery::Request::Info));
}

TEST(ServerQuery, AHostThatDoesNotResolveFails)
{
    ServerQuery query(QStringLiteral("no-such-host.invalid"), 27960, quickOptions());
    Outcomes outcomes(query);
    query.requestInfo();
    ASSERT_TRUE(waitUntil([&] { return outcomes.infoDone(); }));
    EXPECT_EQ(outcomes.infoFailure, Failure::HostNotFound);
}

TEST(ServerQuery, ASlotMayDeleteTheQuery)
{
    QueryResponder server;
    QPointer<ServerQuery> query = new ServerQuery(QStringLiteral("localhost"), server.port(), quickOptions());
    bool received = false;
    QObject::connect(query, &ServerQuery::infoReceived, [&](const ServerInfoReply&) {
        received = true;
        delete query.data();
    });
    query->requestInfo();
    query->requestStatus();
    ASSERT_TRUE(waitUntil([&] { return query.isNull(); }));
    EXPECT_TRUE(received);
}
