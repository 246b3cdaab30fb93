#include "EditorFixture.h"

#include "app/ApplicationIcon.h"
#include "app/FormControls.h"
#include "app/KZColorView.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlActions.h"
#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/ServerControl.h"
#include "app/SetupEditorView.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "rcon/RemoteControl.h"
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

    ServerControl& server() { return controller->serverControl(); }
    RemoteControlPane& pane() { return controller->remoteControlPane(); }
    RemoteControlActions& actions() { return controller->remoteControlActions(); }
    const RemoteControlControls& rcon() const { return window->remoteControl().controls(); }
    QString status() const { return window->serverBar().serverRunStatusField->text(); }
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

    // The pane is free again: no exchange, no pending refresh, no preview.
    void waitUntilIdle() { ASSERT_TRUE(waitUntil([&] { return !pane().rconLocked(); })); }

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
    QString botAt(int row) const
    {
        return rcon().rconBotsTableView->model()->index(row, 0).data().toString();
    }

    void click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        button->click();
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

    // Records a server that was never started: no process will be found for it.
    static void recordServerWithoutProcess(const ServerConfig& config)
    {
        ASSERT_TRUE(RunningServer::record(config));
    }
    // Records the live server as the one Voranth started, with config in place of its own.
    static void recordLiveServerAs(const LiveServer& live, const ServerConfig& config)
    {
        ASSERT_TRUE(live.recordAsRunning(config));
    }
    // Connects to the recorded server as after a start, with a short interval, until done()
    // holds; the attempts it took, -1 when done() never held.
    int connectUntil(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        server().setState(ServerState::Connecting);
        QSignalSpy ticks(&pane(), &RemoteControlPane::initAttempted);
        pane().waitThenTryInitRemoteControl(0.01);
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

    // A second start while ours runs is refused with its alert.
    const qint32 pid = ServerLauncher::recordedServerPid();
    ASSERT_GT(pid, 0);
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "'Remote' is running!");
    EXPECT_EQ(ServerLauncher::recordedServerPid(), pid);

    // Two bots, skill 2, in the blue team: both join.
    const QString first = botAt(0);
    const QString second = botAt(1);
    FormControls::selectRow(rcon().rconBotsTableView, 0);
    FormControls::selectRow(rcon().rconBotsTableView, 1, true);
    rcon().rconBotsNumberField->setValue(2);
    rcon().rconBotsTeamColorMatrix->selectTag(1);
    click(rcon().rconBotsAddBotButton);
    EXPECT_TRUE(waitUntil([&] {
        return rowOf(rcon().rconPlayersTableView, first) >= 0 &&
               rowOf(rcon().rconPlayersTableView, second) >= 0;
    })) << players().join(", ").toStdString();
    waitUntilIdle();

    // Kick of the selected player removes it.
    FormControls::selectRow(rcon().rconPlayersTableView, rowOf(rcon().rconPlayersTableView, second));
    click(rcon().rconPlayersKickButton);
    EXPECT_TRUE(waitUntil([&] { return rowOf(rcon().rconPlayersTableView, second) < 0; }))
        << players().join(", ").toStdString();
    EXPECT_GE(rowOf(rcon().rconPlayersTableView, first), 0);
    waitUntilIdle();

    // Held, the preview shows the next map; released, the current one again.
    QTest::mousePress(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return mapName() == "Next map: oa_dm2"; })) << mapName().toStdString();
    EXPECT_TRUE(actions().previewInitiated());
    QTest::mouseRelease(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_EQ(mapName(), "Current map: oa_dm1");
    EXPECT_FALSE(pane().rconLocked());

    // Go to Next Map: the second map of the rotation after the refresh.
    click(rcon().rconChangeToNextMapButton);
    EXPECT_FALSE(rcon().nextMapProgressCircle->isHidden());
    EXPECT_TRUE(waitUntil([&] { return mapName() == "Current map: oa_dm2"; })) << mapName().toStdString();
    EXPECT_TRUE(rcon().nextMapProgressCircle->isHidden());
    waitUntilIdle();

    // A limit changed and read back from the server.
    rcon().rconLimitsPopUpMenu->setCurrentIndex(1);
    actions().rconPopupClicked(1);
    rcon().rconLimitsField->setValue(17);
    click(rcon().rconLimitsChangeButton);
    EXPECT_TRUE(waitUntil([&] { return response().contains("\"timelimit\" is:\"17"); }))
        << response().toStdString();
    waitUntilIdle();

    // The free command, with its reply.
    rcon().rconRequestTextField->setText("sv_hostname");
    click(rcon().rconServerCommandSendButton);
    EXPECT_TRUE(response().contains("\"sv_hostname\" is:\"Remote host")) << response().toStdString();

    // Chat: sent and answered, the reply not shown, input held a moment after it.
    EXPECT_TRUE(actions().rconSay("hello from the pane"));
    EXPECT_TRUE(pane().rconLocked());
    EXPECT_TRUE(response().contains("\"sv_hostname\" is:")) << response().toStdString();
    waitUntilIdle();

    // Run Config: a second configuration of the same mod takes over, the old file goes.
    const QString oldFile = ConfigFiles(controller->state().paths).configFileWithPathReplacedSpaces("Remote");
    EXPECT_TRUE(QFile::exists(oldFile));
    makeStartableConfig("Second", "other", 33);
    click(window->serverBar().runConfigButton);
    EXPECT_TRUE(waitUntil([&] { return rcon().rconServerConfigNameField->text() == "Second"; }));
    EXPECT_EQ(rcon().rconLimitsField->value(), 33);
    EXPECT_FALSE(QFile::exists(oldFile));
    EXPECT_EQ(server().runningConfigName(), "Second");
    waitUntilIdle();
    rcon().rconRequestTextField->setText("fraglimit");
    click(rcon().rconServerCommandSendButton);
    EXPECT_TRUE(response().contains("\"fraglimit\" is:\"33")) << response().toStdString();

    // Quit: the process ends, the pane is disabled and cleared.
    click(rcon().rconQuitServerButton);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_EQ(server().state(), ServerState::NoServer);
    EXPECT_EQ(status(), "No server running");
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Orange);
    EXPECT_TRUE(paneDisabled());
    EXPECT_EQ(mapName(), "Current map: - ");
    EXPECT_EQ(rcon().rconServerNameField->text(), " - ");
    EXPECT_EQ(rcon().rconCurrentMapTitleField->text(), " - ");
    EXPECT_TRUE(rcon().rconCurrentMapImageView->pixmap().isNull());
    EXPECT_TRUE(players().isEmpty());
    EXPECT_EQ(pane().remoteControl(), nullptr);
}

