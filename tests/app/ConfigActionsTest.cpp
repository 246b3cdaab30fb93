#include "EditorFixture.h"

#include "app/ApplicationIcon.h"
#include "app/ConfigActions.h"
#include "app/NewConfigSheet.h"
#include "app/RenameConfigSheet.h"
#include "config/CommonData.h"
#include "config/ConfigStore.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "server/RunningServer.h"

#include <QCheckBox>
#include <QDir>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <csignal>

using ConfigActionsTest = EditorFixture;

namespace {

bool loadedStoreContains(const QString& name)
{
    ConfigStore store;
    store.load();
    return store.contains(name);
}

} // namespace

TEST_F(ConfigActionsTest, NewTakesTheLimitsOfItsGameTypeAndIsShown)
{
    ASSERT_EQ(startupAlerts.size(), 1);
    EXPECT_EQ(startupAlerts.first().title, "First startup of Voranth!");
    newConfig("Team Server", "Team Deathmatch");
    ASSERT_NE(record("Team Server"), nullptr);
    const ServerConfig& made = *record("Team Server");
    EXPECT_EQ(made.gameType(), 3);
    EXPECT_EQ(made.gameTypeString(), "Team Deathmatch");
    EXPECT_EQ(made.fragLimit(), 40);
    EXPECT_EQ(made.timeLimit(), 0);
    EXPECT_EQ(made.captureLimit(), 0);
    EXPECT_EQ(made.maxPlayers(), 12);
    EXPECT_EQ(made.modName(), "baseq3");
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "Team Server");
    EXPECT_EQ(listedConfigs(), QStringList{"Team Server"});
    EXPECT_TRUE(editor().controls().serverNameField->isEnabled());

    newConfig("Duel", "Tournament");
    EXPECT_EQ(record("Duel")->timeLimit(), 15);
    EXPECT_EQ(listedConfigs(), (QStringList{"Duel", "Team Server"}));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ConfigActionsTest, NewSheetTellsWhyANameCannotBeTakenAndKeepsOkDisabled)
{
    newConfig("Server");
    controller->actions().raiseNewConfigWindow();
    NewConfigSheet* sheet = controller->actions().newConfigWindow();
    EXPECT_EQ(sheet->focusWidget(), sheet->configNameField());
    struct Case
    {
        QString name;
        bool ok;
        QString reason;
    };
    for (const Case& c : {
             Case{"", false, "A server config needs a name."},
             Case{"Server", false, "Server config name already taken!"},
             Case{"server", true, ""},
             Case{"Friday Night Capture The Flag Server For Friends And Family", false,
                  "Server config name too long!"},
             Case{"Friday Night Capture The Flag Server For Friends", true, ""},
         }) {
        sheet->configNameField()->setText(c.name);
        EXPECT_EQ(sheet->okButton()->isEnabled(), c.ok) << c.name.toStdString();
        EXPECT_EQ(sheet->reasonField()->text(), c.reason) << c.name.toStdString();
    }
    sheet->configNameField()->setText("Server");
    EXPECT_TRUE(sheet->reasonField()->toolTip().contains("'Server' already exists"));
    sheet->okButton()->click();
    EXPECT_TRUE(sheet->isVisible()) << "a disabled OK does not end the sheet";
    sheet->findChild<QPushButton*>("newConfigCancelButton")->click();
    EXPECT_EQ(listedConfigs(), QStringList{"Server"});
    EXPECT_TRUE(alerts.isEmpty());

    controller->actions().raiseNewConfigWindow();
    EXPECT_TRUE(sheet->configNameField()->text().isEmpty()) << "each New starts afresh";
    EXPECT_FALSE(sheet->okButton()->isEnabled());
}

TEST_F(ConfigActionsTest, AStoreRefusalAfterTheSheetIsStillAnAlert)
{
    newConfig("Server");
    controller->actions().addFile("Server", 0);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Server config name already taken!");
    EXPECT_EQ(record("Server")->gameTypeString(), "Free For All");
}

