#include "EditorFixture.h"

#include "app/PlayerHistoryChart.h"
#include "app/PlayersModel.h"
#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/ServerControl.h"
#include "rcon/HostedServers.h"
#include "rcon/ServerSession.h"
#include "rcon/ServerWatch.h"
#include "server/PlayerHistory.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>

namespace {

// What the Remote Control tab shows of a server's public side: who plays, of how many, a
// server without remote control as anyone sees it, and the player history.
class ServerWatchPaneTest : public DemoServerFixture
{
protected:
    QString people() const { return rcon().rconPeopleField->text(); }
    const int port = RealServer::freeUdpPort();
};

} // namespace

TEST_F(ServerWatchPaneTest, ThePeopleLineAndTheHistoryFollowTheServer)
{
    makeConfig("Alpha", port, "oa_dm2");
    // A week of samples from before this start: the history outlives its servers.
    PlayerHistory history(PlayerHistory::pathForServer("Alpha"));
    const qint64 now = history.nowMinute();
    for (qint64 minute = now - 6 * 24 * 60; minute < now - 10; minute += 7)
        ASSERT_TRUE(history
                        .append({minute, int(minute / 60 % 5), 4,
                                 minute < now - 3000 ? "oa_dm1" : "oa_dm2"})
                        .ok());
    server().saveAndStart();
    ASSERT_TRUE(waitUntil([&] { return controlled("Alpha"); })) << status().toStdString();
    for (const char* bot : {"addbot sarge", "addbot grunt"})
        ASSERT_FALSE(RealServer::rcon(port, "secret", bot).isEmpty());

    servers().watch(servers().session("Alpha"))->refresh();
    EXPECT_TRUE(waitUntil(
        [&] {
            servers().watch(servers().session("Alpha"))->refresh();
            return people().contains(QRegularExpression("^Players: 0 people, 2 bots of \\d+$"));
        },
        30000, 1000))
        << people().toStdString();

    // The chart shows the last 24 hours, then the week, and the window's own sample joins it.
    PlayerHistoryChart* chart = rcon().historyChart;
    const qsizetype day = chart->samples().size();
    EXPECT_GT(day, 100);
    rcon().historySpanMenu->setCurrentIndex(1);
    EXPECT_EQ(chart->span(), PlayerHistoryChart::Span::Week);
    EXPECT_GT(chart->samples().size(), 5 * day);
    ASSERT_TRUE(waitUntil([&] {
        return !chart->samples().isEmpty() && chart->samples().last().minute >= now;
    })) << "the window samples its server";
    // Taken as soon as the server answered: before or after the bots came.
    EXPECT_EQ(chart->samples().last().people, 0);
    EXPECT_EQ(chart->samples().last().map, "oa_dm2");
    control<QTabWidget>("consolePages")->setCurrentIndex(2);
    EXPECT_TRUE(chart->isVisible());
}

TEST_F(ServerWatchPaneTest, AServerWithoutRemoteControlIsShownAsAnyoneSeesIt)
{
    makeConfig("Open", port, "oa_dm4");
    editor().controls().rconPasswordField->clear();
    alertAnswers = {1}; // "Start anyway"
    server().saveAndStart();
    ASSERT_TRUE(waitUntil([&] {
        const ServerSession* session = servers().session("Open");
        return session && session->state() == ServerSession::State::Uncontrolled;
    }));
    EXPECT_TRUE(waitUntil(
        [&] { return rcon().rconCurrentMapNameField->text() == "Current map: oa_dm4"; }, 30000))
        << rcon().rconCurrentMapNameField->text().toStdString();
    EXPECT_TRUE(people().startsWith("Players: 0 people, 0 bots of ")) << people().toStdString();
    EXPECT_FALSE(rcon().rconCurrentMapTitleField->text().isEmpty());
    EXPECT_FALSE(rcon().rconPlayersKickButton->isEnabled());
}
