#include "EditorFixture.h"

#include "app/ApplicationIcon.h"
#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlActions.h"
#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/PlayersModel.h"
#include "app/ServerControl.h"
#include "app/SetupEditorView.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "rcon/HostedServers.h"
#include "rcon/RemoteControl.h"
#include "rcon/ServerSession.h"
#include "server/ConfigFiles.h"
#include "server/QProcessCom.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "support/DemoGame.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <csignal>
#include <functional>

namespace {

class RemoteControlPaneTest : public DemoServerFixture
{
protected:
    ServerSession* session() { return pane().session(); }
    QString response() const { return rcon().rconResponseTextView->toPlainText(); }
    QString mapName() const { return rcon().rconCurrentMapNameField->text(); }

    // A configuration of the demo game on the test's port, shown in the editor.
    void makeStartableConfig(const QString& name, const QString& password, int fragLimit = 20)
    {
        newConfig(name);
        shown()->setMapList({"oa_dm1", "oa_dm2"});
        shown()->setFragLimit(fragLimit);
        shown()->setServerName(name + " host");
        editor().populateFields(*shown());
        editor().controls().netPortField->setValue(port);
        editor().controls().rconPasswordField->setText(password);
    }

    void startControlled(const QString& name)
    {
        makeStartableConfig(name, "secret");
        server().saveAndStart();
        ASSERT_TRUE(alerts.isEmpty()) << alerts.first().title.toStdString();
        ASSERT_EQ(server().state(), ServerState::Connecting);
        ASSERT_TRUE(waitUntil([&] { return server().state() == ServerState::Controlled; }))
            << status().toStdString();
    }

    // Nothing on the wire, queued or pending for the shown server.
    void waitUntilIdle() { ASSERT_TRUE(waitUntil([&] { return session() && session()->idle(); })); }
    // The server's process once found.
    qint32 serverPid() const { return ServerLauncher::recordedServerPid(); }

    QStringList players() const
    {
        QStringList names;
        const QAbstractItemModel* model = rcon().rconPlayersTableView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }
    int rowOf(QTableView* table, const QString& name) const
    {
        for (int row = 0; row < table->model()->rowCount(); ++row)
            if (table->model()->index(row, 0).data().toString().compare(name, Qt::CaseInsensitive) == 0)
                return row;
        return -1;
    }
    QString selectedPlayer()
    {
        const QList<int> rows = FormControls::selectedRows(rcon().rconPlayersTableView);
        return rows.isEmpty() ? QString() : players().value(rows.first());
    }
    QString botAt(int row) const
    {
        return rcon().rconBotsTableView->model()->index(row, 0).data().toString();
    }

    void click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        button->click();
    }
    // Adds bots through the console and waits until the players table lists them.
    void addBotsByConsole(const QStringList& bots)
    {
        for (const QString& bot : bots)
            session()->sendCommand("addbot " + bot);
        ASSERT_TRUE(waitUntil([&] {
            session()->updateRemoteControlStatus(false);
            return std::all_of(bots.cbegin(), bots.cend(), [&](const QString& bot) {
                return rowOf(rcon().rconPlayersTableView, bot) >= 0;
            });
        }, 30000, 500)) << players().join(", ").toStdString();
    }

    bool paneEnabled() const
    {
        return rcon().rconServerCommandSendButton->isEnabled() &&
               rcon().rconPlayersKickButton->isEnabled() && rcon().rconLimitsField->isEnabled() &&
               rcon().rconQuitServerButton->isEnabled() &&
               rcon().rconPlayersGetStatusSwitch->isEnabled();
    }
    bool paneDisabled() const
    {
        for (QWidget* control : std::initializer_list<QWidget*>{
                 rcon().rconRequestTextField, rcon().rconBotsAddBotButton,
                 rcon().rconPreviewNextMapButton, rcon().rconChangeToNextMapButton,
                 rcon().rconLimitsChangeButton, rcon().rconPlayersGetStatusButton,
                 rcon().rconPlayersDumpUserButton, rcon().rconPlayersKickButton,
                 rcon().rconRestartCurrentMapButton, rcon().rconServerCommandSendButton,
                 rcon().rconLimitsField, rcon().rconLimitsPopUpMenu, rcon().rconQuitServerButton,
                 rcon().rconPlayersGetStatusSwitch, rcon().rconPlayersGetStatusSecondsField})
            if (control->isEnabled())
                return false;
        return true;
    }

