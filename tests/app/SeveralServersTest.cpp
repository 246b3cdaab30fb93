#include "EditorFixture.h"

#include "app/ApplicationIcon.h"
#include "app/KeyedTableModel.h"
#include "app/PlayersModel.h"
#include "app/RemoteControlPane.h"
#include "app/RemoteControlView.h"
#include "app/ServerControl.h"
#include "app/SetupEditorView.h"
#include "rcon/HostedServers.h"
#include "rcon/ServerSession.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "support/LiveServer.h"
#include "support/RealServer.h"
#include "support/WaitUntil.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QUdpSocket>

namespace {

// The window hosting several servers of the demo game at once, each on a port of its own.
class SeveralServersTest : public DemoServerFixture
{
protected:
    QString mapName() const { return rcon().rconCurrentMapNameField->text(); }

    void startControlled(const QString& name, int port, const QString& firstMap)
    {
        makeConfig(name, port, firstMap);
        server().saveAndStart();
        ASSERT_TRUE(alerts.isEmpty()) << alerts.first().message.toStdString();
        ASSERT_TRUE(waitUntil([&] { return controlled(name); })) << status().toStdString();
    }

    // The configuration list's row of a configuration.
    QModelIndex listIndex(const QString& name) const
    {
        const QAbstractItemModel* model = configList().configFilesTableView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data().toString() == name)
                return model->index(row, 0);
        return {};
    }
    bool listedAsRunning(const QString& name) const
    {
        return !listIndex(name).data(Qt::DecorationRole).value<QIcon>().isNull();
    }

    QStringList shownPlayers() const
    {
        QStringList names;
        const QAbstractItemModel* model = rcon().rconPlayersTableView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }

    // Whether the server on port answers its console with a status.
    static bool answers(int port, const QByteArray& password = "secret")
    {
        return RealServer::rcon(port, password, "status").startsWith("map: ");
    }

    const int portA = RealServer::freeUdpPort();
    const int portB = RealServer::freeUdpPort();
    const int portC = RealServer::freeUdpPort();
};

} // namespace

TEST_F(SeveralServersTest, ThreeServersRunSideBySideAndEachIsControlledOnItsOwn)
{
    // Started by hand on a port of its own: the same program, which no step may touch.
    LiveServer decoy(RealServer::freeUdpPort(), "decoy-secret", {"oa_dm4"}, "Beta");
    ASSERT_TRUE(decoy.start()) << decoy.error().toStdString();

    startControlled("Alpha", portA, "oa_dm2");
    startControlled("Beta", portB, "oa_dm3");
    startControlled("Gamma", portC, "oa_dm4");
    EXPECT_EQ(ServerLauncher::runningServers().size(), 3);
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Red);
    EXPECT_TRUE(status().endsWith("3 servers running")) << status().toStdString();
    for (const QString name : {"Alpha", "Beta", "Gamma"})
        EXPECT_TRUE(listedAsRunning(name)) << name.toStdString();
    const QString tip = listIndex("Beta").data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith("Server is running on port " + QString::number(portB) + ", up "))
        << tip.toStdString();

    // The tab follows the selection: each server's own map.
    const QList<std::pair<QString, QString>> maps{
        {"Alpha", "oa_dm2"}, {"Beta", "oa_dm3"}, {"Gamma", "oa_dm4"}};
    for (const auto& [name, map] : maps) {
        selectConfig(name);
        ASSERT_EQ(pane().session(), servers().session(name));
        EXPECT_TRUE(waitUntil([&] { return mapName() == "Current map: " + map; }))
            << name.toStdString() << ": " << mapName().toStdString();
        EXPECT_EQ(rcon().rconServerConfigNameField->text(), name);
    }

    // A bot added to Beta appears there only.
    selectConfig("Beta");
    servers().session("Beta")->sendCommand("addbot Sarge");
    EXPECT_TRUE(waitUntil(
        [&] {
            servers().session("Beta")->updateRemoteControlStatus(false);
            return shownPlayers().contains("Sarge");
        },
        30000, 500))
        << shownPlayers().join(", ").toStdString();
    selectConfig("Alpha");
    servers().session("Alpha")->updateRemoteControlStatus(false);
    ASSERT_TRUE(waitUntil([&] { return servers().session("Alpha")->idle(); }));
    EXPECT_TRUE(shownPlayers().isEmpty()) << shownPlayers().join(", ").toStdString();
    EXPECT_FALSE(RealServer::rcon(portC, "secret", "status").contains("Sarge"));

    // Quit on the second stops the second only.
    const qint32 beta = pidOf("Beta");
    selectConfig("Beta");
    window->serverBar().quitServerButton->click();
    EXPECT_TRUE(RealServer::endsWithin(beta));
    EXPECT_TRUE(waitUntil([&] { return servers().session("Beta") == nullptr; }));
    EXPECT_FALSE(listedAsRunning("Beta"));
    EXPECT_TRUE(answers(portA));
    EXPECT_TRUE(answers(portC));
    EXPECT_TRUE(answers(decoy.config().netPort(), "decoy-secret"));
    EXPECT_TRUE(status().startsWith("No server running")) << status().toStdString();
    EXPECT_TRUE(status().endsWith("2 servers running")) << status().toStdString();

    // A window killed and started again reconnects to the two that still run.
    controller.reset();
    window.reset();
    startApplication();
    ASSERT_TRUE(waitUntil([&] { return controlled("Alpha") && controlled("Gamma"); }, 40000));
    EXPECT_EQ(servers().sessions().size(), 2);
    selectConfig("Gamma");
    EXPECT_TRUE(waitUntil([&] { return mapName() == "Current map: oa_dm4"; }));

    // The quit question names both; "Yes" ends both, and the decoy stays.
    const qint32 alpha = pidOf("Alpha");
    const qint32 gamma = pidOf("Gamma");
    alerts.clear();
    alertAnswers = {0};
    EXPECT_TRUE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().message.toStdString(),
              "You have 2 game servers running: Alpha and Gamma. Do you want to quit them all "
              "also?");
    EXPECT_TRUE(RealServer::endsWithin(alpha));
    EXPECT_TRUE(RealServer::endsWithin(gamma));
    EXPECT_TRUE(decoy.running());
    EXPECT_TRUE(answers(decoy.config().netPort(), "decoy-secret"));
}

