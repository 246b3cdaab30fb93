#include "EditorFixture.h"
#include "ScriptedAlerts.h"
#include "app/MainWindow.h"
#include "app/AlertPresenter.h"
#include "app/ApplicationIcon.h"
#include "app/QVXController.h"
#include "config/CommonData.h"
#include "support/TestEnvironment.h"

#include "app/ApplicationIcon.h"
#include "app/ServerControl.h"
#include "app/SetupEditorView.h"
#include "config/StoreLock.h"
#include "support/DemoGame.h"
#include "support/ProgramRunner.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using MainWindowTest = EditorFixture;

TEST_F(MainWindowTest, ShowsTheGameItWasGiven)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), "Voranth");
    EXPECT_EQ(scriptedAlerts.directoryPanels, 0) << "the game directory was known";
    ASSERT_EQ(startupAlerts.size(), 1);
    EXPECT_EQ(startupAlerts.first().title, "First startup of Voranth!");

    EXPECT_EQ(configList().modNameField->text(), "Quake 3 Arena");
    const QList<QAction*> mods = window->menus().modMenu->actions();
    ASSERT_EQ(mods.size(), 1);
    EXPECT_EQ(mods.first()->text(), "Quake 3 Arena (baseq3)");
    EXPECT_TRUE(mods.first()->isChecked());
    const EditorControls& editorControls = window->setupEditor().controls();
    EXPECT_EQ(editorControls.gameTypeDynamicPopUpMenu->count(), 4);

    // No configuration yet: nothing to edit, every map of the game listed.
    EXPECT_TRUE(listedConfigs().isEmpty());
    EXPECT_FALSE(editorControls.serverNameField->isEnabled());
    EXPECT_FALSE(configList().deleteConfigButton->isEnabled());
    EXPECT_FALSE(window->menus().deleteMenuItem->isEnabled());
    EXPECT_TRUE(editorControls.listAllMapsSwitch->isChecked());
    EXPECT_EQ(libraryMaps(), (QStringList{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(editorControls.mapNameField->text(), "Arena A");

    const MainWindow::ServerBar& bar = window->serverBar();
    EXPECT_EQ(bar.serverRunStatusField->text(), "No server running");
    EXPECT_TRUE(bar.saveAndStartButton->isEnabled());
    EXPECT_FALSE(bar.quitServerButton->isEnabled());
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Orange);

    newConfig("Shown");
    EXPECT_EQ(listedConfigs(), QStringList{"Shown"});
    EXPECT_EQ(editorControls.configNameFieldAdvTab->text(), "Shown");
    EXPECT_TRUE(editorControls.serverNameField->isEnabled());
    EXPECT_TRUE(window->menus().deleteMenuItem->isEnabled());
}

TEST_F(MainWindowTest, WithoutAServerOnlyStartIsOfferedAndQuittingOffersNothing)
{
    ServerControl& server = controller->serverControl();
    const MainWindow::ServerBar& bar = window->serverBar();
    const MainWindow::Menus& menus = window->menus();
    // Without a server; the states of a started server are followed in the remote-control
    // tests, with a real one.
    newConfig("Shown");
    EXPECT_EQ(server.state(), ServerState::NoServer);
    EXPECT_EQ(bar.serverRunStatusField->text(), "No server running");
    EXPECT_TRUE(bar.saveAndStartButton->isEnabled());
    EXPECT_TRUE(menus.startServerMenuItem->isEnabled());
    EXPECT_FALSE(bar.quitServerButton->isEnabled());
    EXPECT_FALSE(menus.quitServerMenuItem->isEnabled());
    EXPECT_FALSE(bar.runConfigButton->isEnabled());
    EXPECT_FALSE(menus.runConfigMenuItem->isEnabled());
    using Icon = ApplicationIcon::State;
    EXPECT_EQ(ApplicationIcon::current(), Icon::Orange);

    controller->applicationShouldTerminate();
    EXPECT_EQ(server.state(), ServerState::Quitting);
    EXPECT_EQ(ApplicationIcon::current(), Icon::Yellow);
    EXPECT_FALSE(bar.saveAndStartButton->isEnabled());
    EXPECT_FALSE(menus.startServerMenuItem->isEnabled());
}

TEST(VoranthApplication, ComesUpOnTheDemoGameAndHoldsTheConfigurations)
{
    QString error;
    const QString game = DemoGame::directory(&error);
    ASSERT_FALSE(game.isEmpty()) << error.toStdString();
    // A home of its own, whose first start is already behind it: nothing to answer.
    const QString home = TestEnvironment::makeScratchDir("application-home");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_DATA_HOME", home + "/.local/share");
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const ProgramResult scan =
        ProgramRunner::run(TestEnvironment::binaryDir() + "/voranthctl",
                           {"scan", "--game-dir", game}, 120000, environment);
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryDir() + "/voranth", {"--game-dir", game});
    ASSERT_TRUE(process.waitForStarted(30000));
    const QString lockPath =
        home + "/.local/share/Voranth/" + QFileInfo(StoreLock::lockPath()).fileName();
    const auto holdsTheStore = [&] {
        qint64 pid = 0;
        QString hostname;
        QString application;
        return QLockFile(lockPath).getLockInfo(&pid, &hostname, &application) &&
               pid == process.processId();
    };
    EXPECT_TRUE(waitUntil(holdsTheStore)) << process.readAllStandardError().constData();
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().constData();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(30000));
}

TEST(VoranthApplication, ADataDirectoryThatCannotBeMadeIsReportedAndNothingRemoved)
{
    // The user's data home is a link to a volume that is not mounted.
    const QString dataHome = QFileInfo(CommonData::appSupportQ3VXDir()).path();
    QDir(dataHome).removeRecursively();
    QDir().mkpath(QFileInfo(dataHome).path());
    const QString volume = TestEnvironment::home() + "/media/usb/share";
    ASSERT_TRUE(QFile::link(volume, dataHome));

    ScriptedAlerts scripted;
    const QList<AlertRequest>& alerts = scripted.shown;
    MainWindow window;
    QVXController controller(window, scripted);
    EXPECT_FALSE(controller.init());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Voranth's data directory cannot be made!");
    EXPECT_TRUE(alerts.first().message.contains(volume)) << alerts.first().message.toStdString();
    EXPECT_TRUE(QFileInfo(dataHome).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::home() + "/media"));
    QFile::remove(dataHome);
}

TEST(ApplicationIcon, EachStateHasItsPicture)
{
    using S = ApplicationIcon::State;
    for (S state : {S::Orange, S::Red, S::Yellow}) {
        EXPECT_EQ(QImage(ApplicationIcon::resourcePath(state)).size(), QSize(128, 128));
        ApplicationIcon::show(state);
        EXPECT_EQ(ApplicationIcon::current(), state);
        EXPECT_FALSE(QApplication::windowIcon().isNull());
    }
    EXPECT_NE(QImage(ApplicationIcon::resourcePath(S::Orange)),
              QImage(ApplicationIcon::resourcePath(S::Red)));
}
