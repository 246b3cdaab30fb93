#include "EditorFixture.h"

#include "app/ServerControl.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "server/QProcessCom.h"
#include "server/ServerLauncher.h"
#include "support/DemoGame.h"
#include "support/WaitUntil.h"
#include "support/RealServer.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QUdpSocket>

#include <csignal>

namespace {

// The demo game's server answers on a port nothing else used when the test began.
const int testPort = RealServer::freeUdpPort();

QString rconStatus(const QString& password)
{
    QUdpSocket socket;
    const QByteArray request = QByteArray("\xff\xff\xff\xffrcon ") + password.toUtf8() + " status";
    socket.writeDatagram(request, QHostAddress::LocalHost, testPort);
    if (!socket.waitForReadyRead(1500))
        return {};
    QByteArray reply(int(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(reply.data(), reply.size());
    return QString::fromLatin1(reply);
}

QString waitForStatus(const QString& password)
{
    QString reply;
    waitUntil([&] { return (reply = rconStatus(password)).contains("map: "); }, 30000, 250);
    return reply.contains("map: ") ? reply : QString();
}

class ServerControlTest : public DemoServerFixture
{
protected:
    QAbstractButton* button(const char* name) { return control<QAbstractButton>(name); }

    void makeStartableConfig(const QString& name, const QString& password)
    {
        newConfig(name);
        shown()->setMapList({"oa_dm1", "oa_dm2"});
        editor().populateFields(*shown());
        editor().controls().netPortField->setValue(testPort);
        editor().controls().rconPasswordField->setText(password);
    }
};

} // namespace

TEST_F(ServerControlTest, EachCheckHasItsAlertAndStartsNothing)
{
    EXPECT_EQ(status(), "No server running");
    EXPECT_FALSE(button("quitServerButton")->isEnabled());
    EXPECT_FALSE(button("runConfigButton")->isEnabled());

    newConfig("No Maps");
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst().title, "No maps in map list!");

    makeStartableConfig("Blank", "two words");
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_NE(alerts.takeFirst().title, "No maps in map list!");

    makeStartableConfig("Empty", "");
    alertAnswers = {0}; // "OK, let me set password", the default
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    const AlertRequest question = alerts.takeFirst();
    EXPECT_EQ(question.title, "Remote Control password not set!");
    EXPECT_EQ(question.buttons, (QStringList{"OK, let me set password", "Start anyway"}));
    EXPECT_EQ(status(), "No server running");
    EXPECT_EQ(QProcessCom().serverPid(), -1);

    UserDefaults::setValue(KZXDedicatedAppName, "no-such-server");
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "'no-such-server' not found!");
    EXPECT_TRUE(alerts.first().message.contains(gameRoot));
    EXPECT_TRUE(button("saveAndStartButton")->isEnabled());
}

TEST_F(ServerControlTest, StartRunsTheRealServerAndQuitStopsIt)
{
    makeStartableConfig("Real Server", "secret");
    server().saveAndStart();
    ASSERT_TRUE(alerts.isEmpty()) << alerts.first().title.toStdString();
    EXPECT_EQ(server().state(), ServerState::Connecting);
    EXPECT_EQ(status(), "Starting up Server...");
    EXPECT_FALSE(window->menus().startServerMenuItem->isEnabled());
    EXPECT_TRUE(window->menus().quitServerMenuItem->isEnabled());
    EXPECT_FALSE(button("saveAndStartButton")->isEnabled());
    EXPECT_TRUE(button("quitServerButton")->isEnabled());
    EXPECT_FALSE(button("runConfigButton")->isEnabled()) << "no server is controlled yet";

    const QString reply = waitForStatus("secret");
    EXPECT_TRUE(reply.contains("map: oa_dm1")) << reply.toStdString();
    const qint32 pid = QProcessCom().serverPid();
    ASSERT_GT(pid, 0);
    const QString file = CommonData::appSupportQGameDir() + "/baseq3/VO_Real_Server.config";
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(server().runningConfigNames(), QStringList{"Real Server"});

    server().quitServer();
    EXPECT_TRUE(RealServer::endsWithin(pid));
    EXPECT_TRUE(waitUntil([&] { return server().state() == ServerState::NoServer; }));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(status(), "No server running");
    EXPECT_TRUE(window->menus().startServerMenuItem->isEnabled());
    EXPECT_FALSE(window->menus().quitServerMenuItem->isEnabled());
    EXPECT_TRUE(button("saveAndStartButton")->isEnabled());
    EXPECT_FALSE(button("quitServerButton")->isEnabled());
    EXPECT_FALSE(button("runConfigButton")->isEnabled());
}

TEST_F(ServerControlTest, StartAnywayLaunchesWithoutRemoteControl)
{
    makeStartableConfig("Open", "");
    alertAnswers = {ServerLauncher::startAnywayButton};
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(server().state(), ServerState::Launched);
    EXPECT_EQ(status(), "Server launched");
    EXPECT_FALSE(button("saveAndStartButton")->isEnabled());
    EXPECT_TRUE(button("quitServerButton")->isEnabled());
    EXPECT_FALSE(button("runConfigButton")->isEnabled());
    const qint32 pid = ServerLauncher::waitForServer(30000);
    EXPECT_GT(pid, 0);
    server().quitServer();
    EXPECT_TRUE(waitUntil([&] { return status() == "No server running"; }));
    EXPECT_TRUE(RealServer::endsWithin(pid)) << "the server went with the quit";
}