    // Records the live server as the one Voranth started, with config in place of its own.
    static void recordLiveServerAs(const LiveServer& live, const ServerConfig& config)
    {
        ASSERT_TRUE(live.recordAsRunning(config));
    }
    // Follows the recorded server as a window started later does, connecting with a short
    // interval, until done() holds; the attempts it took, -1 when done() never held.
    int connectUntil(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        server().showInitialState();
        EXPECT_EQ(servers().sessions().size(), 1);
        if (servers().sessions().isEmpty())
            return -1;
        ServerSession* following = servers().sessions().first();
        QSignalSpy ticks(following, &ServerSession::initAttempted);
        following->stopTimers();
        following->waitThenTryInitRemoteControl(0.01);
        return waitUntil(done, timeoutMs) ? int(ticks.count()) : -1;
    }

    const int port = RealServer::freeUdpPort();
};

} // namespace

TEST_F(RemoteControlPaneTest, ControlsTheServerItStartedWithEveryCommand)
{
    EXPECT_TRUE(paneDisabled()) << "no server yet";
    EXPECT_EQ(mapName(), "Current map: - ");
    makeStartableConfig("Remote", "secret", 20);
    server().saveAndStart();
    ASSERT_TRUE(alerts.isEmpty()) << alerts.first().title.toStdString();
    EXPECT_EQ(server().state(), ServerState::Connecting);
    EXPECT_EQ(status(), "Starting up Server...");
    EXPECT_TRUE(paneDisabled()) << "still connecting";
    EXPECT_FALSE(window->serverBar().runConfigButton->isEnabled()) << "no controlled server";
    ASSERT_TRUE(waitUntil([&] { return server().state() == ServerState::Controlled; }));
    EXPECT_EQ(status(), "Server is running");
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Red);
    EXPECT_TRUE(paneEnabled());
    EXPECT_EQ(rcon().rconServerNameField->text(), "Remote host");
    EXPECT_EQ(rcon().rconServerConfigNameField->text(), "Remote");
    EXPECT_EQ(mapName(), "Current map: oa_dm1");
    const QString title = controller->state().theMapLibrary->mapTitleForMap("oa_dm1");
    EXPECT_FALSE(title.trimmed().isEmpty());
    EXPECT_NE(title, " - ");
    EXPECT_EQ(rcon().rconCurrentMapTitleField->text(), title);
    EXPECT_FALSE(rcon().rconCurrentMapImageView->pixmap().isNull());
    EXPECT_EQ(rcon().rconLimitsField->value(), 20);

    // The first bot is offered, and Add Bot adds it.
    const QString first = botAt(0);
    ASSERT_EQ(FormControls::selectedRows(rcon().rconBotsTableView), QList<int>{0});
    click(rcon().rconBotsAddBotButton);
    EXPECT_FALSE(rcon().addbotProgressCircle->isHidden());
    EXPECT_TRUE(waitUntil([&] { return rowOf(rcon().rconPlayersTableView, first) >= 0; }))
        << players().join(", ").toStdString();
    EXPECT_TRUE(waitUntil([&] { return rcon().addbotProgressCircle->isHidden(); }));

    // Two more, skill 2, in the blue team: both join.
    const QString second = botAt(1);
    const QString third = botAt(2);
    FormControls::selectRow(rcon().rconBotsTableView, 1);
    FormControls::selectRow(rcon().rconBotsTableView, 2, true);
    rcon().rconBotsNumberField->setValue(2);
    rcon().rconBotsTeamColorMatrix->selectTag(1);
    click(rcon().rconBotsAddBotButton);
    EXPECT_TRUE(waitUntil([&] {
        return rowOf(rcon().rconPlayersTableView, second) >= 0 &&
               rowOf(rcon().rconPlayersTableView, third) >= 0;
    })) << players().join(", ").toStdString();

    // Kick of the selected player removes it.
    FormControls::selectRow(rcon().rconPlayersTableView, rowOf(rcon().rconPlayersTableView, second));
    click(rcon().rconPlayersKickButton);
    EXPECT_TRUE(waitUntil([&] { return rowOf(rcon().rconPlayersTableView, second) < 0; }))
        << players().join(", ").toStdString();
    EXPECT_GE(rowOf(rcon().rconPlayersTableView, first), 0);
    EXPECT_TRUE(selectedPlayer().isEmpty()) << "the selection went with the player: "
                                            << selectedPlayer().toStdString() << " of "
                                            << players().join(", ").toStdString();
    waitUntilIdle();

    // Held, the preview shows the next map; released, the current one again.
    QTest::mousePress(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return mapName() == "Next map: oa_dm2"; })) << mapName().toStdString();
    QTest::mouseRelease(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_EQ(mapName(), "Current map: oa_dm1");

    // Go to Next Map: the second map of the rotation after the refresh.
    click(rcon().rconChangeToNextMapButton);
    EXPECT_FALSE(rcon().nextMapProgressCircle->isHidden());
    EXPECT_TRUE(waitUntil([&] { return mapName() == "Current map: oa_dm2"; })) << mapName().toStdString();
    EXPECT_TRUE(rcon().nextMapProgressCircle->isHidden());

    // A limit changed and read back from the server.
    rcon().rconLimitsPopUpMenu->setCurrentIndex(1);
    controller->remoteControlActions().rconPopupClicked(1);
    rcon().rconLimitsField->setValue(17);
    click(rcon().rconLimitsChangeButton);
    EXPECT_TRUE(waitUntil([&] { return response().contains("\"timelimit\" is:\"17"); }))
        << response().toStdString();

    // The free command, with its reply; chat, its reply not shown.
    rcon().rconRequestTextField->setText("sv_hostname");
    click(rcon().rconServerCommandSendButton);
    EXPECT_TRUE(waitUntil([&] { return response().contains("\"sv_hostname\" is:\"Remote host"); }))
        << response().toStdString();
    rcon().rconRequestTextField->setText("hello from the pane");
    click(rcon().rconSayButton);
    waitUntilIdle();
    EXPECT_TRUE(response().contains("\"sv_hostname\" is:")) << response().toStdString();

    // Run Config: a second configuration of the same mod takes over, the old file goes.
    const QString oldFile = ConfigFiles(controller->state().paths).configFileWithPathReplacedSpaces("Remote");
    EXPECT_TRUE(QFile::exists(oldFile));
    makeStartableConfig("Second", "other", 33);
    EXPECT_TRUE(window->serverBar().runConfigButton->isEnabled());
    click(window->serverBar().runConfigButton);
    EXPECT_TRUE(waitUntil([&] { return rcon().rconServerConfigNameField->text() == "Second"; }));
    EXPECT_EQ(rcon().rconLimitsField->value(), 33);
    EXPECT_FALSE(QFile::exists(oldFile));
    EXPECT_EQ(server().runningConfigNames(), QStringList{"Second"});
    rcon().rconRequestTextField->setText("fraglimit");
    click(rcon().rconServerCommandSendButton);
    EXPECT_TRUE(waitUntil([&] { return response().contains("\"fraglimit\" is:\"33"); }))
        << response().toStdString();

    // Quit: the process ends, the pane is disabled and cleared.
    const qint32 pid = serverPid();
    ASSERT_GT(pid, 0);
    click(rcon().rconQuitServerButton);
    EXPECT_TRUE(RealServer::endsWithin(pid));
    EXPECT_TRUE(waitUntil([&] { return server().state() == ServerState::NoServer; }));
    EXPECT_EQ(status(), "No server running");
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Orange);
    EXPECT_TRUE(paneDisabled());
    EXPECT_EQ(mapName(), "Current map: - ");
    EXPECT_EQ(rcon().rconServerNameField->text(), " - ");
    EXPECT_EQ(rcon().rconCurrentMapTitleField->text(), " - ");
    EXPECT_TRUE(rcon().rconCurrentMapImageView->pixmap().isNull());
    EXPECT_TRUE(players().isEmpty());
    EXPECT_EQ(pane().session(), nullptr);
}

