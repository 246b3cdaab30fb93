#include "EditorFixture.h"

#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/ServerControl.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "rcon/HostedServers.h"
#include "rcon/ServerSession.h"
#include "server/ServerLauncher.h"
#include "server/ServerLog.h"
#include "server/ServiceUnit.h"
#include "support/NotificationRecorder.h"
#include "support/PrivateServiceManager.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>

#include <signal.h>

namespace {

// The window hosting the demo game's servers as services of a manager of the test's own, with
// a notification service on its bus.
class ServiceHostingWindowTest : public DemoServerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(manager.ready()) << manager.error().toStdString();
        ASSERT_TRUE(notifications.registered());
        DemoServerFixture::SetUp();
        UserDefaults::setValue(KZXServerHostingKey, "service");
    }

    void startControlled(const QString& name)
    {
        makeConfig(name, port, "oa_dm2");
        server().saveAndStart();
        ASSERT_TRUE(alerts.isEmpty()) << alerts.first().message.toStdString();
        ASSERT_TRUE(waitUntil([&] { return controlled(name); })) << status().toStdString();
    }

    QString shownLog() const { return rcon().serverLogView->toPlainText(); }

    PrivateServiceManager manager;
    NotificationRecorder notifications{manager.busAddress()};
    const int port = RealServer::freeUdpPort();
    const QString unit = "voranth-VO_Alpha.service";
};

} // namespace

TEST_F(ServiceHostingWindowTest, TheWindowFollowsItsServiceThroughCrashesAndSaysWhenItIsGivenUp)
{
    startControlled("Alpha");
    qint32 pid = pidOf("Alpha");
    EXPECT_EQ(manager.property(unit, "MainPID"), QString::number(pid));
    EXPECT_TRUE(rcon().openServerLogButton->isEnabled());

    // The log view shows what the server writes after it was opened.
    ASSERT_FALSE(RealServer::rcon(port, "secret", "echo window-marker").isEmpty());
    EXPECT_TRUE(waitUntil([&] { return shownLog().contains("echo window-marker"); }))
        << shownLog().right(500).toStdString();

    // A crash: the pane reconnects to the new process by itself and the status line says so.
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_TRUE(waitUntil([&] {
        return controlled("Alpha") && pidOf("Alpha") > 0 && pidOf("Alpha") != pid;
    })) << status().toStdString();
    EXPECT_TRUE(waitUntil([&] { return status().contains("Restarted after a crash at"); }))
        << status().toStdString();
    EXPECT_TRUE(status().startsWith("Server is running")) << status().toStdString();
    EXPECT_EQ(pane().session(), servers().session("Alpha"));

    // Crash after crash: the manager gives up; the window says so, and so does the desktop.
    for (int kills = 0; kills < 6 && servers().session("Alpha"); ++kills) {
        pid = pidOf("Alpha");
        if (pid > 0)
            ::kill(pid, SIGKILL);
        waitUntil([&] {
            return !servers().session("Alpha") || (pidOf("Alpha") > 0 && pidOf("Alpha") != pid);
        });
    }
    ASSERT_TRUE(waitUntil([&] { return servers().session("Alpha") == nullptr; }));
    ASSERT_TRUE(
        waitUntil([&] { return !alerts.isEmpty() && !notifications.received().isEmpty(); }));
    EXPECT_EQ(alerts.last().title, "The server of 'Alpha' keeps crashing!");
    const QString log = ServerLog::pathFor("VO_Alpha.config");
    EXPECT_TRUE(
        alerts.last().message.contains(log + "):\n\n" + ServerLog::lastLines(log, 8).join('\n')))
        << alerts.last().message.toStdString();
    EXPECT_EQ(notifications.received().last().body, ServerLog::lastLines(log, 8).join('\n'));
    EXPECT_EQ(notifications.received().last().summary, "The server of 'Alpha' keeps crashing!");
    EXPECT_EQ(notifications.received().last().appName, "Voranth");
    EXPECT_EQ(status(), "The server stopped unexpectedly");
    EXPECT_EQ(manager.property(unit, "ActiveState"), "failed");

    // Started again, then quit: the unit goes and is not restarted.
    alerts.clear();
    server().saveAndStart();
    ASSERT_TRUE(waitUntil([&] { return controlled("Alpha"); })) << status().toStdString();
    pid = pidOf("Alpha");
    window->serverBar().quitServerButton->click();
    EXPECT_TRUE(RealServer::endsWithin(pid));
    EXPECT_TRUE(waitUntil([&] { return servers().session("Alpha") == nullptr; }));
    QThread::msleep((ServiceUnit::restartSeconds + 1) * 1000);
    EXPECT_NE(manager.property(unit, "ActiveState"), "active");
    EXPECT_NE(manager.property(unit, "ActiveState"), "activating");
    EXPECT_TRUE(alerts.isEmpty()) << alerts.first().message.toStdString();
}

TEST_F(ServiceHostingWindowTest, TheQuitQuestionSaysThatAServiceRunsOn)
{
    startControlled("Alpha");
    const qint32 pid = pidOf("Alpha");
    alertAnswers = {1};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().message.toStdString(),
              "You have a game server running. Do you want to quit server also?\n\nHosted as a "
              "service, Alpha keeps running (and is restarted after a crash) once Voranth has "
              "quit, unless you quit it.");
    EXPECT_TRUE(RealServer::isRunning(pid));
    EXPECT_EQ(manager.property(unit, "ActiveState"), "active");
}