TEST_F(RemoteControlPaneTest, WhileBusyCommandsAndRefreshesAreDroppedAndTicksSkipped)
{
    startControlled("Busy");
    waitUntilIdle();

    // During an exchange: a command asked for from a nested event-loop pass is dropped.
    std::optional<bool> droppedDuringExchange;
    QTimer::singleShot(0, [&] {
        droppedDuringExchange = !pane().sendRemoteControlCommand(
            [](RemoteCommands& commands) { return commands.freeCommand("fraglimit"); });
    });
    rcon().rconRequestTextField->setText("sv_hostname");
    click(rcon().rconServerCommandSendButton);
    ASSERT_TRUE(droppedDuringExchange.has_value());
    EXPECT_TRUE(*droppedDuringExchange);
    EXPECT_TRUE(response().contains("sv_hostname")) << response().toStdString();
    EXPECT_FALSE(pane().rconLocked());

    // A pending one-shot status refuses commands until it has fired.
    actions().rconRestartCurrentMap();
    EXPECT_TRUE(pane().oneShotStatusPending());
    EXPECT_FALSE(rcon().restartMapProgressCircle->isHidden());
    rcon().rconRequestTextField->setText("timelimit");
    rcon().rconServerCommandSendButton->click();
    EXPECT_FALSE(pane().updateRemoteControlStatus(false));
    EXPECT_FALSE(response().contains("timelimit")) << response().toStdString();
    waitUntilIdle();
    EXPECT_TRUE(rcon().restartMapProgressCircle->isHidden());
    rcon().rconServerCommandSendButton->click();
    EXPECT_TRUE(response().contains("\"timelimit\" is:")) << response().toStdString();

    // The automatic status: ticks skipped while a preview is shown, running again after.
    QSignalSpy refreshed(&pane(), &RemoteControlPane::statusRefreshed);
    rcon().rconPlayersGetStatusSecondsField->setValue(1);
    rcon().rconPlayersGetStatusSwitch->setChecked(true);
    EXPECT_TRUE(pane().autoStatusRunning());
    EXPECT_FALSE(rcon().rconPlayersGetStatusSecondsField->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return refreshed.count() >= 2; }));
    QTest::mousePress(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return actions().previewInitiated(); }));
    refreshed.clear();
    rcon().rconRequestTextField->setText("g_gametype");
    rcon().rconServerCommandSendButton->click();
    QTest::qWait(2600);
    EXPECT_EQ(refreshed.count(), 0) << "no tick refreshed while the preview was shown";
    EXPECT_FALSE(response().contains("g_gametype")) << "a command during the preview is dropped";
    EXPECT_TRUE(mapName().startsWith("Next map: ")) << mapName().toStdString();
    QTest::mouseRelease(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return refreshed.count() >= 1; }));
    rcon().rconPlayersGetStatusSwitch->setChecked(false);
    EXPECT_FALSE(pane().autoStatusRunning());
    EXPECT_TRUE(rcon().rconPlayersGetStatusSecondsField->isEnabled());
}

