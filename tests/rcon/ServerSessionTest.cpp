// The remote control of one server, as the window keeps it, against a loopback stand-in for
// what a real server cannot be made to do: answer "Server is not running.", answer slowly.

#include "rcon/ServerSession.h"

#include "rcon/RconResponder.h"
#include "rcon/RemoteControl.h"
#include "support/WaitUntil.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QByteArray statusOfTwo =
    "map: oa_dm1\n"
    "cl score ping name            address                                 rate \n"
    "-- ----- ---- --------------- --------------------------------------- -----\n"
    " 0     3    0 Sarge           ^7bot                                   16384\n"
    " 1     1    0 Grunt           ^7bot                                   16384\n\n";
const QByteArray notRunning = "Server is not running.\n";

QStringList commandsOf(const RconResponder& server)
{
    QStringList commands;
    for (const QByteArray& request : server.requests())
        commands.append(QString::fromLatin1(RconResponder::commandOf(request)));
    return commands;
}

QStringList namesOf(const QList<PlayerStatus>& players)
{
    QStringList names;
    for (const PlayerStatus& player : players)
        names.append(player.name());
    return names;
}

class ServerSessionTest : public ::testing::Test
{
protected:
    // A session of the responder's server, connecting every few milliseconds.
    std::unique_ptr<ServerSession> connectingSession(int intervalMs = 5)
    {
        ServerSession::Services services;
        services.connect = [this](RconAlerts* alerts) {
            RemoteControlServices clientServices;
            clientServices.alerts = alerts;
            clientServices.pacer = RconPacer::unpaced();
            return server.client(clientServices);
        };
        services.outputLocation = QStringLiteral("/tmp/server.log");
        auto session = std::make_unique<ServerSession>(
            QStringLiteral("Loopback"), ServerSession::State::Connecting, services);
        session->waitThenTryInitRemoteControl(intervalMs / 1000.0);
        return session;
    }

    std::unique_ptr<ServerSession> controlledSession()
    {
        server.answerNextWith(statusOfTwo);
        auto session = connectingSession();
        EXPECT_TRUE(waitUntil(
            [&] { return session->state() == ServerSession::State::Controlled; }, 10000));
        return session;
    }

    RconResponder server;
};

} // namespace

TEST_F(ServerSessionTest, AServerThatIsNotRunningAMapIsNeverTakenForControlled)
{
    server.answerEveryRequestWith(notRunning);
    auto session = connectingSession();
    QSignalSpy alerts(session.get(), &ServerSession::alertRaised);
    QSignalSpy quit(session.get(), &ServerSession::quitRequested);
    QSignalSpy ticks(session.get(), &ServerSession::initAttempted);
    ASSERT_TRUE(waitUntil([&] { return !quit.isEmpty(); }, 20000));
    EXPECT_EQ(ticks.count(), 25);
    EXPECT_NE(session->state(), ServerSession::State::Controlled);
    ASSERT_EQ(alerts.count(), 1);
    EXPECT_EQ(alerts.first().at(0).toString(), "Game server communication failure!");
    const QString message = alerts.first().at(1).toString();
    EXPECT_TRUE(message.endsWith("The server's output is in /tmp/server.log."))
        << message.toStdString();
    EXPECT_FALSE(message.contains("http")) << "no address that does not exist";
}

TEST_F(ServerSessionTest, AReplyThatIsNoStatusLeavesWhatWasShown)
{
    auto session = controlledSession();
    ASSERT_EQ(namesOf(session->players()), (QStringList{"Sarge", "Grunt"}));
    ASSERT_EQ(session->shownMap(), "oa_dm1");
    QSignalSpy refreshed(session.get(), &ServerSession::statusRefreshed);
    // Not running, a late reply to another command, a reply cut short: nothing of them shows.
    server.answerNextWith(notRunning);
    server.answerNextWith("\"fraglimit\" is:\"20^7\" default:\"20^7\"\n");
    server.answerNextWith("drip 1\ndrip 2\ndrip 3\ndrip 4\ndrip 5\ndrip 6\n");
    for (int i = 0; i < 3; ++i) {
        const qsizetype before = server.requests().size();
        session->updateRemoteControlStatus(false);
        ASSERT_TRUE(waitUntil([&] { return server.requests().size() > before && session->idle(); },
                              5000));
    }
    EXPECT_EQ(refreshed.count(), 0);
    EXPECT_EQ(namesOf(session->players()), (QStringList{"Sarge", "Grunt"}));
    EXPECT_EQ(session->shownMap(), "oa_dm1");
    EXPECT_EQ(session->state(), ServerSession::State::Controlled);
}

TEST_F(ServerSessionTest, NoCommandIsDroppedWhileAPollARefreshOrThePreviewHoldsTheServer)
{
    auto session = controlledSession();
    // A server that takes 0.9 s to answer, polled every second.
    server.answerEveryRequestWith({});
    const auto slowly = [&](const QByteArray& text) {
        server.answerNextWith({{900, RconResponder::reply(text)}});
    };
    session->setAutomaticStatus(true, 1);
    for (int i = 0; i < 10; ++i) {
        slowly(i % 2 ? QByteArray("ok\n") : statusOfTwo);
        session->sendCommand(QStringLiteral("echo %1").arg(i));
        QTest::qWait(150);
    }
    // A restart holds a refresh back for five seconds; a command meanwhile goes.
    session->restartMap();
    ASSERT_TRUE(waitUntil([&] { return session->oneShotStatusPending(); }, 30000));
    session->sendCommand(QStringLiteral("after restart"));
    // The preview held: commands go while the next map is shown.
    server.answerNextWith("\"nextmap\" is:\"vstr d2^7\" default:\"^7\"\n");
    session->holdPreview();
    session->sendCommand(QStringLiteral("while previewing"));
    ASSERT_TRUE(waitUntil([&] { return commandsOf(server).contains("while previewing"); }, 60000));
    session->releasePreview();
    session->setAutomaticStatus(false, 1);

    QStringList commands;
    for (const QString& command : commandsOf(server))
        if (command != "status")
            commands.append(command);
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected.append(QStringLiteral("echo %1").arg(i));
    expected += {"map_restart", "after restart", "nextmap", "while previewing"};
    EXPECT_EQ(commands, expected) << "every command, in the order asked";
}

TEST_F(ServerSessionTest, AutomaticTicksWaitForAPendingRefreshAndPollsGiveWayToCommands)
{
    auto session = controlledSession();
    server.answerEveryRequestWith(statusOfTwo);
    QSignalSpy refreshed(session.get(), &ServerSession::statusRefreshed);
    session->waitThenGetStatus(1.5, false);
    session->setAutomaticStatus(true, 1);
    // The switch's own refresh, then no tick until the pending refresh has come.
    ASSERT_TRUE(waitUntil([&] { return refreshed.count() == 1; }, 5000));
    QTest::qWait(1200);
    EXPECT_EQ(refreshed.count(), 1);
    ASSERT_TRUE(waitUntil([&] { return refreshed.count() >= 3; }, 10000));
    session->setAutomaticStatus(false, 1);
    EXPECT_FALSE(session->automaticStatus());
}