TEST_F(RemoteControlPaneTest, WithTheAutomaticStatusASelectedPlayerStaysSelectedAndIsKicked)
{
    startControlled("Every Second");
    addBotsByConsole({"Sarge", "Grunt", "Major"});
    QSignalSpy refreshed(session(), &ServerSession::statusRefreshed);
    rcon().rconPlayersGetStatusSecondsField->setValue(1);
    rcon().rconPlayersGetStatusSwitch->setChecked(true);
    ASSERT_TRUE(session()->automaticStatus());
    EXPECT_FALSE(rcon().rconPlayersGetStatusSecondsField->isEnabled());

    FormControls::selectRow(rcon().rconPlayersTableView, rowOf(rcon().rconPlayersTableView, "Grunt"));
    const int before = int(refreshed.count());
    ASSERT_TRUE(waitUntil([&] { return refreshed.count() >= before + 5; }, 30000));
    EXPECT_EQ(selectedPlayer(), "Grunt") << "kept through five refreshes";

    // Three seconds after it was selected, Kick still acts on it.
    QTest::qWait(3000);
    ASSERT_EQ(selectedPlayer(), "Grunt");
    click(rcon().rconPlayersKickButton);
    EXPECT_TRUE(waitUntil([&] { return rowOf(rcon().rconPlayersTableView, "Grunt") < 0; }))
        << players().join(", ").toStdString();
    EXPECT_GE(rowOf(rcon().rconPlayersTableView, "Sarge"), 0);

    // A selected player who leaves takes the selection along: Kick then acts on nothing.
    FormControls::selectRow(rcon().rconPlayersTableView, rowOf(rcon().rconPlayersTableView, "Major"));
    session()->sendCommand("kick Major");
    ASSERT_TRUE(waitUntil([&] { return rowOf(rcon().rconPlayersTableView, "Major") < 0; }));
    EXPECT_TRUE(selectedPlayer().isEmpty());
    waitUntilIdle();
    const QString shownBefore = response();
    click(rcon().rconPlayersKickButton);
    QTest::qWait(600);
    EXPECT_EQ(response(), shownBefore) << "nothing was sent";
    EXPECT_GE(rowOf(rcon().rconPlayersTableView, "Sarge"), 0);

    rcon().rconPlayersGetStatusSwitch->setChecked(false);
    EXPECT_FALSE(session()->automaticStatus());
    EXPECT_TRUE(rcon().rconPlayersGetStatusSecondsField->isEnabled());
}