TEST_F(ConfigActionsTest, NewCarriesOverWhatTheSettingsPreserve)
{
    newConfig("First");
    editor().controls().serverNameField->setText("My Host");
    editor().controls().netPortField->setValue(27999);
    editor().controls().welcomeTextField->setText("Hello");
    editor().controls().rconPasswordField->setText("secret");
    UserDefaults::setValue(KZXPreserveServerNameKey, true);
    UserDefaults::setValue(KZXPreserveNetPortKey, false);
    UserDefaults::setValue(KZXPreserveWelcomeTextKey, false);
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "copy");
    newConfig("Second");
    EXPECT_EQ(record("Second")->serverName(), "My Host");
    EXPECT_EQ(record("Second")->netPort(), 27960);
    EXPECT_EQ(record("Second")->welcomeText(), "");
    EXPECT_EQ(record("Second")->rconPassword(), "secret");
    EXPECT_EQ(record("First")->serverName(), "My Host") << "the shown one got its edits first";

    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "empty");
    newConfig("Third");
    EXPECT_EQ(record("Third")->rconPassword(), "");
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "random");
    UserDefaults::setValue(KZXPreserveNetPortKey, true);
    UserDefaults::setValue(KZXEnablePunkBusterByDefaultKey, true);
    editor().controls().netPortField->setValue(27999);
    newConfig("Fourth");
    EXPECT_GE(record("Fourth")->rconPassword().size(), 5);
    EXPECT_EQ(record("Fourth")->netPort(), 27999);
    EXPECT_TRUE(record("Fourth")->punkBusterEnabled());
}

TEST_F(ConfigActionsTest, DuplicateNamesTheCopyAndTakesUnsavedEdits)
{
    struct Case
    {
        QString name;
        QString copy;
    };
    newConfig("CTF 5");
    newConfig("Server");
    newConfig("Server 0");
    newConfig("7");
    selectConfig("Server");
    editor().controls().serverNameField->setText("edited, not yet saved");
    editor().textDidChange();
    controller->actions().duplicateFile();
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "Server 2");
    EXPECT_EQ(record("Server 2")->serverName(), "edited, not yet saved");
    for (const Case& c : {Case{"Server 2", "Server 3"}, Case{"CTF 5", "CTF 2"},
                          Case{"Server 0", "Server 0 2"}, Case{"7", " 2"}}) {
        selectConfig(c.name);
        controller->actions().duplicateFile();
        EXPECT_NE(record(c.copy), nullptr) << c.copy.toStdString();
        EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), c.copy);
    }
}

TEST_F(ConfigActionsTest, RenameKeepsMapsAndExtrasAndRefusesTakenAndEmptyNames)
{
    newConfig("Old");
    shown()->addMap("A");
    shown()->addMap("C");
    shown()->addExtraParameter();
    shown()->setExtraParameter(0, "sv_fps", "xvariable");
    newConfig("Other");
    selectConfig("Old");

    RenameConfigSheet* sheet = controller->actions().renameConfigWindow();
    controller->actions().raiseRenameConfigWindow();
    EXPECT_EQ(sheet->configNameFieldRenameOld()->text(), "Old");
    EXPECT_TRUE(sheet->configNameFieldRenameOld()->isReadOnly());
    EXPECT_EQ(sheet->configNameFieldRenameOld()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(sheet->focusWidget(), sheet->configNameFieldRenameNew());
    EXPECT_FALSE(sheet->okButton()->isEnabled()) << "the name is unchanged yet";
    EXPECT_EQ(sheet->reasonField()->text(), "");
    struct Case
    {
        QString name;
        bool ok;
        QString reason;
    };
    for (const Case& c : {Case{"", false, "A server config needs a name."},
                          Case{"Other", false, "Server config name already taken!"},
                          Case{"New Name", true, ""}}) {
        sheet->configNameFieldRenameNew()->setText(c.name);
        EXPECT_EQ(sheet->okButton()->isEnabled(), c.ok) << c.name.toStdString();
        EXPECT_EQ(sheet->reasonField()->text(), c.reason) << c.name.toStdString();
    }
    sheet->okButton()->click();
    EXPECT_TRUE(alerts.isEmpty());
    ASSERT_EQ(record("Old"), nullptr);
    ASSERT_NE(record("New Name"), nullptr);
    EXPECT_EQ(record("New Name")->mapList(), (QStringList{"A", "C"}));
    EXPECT_EQ(record("New Name")->extraParameters().first().xvariable(), "sv_fps");
    EXPECT_EQ(listedConfigs(), (QStringList{"New Name", "Other"}));
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "New Name");
}