TEST_F(RemoteControlPaneTest, ReleasingThePreviewLeavesAnotherHoldersFlagAlone)
{
    startControlled("Hold");
    waitUntilIdle();
    // A refresh is pending; the preview cannot show, and its release must not free the pane.
    pane().waitThenGetStatus(3.0, false);
    QTest::mousePress(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    QTest::qWait(200);
    QTest::mouseRelease(rcon().rconPreviewNextMapButton, Qt::LeftButton);
    EXPECT_FALSE(actions().previewInitiated());
    EXPECT_TRUE(pane().rconLocked());
    EXPECT_TRUE(mapName().startsWith("Current map: ")) << mapName().toStdString();
}

TEST_F(RemoteControlPaneTest, GivesUpOnTheNineteenthTickWithoutAProcess)
{
    const ServerConfig config = RealServer::config("Never Started", "secret", port);
    recordServerWithoutProcess(config);
    EXPECT_EQ(connectUntil([&] { return !alerts.isEmpty(); }), 19);
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.first().title, "Starting up Server failed!");
    EXPECT_TRUE(alerts.first().message.endsWith(" " + RemoteControlPane::supportAddress + "."))
        << alerts.first().message.toStdString();
    EXPECT_EQ(server().state(), ServerState::NoServer);
    EXPECT_FALSE(pane().connecting());
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
    EXPECT_TRUE(alerts.first().message.endsWith(" " + RemoteControlPane::supportAddress + "."));
    EXPECT_EQ(server().state(), ServerState::NoServer);
    EXPECT_TRUE(ServerLauncher::waitForEnd(qint32(live.pid()), 30000)) << "our server is quit";
}

TEST_F(RemoteControlPaneTest, AWrongPasswordWhileConnectingQuitsAtOnce)
{
    LiveServer live(quint16(port), "right", {"oa_dm1"});
    ASSERT_TRUE(live.start()) << live.error().toStdString();
    ServerConfig wrong = ServerConfig::copyOf(live.config());
    wrong.setRconPassword("wrong");
    recordLiveServerAs(live, wrong);

    EXPECT_EQ(connectUntil([&] { return server().state() == ServerState::NoServer; }), 1);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Game server communication message:");
    EXPECT_TRUE(alerts.first().message.contains("Bad rconpassword")) << alerts.first().message.toStdString();
    EXPECT_TRUE(ServerLauncher::waitForEnd(qint32(live.pid()), 30000));
}