TEST_F(RemoteControlPaneTest, GivesUpOnTheNineteenthTickWithoutAProcess)
{
    const ServerConfig config = RealServer::config("Never Started", "secret", port);
    ASSERT_TRUE(RunningServer::record(config));
    EXPECT_EQ(connectUntil([&] { return !alerts.isEmpty(); }), 19);
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.first().title, "Starting up Server failed!");
    EXPECT_FALSE(alerts.first().message.contains("http")) << alerts.first().message.toStdString();
    EXPECT_TRUE(waitUntil([&] { return servers().sessions().isEmpty(); }));
    EXPECT_FALSE(RunningServer::read().has_value()) << "the record goes with the quit";
}

TEST_F(RemoteControlPaneTest, GivesUpOnTheTwentyFifthTickWhenTheServerNeverAnswers)
{
    // A real server process, recorded with a port on which nothing answers.
    LiveServer live(quint16(RealServer::freeUdpPort()), "secret", {"oa_dm1"});
    ASSERT_TRUE(live.start()) << live.error().toStdString();
    ServerConfig silent = ServerConfig::copyOf(live.config());
    silent.setNetPort(port);
    recordLiveServerAs(live, silent);
    ASSERT_EQ(ServerLauncher::recordedServerPid(), live.pid());

    EXPECT_EQ(connectUntil([&] { return !alerts.isEmpty(); }, 120000), 25);
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.first().title, "Game server communication failure!");
    EXPECT_TRUE(RealServer::endsWithin(qint32(live.pid()))) << "our server is quit";
}