TEST_F(ConfigActionsTest, RenameKeepsEveryFieldAndTakesTheEditorsValues)
{
    newConfig("Old");
    ServerConfig& old = *shown();
    old.setModParameters({QStringLiteral("reserved"), 7});
    old.setMoreGUIParameters({QStringLiteral("gui")});
    old.setSaveAndStartButtonLabel(QStringLiteral("Launch"));
    old.setMapList({"A", "C", "A"});
    old.setExtraParameters({{"sv_fps", "30"}, {"addbot", "Sarge 3"}});
    editor().populateFields(old);
    ServerConfig expected = old;
    editor().controls().serverNameField->setText("Edited Host");
    expected.setServerName("Edited Host");
    expected.setListAllMaps(editor().controls().listAllMapsSwitch->isChecked());
    expected.setConfigName("Renamed");

    RenameConfigSheet* sheet = controller->actions().renameConfigWindow();
    controller->actions().raiseRenameConfigWindow();
    sheet->configNameFieldRenameNew()->setText("Renamed");
    sheet->findChild<QPushButton*>("renameConfigOkButton")->click();
    ASSERT_NE(record("Renamed"), nullptr);
    EXPECT_EQ(*record("Renamed"), expected) << record("Renamed")->description().toStdString()
                                            << "\n" << expected.description().toStdString();
    EXPECT_EQ(record("Renamed")->modParameters(), (QVariantList{QStringLiteral("reserved"), 7}));

    // The store file holds it so.
    ConfigStore saved;
    saved.load();
    ASSERT_NE(saved.find("Renamed"), nullptr);
    EXPECT_EQ(saved.find("Renamed")->modParameters(), expected.modParameters());
}

TEST_F(ConfigActionsTest, NamesThatShareAServerFileAreRefusedBesideTheField)
{
    newConfig("a_b");
    NewConfigSheet* newSheet = controller->actions().newConfigWindow();
    controller->actions().raiseNewConfigWindow();
    newSheet->configNameField()->setText("a b");
    EXPECT_FALSE(newSheet->okButton()->isEnabled());
    EXPECT_EQ(newSheet->reasonField()->text(), "Server config name too close to another!");
    EXPECT_TRUE(newSheet->reasonField()->toolTip().contains("'VO_a_b.config'"));
    newSheet->reject();

    newConfig("Other");
    RenameConfigSheet* sheet = controller->actions().renameConfigWindow();
    controller->actions().raiseRenameConfigWindow();
    sheet->configNameFieldRenameNew()->setText("a/b");
    EXPECT_FALSE(sheet->okButton()->isEnabled());
    EXPECT_EQ(sheet->reasonField()->text(), "Server config name too close to another!");
    // The configuration may keep its own server file under another spelling.
    selectConfig("a_b");
    controller->actions().raiseRenameConfigWindow();
    sheet->configNameFieldRenameNew()->setText("a b");
    EXPECT_TRUE(sheet->okButton()->isEnabled());
    sheet->reject();
    EXPECT_EQ(listedConfigs(), (QStringList{"Other", "a_b"}));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ConfigActionsTest, DeleteAsksFirstAndRemovesTheConfigurationAndItsServerFile)
{
    newConfig("Alpha");
    newConfig("Beta");
    const QString serverFile = CommonData::appSupportQGameDir() + "/baseq3/VO_Beta.config";
    QDir().mkpath(CommonData::appSupportQGameDir() + "/baseq3");
    QFile file(serverFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    selectConfig("Beta");

    alertAnswers = {1};
    controller->actions().deleteFile();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Delete the server config 'Beta'?");
    EXPECT_TRUE(alerts.first().message.contains("'VO_Beta.config'"));
    EXPECT_EQ(alerts.first().buttons, (QStringList{"Delete", "Cancel"}));
    EXPECT_NE(record("Beta"), nullptr) << "cancel keeps it";
    EXPECT_TRUE(QFile::exists(serverFile));
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "Beta");

    controller->actions().deleteFile();
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(record("Beta"), nullptr);
    EXPECT_FALSE(QFile::exists(serverFile));
    EXPECT_EQ(listedConfigs(), QStringList{"Alpha"});
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "Alpha");

}

TEST_F(ConfigActionsTest, TheRunningConfigurationIsNeitherRenamedNorDeleted)
{
    newConfig("Alpha");
    newConfig("Beta");
    selectConfig("Alpha");
    // Launched a moment ago: running, as far as changes to it go.
    ASSERT_TRUE(RunningServer::record(*record("Alpha")));

    RenameConfigSheet* sheet = controller->actions().renameConfigWindow();
    controller->actions().raiseRenameConfigWindow();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "'Alpha' is running!");
    EXPECT_EQ(alerts.first().message,
              "Quit its server before renaming it: the running server is known by this name.");
    EXPECT_FALSE(sheet->isVisible());
    // A sheet opened before the server started is refused at OK.
    sheet->configNameFieldRenameOld()->setText("Alpha");
    sheet->configNameFieldRenameNew()->setText("Zed");
    controller->actions().renameFile();
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_NE(record("Alpha"), nullptr);
    EXPECT_EQ(record("Zed"), nullptr);

    controller->actions().deleteFile();
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts.last().title, "'Alpha' is running!");
    EXPECT_NE(record("Alpha"), nullptr);

    // After Run Config the server runs Beta: Beta is the one kept, Alpha may go.
    ASSERT_TRUE(
        RunningServer::switchConfiguration(RunningServer::read()->launchToken, *record("Beta")));
    selectConfig("Beta");
    controller->actions().raiseRenameConfigWindow();
    controller->actions().deleteFile();
    ASSERT_EQ(alerts.size(), 5);
    EXPECT_EQ(alerts.at(3).title, "'Beta' is running!");
    EXPECT_EQ(alerts.at(4).title, "'Beta' is running!");
    EXPECT_NE(record("Beta"), nullptr);
    selectConfig("Alpha");
    controller->actions().deleteFile();
    EXPECT_EQ(alerts.last().title, "Delete the server config 'Alpha'?");
    EXPECT_EQ(record("Alpha"), nullptr);
    EXPECT_TRUE(QFile::exists(ConfigStore::storePath()));
    EXPECT_FALSE(loadedStoreContains("Alpha"));
}

