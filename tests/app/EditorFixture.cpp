#include "EditorFixture.h"

#include "app/FormControls.h"

#include "app/ConfigActions.h"
#include "app/MapTableView.h"
#include "app/NewConfigSheet.h"
#include "app/RemoteControlView.h"
#include "app/SetupEditorView.h"
#include "config/CommonData.h"
#include "config/DataDirectory.h"
#include "config/GameDirectory.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "rcon/HostedServers.h"
#include "rcon/ServerSession.h"
#include "server/RunningServer.h"
#include "server/ServerLauncher.h"
#include "support/DemoGame.h"
#include "support/Pk3Builder.h"
#include "support/RealServer.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

// What an earlier test of this process left behind goes: settings, store, databases and the
// game's per-user files, so that each test starts as a first start.
void startFromEmptyHome()
{
    for (const QString& key : UserDefaults::knownKeys())
        UserDefaults::removeValue(key);
    QDir(CommonData::appSupportQ3VXDir()).removeRecursively();
    QDir(CommonData::appSupportQGameDir()).removeRecursively();
    DataDirectory::prepare();
}

} // namespace

void EditorFixture::SetUp()
{
    startFromEmptyHome();
    gameRoot = prepareGame();
    ASSERT_FALSE(gameRoot.isEmpty());
    GameDirectory::choose(gameRoot);
    startApplication();
}

QString EditorFixture::prepareGame()
{
    const QString root = TestEnvironment::makeScratchDir("game");
    const QByteArray arenas = "{\nmap \"A\"\nlongname \"Arena A\"\ntype \"ffa\"\n}\n"
                              "{\nmap \"B\"\nlongname \"Base B\"\ntype \"ctf\"\n}\n"
                              "{\nmap \"C\"\nlongname \"Court C\"\ntype \"ffa tourney\"\n}\n"
                              "{\nmap \"D\"\nlongname \"Dam D\"\ntype \"ctf\"\n}\n"
                              "{\nmap \"E\"\nlongname \"Edge E\"\ntype \"team\"\n}\n";
    const QByteArray bots = "{\nname\t\tSarge\n}\n{\nname\t\tGrunt\n}\n";
    const bool written = Pk3Builder()
                             .add("scripts/arenas.txt", arenas)
                             .add("scripts/bots.txt", bots)
                             .write(root + "/baseq3/pak00.pk3");
    EXPECT_TRUE(written);
    return written ? root : QString();
}

void EditorFixture::TearDown()
{
    stopApplication();
}

void EditorFixture::startApplication()
{
    window = std::make_unique<MainWindow>();
    controller = std::make_unique<QVXController>(*window, scriptedAlerts);
    ASSERT_TRUE(controller->init());
    controller->awakeFromNib();
    window->show();
    startupAlerts = std::exchange(alerts, {});
}

void EditorFixture::stopApplication()
{
    if (controller)
        controller->applicationShouldTerminate();
    controller.reset();
    window.reset();
}

ServerConfig* EditorFixture::record(const QString& name)
{
    return controller->state().store.find(name);
}

void EditorFixture::newConfig(const QString& name, const QString& gameType)
{
    controller->actions().raiseNewConfigWindow();
    NewConfigSheet* sheet = controller->actions().newConfigWindow();
    ASSERT_TRUE(sheet->isVisible());
    sheet->configNameField()->setText(name);
    const int item = sheet->gameTypePopUpMenu()->findText(gameType);
    ASSERT_GE(item, 0) << gameType.toStdString();
    sheet->gameTypePopUpMenu()->setCurrentIndex(item);
    EXPECT_TRUE(sheet->okButton()->isEnabled()) << sheet->reasonField()->text().toStdString();
    sheet->findChild<QPushButton*>("newConfigOkButton")->click();
}

void EditorFixture::selectConfig(const QString& name)
{
    const int row = int(listedConfigs().indexOf(name));
    ASSERT_GE(row, 0) << name.toStdString();
    FormControls::selectRow(configList().configFilesTableView, row);
}

QStringList EditorFixture::listedConfigs() const
{
    QStringList names;
    const QAbstractItemModel* model = configList().configFilesTableView->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, 0).data().toString());
    return names;
}

QStringList EditorFixture::libraryMaps() const
{
    QStringList names;
    const QAbstractItemModel* model = window->setupEditor().controls().mapLibraryTableView->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, 0).data().toString());
    return names;
}

QString DemoServerFixture::prepareGame()
{
    UserDefaults::setValue(KZXTerminalEmulatorKey, "none");
    QString error;
    const QString game = DemoGame::directory(&error);
    EXPECT_FALSE(game.isEmpty()) << error.toStdString();
    return game;
}

void DemoServerFixture::TearDown()
{
    // The window goes first; the reaper then ends whatever server it left running.
    EditorFixture::TearDown();
}

ServerControl& DemoServerFixture::server()
{
    return controller->serverControl();
}

HostedServers& DemoServerFixture::servers()
{
    return controller->servers();
}

RemoteControlPane& DemoServerFixture::pane()
{
    return controller->remoteControlPane();
}

const RemoteControlControls& DemoServerFixture::rcon() const
{
    return window->remoteControl().controls();
}

QString DemoServerFixture::status() const
{
    return window->serverBar().serverRunStatusField->text();
}

void DemoServerFixture::makeConfig(const QString& name, int port, const QString& firstMap)
{
    newConfig(name);
    shown()->setMapList({firstMap, "oa_dm1"});
    editor().populateFields(*shown());
    editor().controls().netPortField->setValue(port);
    editor().controls().rconPasswordField->setText("secret");
}

bool DemoServerFixture::controlled(const QString& name)
{
    const ServerSession* session = servers().session(name);
    return session && session->state() == ServerSession::State::Controlled;
}

qint32 DemoServerFixture::pidOf(const QString& name)
{
    const std::optional<RunningServer::Record> record = ServerLauncher::runningServerOf(name);
    return record ? record->pid : -1;
}