TEST_F(RemoteControlPaneTest, AWrongPasswordWhileConnectingQuitsAtOnce)
{
    LiveServer live(quint16(port), "right", {"oa_dm1"});
    ASSERT_TRUE(live.start()) << live.error().toStdString();
    ServerConfig wrong = ServerConfig::copyOf(live.config());
    wrong.setRconPassword("wrong");
    recordLiveServerAs(live, wrong);

    EXPECT_EQ(connectUntil([&] { return servers().sessions().isEmpty(); }), 1);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Game server communication message:");
    EXPECT_TRUE(alerts.first().message.contains("Bad rconpassword")) << alerts.first().message.toStdString();
    EXPECT_TRUE(RealServer::endsWithin(qint32(live.pid())));
}

TEST_F(RemoteControlPaneTest, AWindowStartedWhileOurServerRunsReconnectsToIt)
{
    newConfig("Aardvark"); // listed first, and never started
    startControlled("Outlives");
    const qint32 pid = serverPid();
    alertAnswers = {1}; // "No": leave the server running
    stopApplication();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "Voranth will quit!");
    ASSERT_TRUE(RealServer::isRunning(pid));

    // The new window shows the server's configuration, not the first one of the list.
    startApplication();
    ASSERT_NE(shown(), nullptr);
    EXPECT_EQ(shown()->configName(), "Outlives");
    EXPECT_EQ(server().state(), ServerState::Connecting);
    EXPECT_TRUE(window->serverBar().quitServerButton->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return server().state() == ServerState::Controlled; }));
    EXPECT_EQ(rcon().rconServerConfigNameField->text(), "Outlives");
    EXPECT_EQ(mapName(), "Current map: oa_dm1");
    click(window->serverBar().quitServerButton);
    EXPECT_TRUE(RealServer::endsWithin(pid));
    EXPECT_TRUE(waitUntil([&] { return status() == "No server running"; }));
}

TEST_F(RemoteControlPaneTest, AServerKilledWhileControlledIsClearedAndSaidToHaveStopped)
{
    startControlled("Killed");
    const qint32 pid = serverPid();
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(RealServer::endsWithin(pid));
    EXPECT_TRUE(waitUntil([&] { return server().state() == ServerState::NoServer; }));
    EXPECT_EQ(status(), "The server stopped unexpectedly");
    EXPECT_TRUE(window->serverBar().saveAndStartButton->isEnabled());
    EXPECT_FALSE(window->serverBar().quitServerButton->isEnabled());
    EXPECT_TRUE(paneDisabled());
    EXPECT_EQ(mapName(), "Current map: - ");
    EXPECT_TRUE(players().isEmpty());
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(RemoteControlPaneTest, SwitchingTheAutomaticStatusOnWhenThePasswordIsRejectedQuitsTheServer)
{
    startControlled("Changed Password");
    const qint32 pid = serverPid();
    waitUntilIdle();

    // Someone changes the server's password behind the window's back.
    rcon().rconRequestTextField->setText("rconpassword changed");
    click(rcon().rconServerCommandSendButton);
    waitUntilIdle();
    rcon().rconPlayersGetStatusSwitch->setChecked(true);
    EXPECT_TRUE(waitUntil([&] { return server().state() == ServerState::NoServer; }));
    EXPECT_FALSE(rcon().rconPlayersGetStatusSwitch->isChecked());
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.first().title, "Game server communication message:");
    EXPECT_TRUE(RealServer::endsWithin(pid));
}