TEST_F(ConfigActionsTest, ADeletionTheStoreCannotKeepLeavesTheConfigurationAndItsFile)
{
    newConfig("Alpha");
    newConfig("Beta");
    const QString serverFile = CommonData::appSupportQGameDir() + "/baseq3/VO_Beta.config";
    QDir().mkpath(CommonData::appSupportQGameDir() + "/baseq3");
    QFile file(serverFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    selectConfig("Beta");
    // Something that is no file stands where the store is written.
    ASSERT_TRUE(QFile::remove(ConfigStore::storePath()));
    ASSERT_TRUE(QDir().mkpath(ConfigStore::storePath() + "/in-the-way"));

    controller->actions().deleteFile();
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts.last().title, "Configurations could not be saved!");
    EXPECT_TRUE(alerts.last().message.startsWith("'Beta' was not deleted: "))
        << alerts.last().message.toStdString();
    EXPECT_GT(alerts.last().message.size(), QString("'Beta' was not deleted: ").size());
    EXPECT_NE(record("Beta"), nullptr);
    EXPECT_EQ(listedConfigs(), (QStringList{"Alpha", "Beta"}));
    EXPECT_TRUE(QFile::exists(serverFile));

    ASSERT_TRUE(QDir(ConfigStore::storePath()).removeRecursively());
    controller->actions().deleteFile();
    EXPECT_EQ(record("Beta"), nullptr);
    EXPECT_FALSE(QFile::exists(serverFile));
    EXPECT_FALSE(loadedStoreContains("Beta"));
}

TEST_F(ConfigActionsTest, EveryChangeIsOnDiskAtOnceAndSurvivesARestart)
{
    newConfig("Kept");
    shown()->addMap("B");
    // Nothing quit in order: what is on disk is what a crash would leave.
    ConfigStore onDisk;
    onDisk.load();
    EXPECT_TRUE(onDisk.contains("Kept"));

    editor().controls().serverNameField->setText("Typed before quitting");
    editor().textDidChange();
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Orange);
    stopApplication();
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Yellow);
    startApplication();
    ASSERT_NE(record("Kept"), nullptr);
    EXPECT_EQ(record("Kept")->serverName(), "Typed before quitting");
    EXPECT_EQ(record("Kept")->mapList(), QStringList{"B"});
    EXPECT_EQ(listedConfigs(), QStringList{"Kept"});
}

TEST_F(ConfigActionsTest, AnUnreadableStoreIsKeptAsideAndTheUserIsTold)
{
    stopApplication();
    QFile damaged(ConfigStore::storePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("VOKZVR\r\n and then garbage");
    damaged.close();
    startApplication();
    ASSERT_EQ(startupAlerts.size(), 1);
    EXPECT_EQ(startupAlerts.first().title, "Your server configurations could not be read!");
    const QStringList aside = QDir(CommonData::appSupportQ3VXDir())
                                  .entryList({"ServerConfigs-unreadable-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(startupAlerts.first().message.contains(aside.first()));
    newConfig("Fresh");
    stopApplication();
    QFile kept(CommonData::appSupportQ3VXDir() + "/" + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "VOKZVR\r\n and then garbage");
}

TEST_F(ConfigActionsTest, ASecondWindowDoesNotGoOnWhileTheFirstHoldsTheStore)
{
    MainWindow second;
    QVXController other(second, scriptedAlerts);
    EXPECT_FALSE(other.init());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Voranth is already running!");
}

TEST_F(ConfigActionsTest, AConfigurationMadeRightBeforeACrashIsKept)
{
    stopApplication();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            startApplication();
            newConfig("Made Before The Crash");
            std::raise(SIGKILL);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    ConfigStore onDisk;
    onDisk.load();
    EXPECT_TRUE(onDisk.contains("Made Before The Crash"));
    EXPECT_TRUE(onDisk.movedAsidePath().isEmpty());
}