TEST_F(RemoteControlPaneTest, AWindowStartedWhileOurServerRunsReconnectsToIt)
{
    startControlled("Outlives");
    const qint32 pid = ServerLauncher::recordedServerPid();
    alertAnswers = {1}; // "No": leave the server running
    stopApplication();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "Voranth will quit!");
    ASSERT_TRUE(RealServer::isRunning(pid));

    startApplication();
    EXPECT_EQ(server().state(), ServerState::Connecting);
    EXPECT_TRUE(window->serverBar().quitServerButton->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return server().state() == ServerState::Controlled; }));
    EXPECT_EQ(rcon().rconServerConfigNameField->text(), "Outlives");
    EXPECT_EQ(mapName(), "Current map: oa_dm1");
    click(window->serverBar().quitServerButton);
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    EXPECT_EQ(status(), "No server running");
}

TEST_F(RemoteControlPaneTest, SwitchingTheAutomaticStatusOnWhenThePasswordIsRejectedQuitsTheServer)
{
    startControlled("Changed Password");
    const qint32 pid = ServerLauncher::recordedServerPid();
    waitUntilIdle();
    // Kick with no player selected sends nothing.
    rcon().rconPlayersTableView->clearSelection();
    click(rcon().rconPlayersKickButton);
    EXPECT_FALSE(pane().oneShotStatusPending());
    EXPECT_FALSE(pane().rconLocked());

    // Someone changes the server's password behind the window's back.
    rcon().rconRequestTextField->setText("rconpassword changed");
    click(rcon().rconServerCommandSendButton);
    rcon().rconPlayersGetStatusSwitch->setChecked(true);
    EXPECT_EQ(server().state(), ServerState::NoServer);
    EXPECT_FALSE(pane().autoStatusRunning());
    EXPECT_FALSE(rcon().rconPlayersGetStatusSwitch->isChecked());
    ASSERT_FALSE(alerts.isEmpty());
    EXPECT_EQ(alerts.first().title, "Game server communication message:");
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
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

    RadioMatrix* teams = rcon().rconBotsTeamColorMatrix;
    EXPECT_FALSE(teams->isEnabled()) << "no server controlled";
    pane().activateAllRconGUIButtons();
    struct Row
    {
        int tag;
        const char* title;
        const char* word;
        QColor colour;
    };
    for (const Row& row : {Row{0, "No team", "", QColor::fromRgbF(0.8f, 0.85f, 0.85f)},
                           Row{1, "Blue", "blue", QColor::fromRgbF(0.3f, 0.3f, 1.0f)},
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
    qint32 pid = ServerLauncher::recordedServerPid();
    alertAnswers = {0};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "Voranth will quit!");
    EXPECT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    stopApplication();
    alerts.clear();

    // "No": the server stays, and a second request to quit asks nothing.
    startApplication();
    startControlled("Quit No");
    pid = ServerLauncher::recordedServerPid();
    alertAnswers = {1};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    alerts.clear();
    EXPECT_TRUE(controller->applicationShouldTerminate());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_TRUE(RealServer::isRunning(pid));
    stopApplication();
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(ServerLauncher::waitForEnd(pid, 30000));
    RunningServer::clear();

    // While only connecting, the application ends at once and the server is left running.
    startApplication();
    makeStartableConfig("Quit Connecting", "secret");
    server().saveAndStart();
    ASSERT_EQ(server().state(), ServerState::Connecting);
    EXPECT_TRUE(controller->applicationShouldTerminate());
    EXPECT_TRUE(alerts.isEmpty()) << alerts.first().title.toStdString();
}