TEST_F(SeveralServersTest, APortHeldByOurServerOrAnotherProgramIsNamedAndAnotherOffered)
{
    startControlled("Alpha", portA, "oa_dm2");

    // Beta on Alpha's port: refused, naming Alpha and the next free port.
    makeConfig("Beta", portA, "oa_dm3");
    alertAnswers = {0};
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    const quint16 next = ServerLauncher::portHolder(quint16(portA)).nextFreePort;
    EXPECT_EQ(alerts.first().title, QString("Port %1 is in use!").arg(portA));
    EXPECT_EQ(alerts.first().message,
              QString("The server of 'Alpha' uses the port %1. Choose another port for 'Beta' (the "
                      "next free one is %2), or quit that server.")
                  .arg(portA)
                  .arg(next));
    EXPECT_EQ(alerts.first().buttons, QStringList({"OK", QString("Use port %1").arg(next)}));
    EXPECT_EQ(servers().session("Beta"), nullptr) << "OK starts nothing";

    // "Use port N" sets the port and starts there.
    alerts.clear();
    alertAnswers = {ServerLauncher::usePortButton};
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    ASSERT_TRUE(waitUntil([&] { return controlled("Beta"); }));
    EXPECT_EQ(record("Beta")->netPort(), next);
    EXPECT_EQ(editor().controls().netPortField->value(), next);
    EXPECT_TRUE(answers(next));

    // A port another program holds: the alert says so.
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::AnyIPv4, quint16(portC)));
    makeConfig("Gamma", portC, "oa_dm4");
    alerts.clear();
    alertAnswers = {0};
    server().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().message.startsWith(
        QString("Another program on this machine uses the port %1. Choose another port for "
                "'Gamma' (the next free one is ")
            .arg(portC)))
        << alerts.first().message.toStdString();
    EXPECT_EQ(servers().session("Gamma"), nullptr);
}

TEST_F(SeveralServersTest, RunConfigAsksWhichServerWhenSeveralOfTheModRun)
{
    startControlled("Alpha", portA, "oa_dm2");
    startControlled("Beta", portB, "oa_dm3");
    makeConfig("Rules", portC, "oa_dm4");
    editor().controls().fragLimitField->setValue(33);
    ASSERT_TRUE(window->serverBar().runConfigButton->isEnabled());

    // Cancel runs it nowhere.
    alerts.clear();
    alertAnswers = {2};
    window->serverBar().runConfigButton->click();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Run 'Rules' on which server?");
    EXPECT_EQ(alerts.first().buttons, QStringList({"Alpha", "Beta", "Cancel"}));
    EXPECT_NE(servers().session("Alpha"), nullptr);
    EXPECT_NE(servers().session("Beta"), nullptr);

    // The second: Beta's server runs Rules from then on, Alpha's is untouched.
    alerts.clear();
    alertAnswers = {1};
    window->serverBar().runConfigButton->click();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(waitUntil([&] { return servers().session("Rules") != nullptr; }));
    EXPECT_EQ(servers().session("Beta"), nullptr);
    EXPECT_NE(servers().session("Alpha"), nullptr);
    EXPECT_TRUE(RealServer::rcon(portB, "secret", "fraglimit").contains("33"));
    EXPECT_FALSE(RealServer::rcon(portA, "secret", "fraglimit").contains("33"));
    EXPECT_TRUE(ServerLauncher::runningServerOf("Rules").has_value());
}