TEST_F(RemoteControlPaneTest, LimitsPopUpAndTeamMatrixFollowTheLimitAndTeamTables)
{
    const QComboBox* limits = rcon().rconLimitsPopUpMenu;
    ASSERT_EQ(limits->count(), 5);
    EXPECT_EQ(limits->itemText(0), "Frag limit");
    EXPECT_EQ(limits->itemText(1), "Time limit");
    EXPECT_EQ(limits->itemText(2), "Capture limit");
    EXPECT_EQ(limits->itemText(4), "Max players");
    // Item 3 stands for no limit: a separator, which cannot be chosen.
    EXPECT_EQ(limits->itemData(3, Qt::AccessibleDescriptionRole).toString(), "separator");
    EXPECT_EQ(RemoteCommands::limitVariable(*RemoteCommands::limitTypeForItem(4)), "sv_maxclients");

    // The swatch is light grey until a team is chosen; the team controls are not the pane's
    // command controls.
    EXPECT_EQ(rcon().rconBotsTeamColorView->fillColor(), QColor::fromRgbF(0.85f, 0.85f, 0.85f));
    RadioMatrix* teams = rcon().rconBotsTeamColorMatrix;
    EXPECT_TRUE(teams->isEnabled());
    EXPECT_TRUE(rcon().rconBotsNumberField->isEnabled());
    struct Row
    {
        int tag;
        const char* title;
        const char* word;
        QColor colour;
    };
    for (const Row& row : {Row{1, "Blue", "blue", QColor::fromRgbF(0.3f, 0.3f, 1.0f)},
                           Row{0, "No team", "", QColor::fromRgbF(0.8f, 0.85f, 0.85f)},
                           Row{2, "Red", "red", QColor::fromRgbF(1.0f, 0.3f, 0.3f)}}) {
        teams->buttonForTag(row.tag)->click();
        EXPECT_EQ(teams->titleForTag(row.tag), row.title);
        EXPECT_EQ(RemoteCommands::teamWord(RemoteCommands::teamForRow(row.tag)), row.word);
        EXPECT_EQ(rcon().rconBotsTeamColorView->fillColor(), row.colour) << row.title;
    }
    // The bots table shows the editor's bots while no server is controlled.
    EXPECT_GT(rcon().rconBotsTableView->model()->rowCount(), 0);
}

TEST_F(RemoteControlPaneTest, QuittingAsksOnceAboutAControlledServerAndNeverAboutAConnectingOne)
{
    // "Yes": the server goes with the application.
    startControlled("Quit Yes");
    qint32 pid = serverPid();
    alertAnswers = {0};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "Voranth will quit!");
    EXPECT_TRUE(RealServer::endsWithin(pid));
    stopApplication();
    alerts.clear();

    // "No": the server stays, and a second request to quit asks nothing.
    startApplication();
    startControlled("Quit No");
    pid = serverPid();
    alertAnswers = {1};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    alerts.clear();
    EXPECT_TRUE(controller->applicationShouldTerminate());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_TRUE(RealServer::isRunning(pid));
    stopApplication();
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(RealServer::endsWithin(pid));
    RunningServer::clear();

    // While only connecting, Ctrl+Q ends the application at once and the server is left
    // running, for a later window to reconnect to.
    startApplication();
    makeStartableConfig("Quit Connecting", "secret");
    server().saveAndStart();
    ASSERT_EQ(server().state(), ServerState::Connecting);
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(alerts.isEmpty()) << alerts.first().title.toStdString();
    EXPECT_TRUE(waitUntil([&] { return serverPid() > 0; }));
}
