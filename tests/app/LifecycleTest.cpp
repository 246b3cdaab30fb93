#include "EditorFixture.h"

#include "app/ApplicationIcon.h"
#include "app/FormControls.h"
#include "app/MapTableView.h"
#include "app/RemoteControlView.h"
#include "app/SetupEditorView.h"
#include "app/UnparsedMapsWindow.h"
#include "config/CommonData.h"
#include "content/UnparsableMaps.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

namespace {

QStringList unparsableLogs()
{
    return QDir(CommonData::appSupportQ3VXDir())
        .entryList({"UnparsableMaps-*.txt"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

// The rows a table view shows (its own count, which a table not reloaded keeps).
int shownRows(QTableView* table)
{
    return table->verticalHeader()->count();
}

} // namespace

using LifecycleTest = EditorFixture;

TEST_F(LifecycleTest, TheFirstStartNoticeReadsRight)
{
    ASSERT_EQ(startupAlerts.size(), 1);
    EXPECT_TRUE(startupAlerts.first().message.contains("complete, depending of how many mods"))
        << startupAlerts.first().message.toStdString();
}

TEST_F(LifecycleTest, AStartSelectsTheFirstConfigurationWithItsFirstMapAndParameter)
{
    newConfig("Bare");
    newConfig("Full");
    FormControls::selectRow(editor().controls().mapLibraryTableView, 1);
    editor().addMapToList();
    editor().addExtraParameter();
    editor().addExtraParameter();
    stopApplication();
    startApplication();

    const EditorControls& c = editor().controls();
    EXPECT_EQ(listedConfigs(), (QStringList{"Bare", "Full"}));
    // "Bare" comes first and has neither maps nor parameters.
    EXPECT_EQ(FormControls::selectedRows(configList().configFilesTableView), QList<int>{0});
    EXPECT_EQ(c.configNameFieldAdvTab->text(), "Bare");
    EXPECT_EQ(shownRows(c.mapListTableView), 0);
    EXPECT_TRUE(FormControls::selectedRows(c.extraParametersTableView).isEmpty());
    EXPECT_EQ(FormControls::selectedRows(c.mapLibraryTableView), QList<int>{0});
    EXPECT_EQ(
        FormControls::selectedRows(window->remoteControl().controls().rconBotsTableView),
        QList<int>{0});

    controller->state().store.remove("Bare");
    stopApplication();
    startApplication();
    // A new window: its own controls.
    const EditorControls& again = editor().controls();
    EXPECT_EQ(again.configNameFieldAdvTab->text(), "Full");
    EXPECT_EQ(FormControls::selectedRows(again.mapListTableView), QList<int>{0});
    EXPECT_EQ(shownRows(again.extraParametersTableView), 2);
    EXPECT_EQ(FormControls::selectedRows(again.extraParametersTableView), QList<int>{0});
}

TEST_F(LifecycleTest, QuittingWhenTheStoreCannotBeWrittenLetsTheUserStay)
{
    newConfig("Kept");
    const QString storePath = CommonData::appSupportQ3VXDir() + "/ServerConfigs.kzvr";
    ASSERT_TRUE(QFile::remove(storePath));
    ASSERT_TRUE(QDir().mkpath(storePath + "/in-the-way"));
    editor().controls().serverNameField->setText("Edited after the last save");
    editor().setRecordNeedsSaving(true);

    alertAnswers = {0}; // "Stay"
    EXPECT_FALSE(controller->applicationShouldTerminate());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Configurations could not be saved!");
    EXPECT_TRUE(alerts.first().message.contains("Quitting now loses every change"));
    EXPECT_EQ(alerts.first().buttons, (QStringList{"Stay", "Quit Anyway"}));
    EXPECT_EQ(alerts.first().escapeButton, 0) << "Escape stays";
    EXPECT_NE(ApplicationIcon::current(), ApplicationIcon::State::Yellow);
    EXPECT_EQ(record("Kept")->serverName(), "Edited after the last save");

    // The user puts the cause right and quits again: everything is on disk.
    ASSERT_TRUE(QDir(storePath).removeRecursively());
    EXPECT_TRUE(controller->applicationShouldTerminate());
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(ApplicationIcon::current(), ApplicationIcon::State::Yellow);
    stopApplication();
    startApplication();
    ASSERT_NE(record("Kept"), nullptr);
    EXPECT_EQ(record("Kept")->serverName(), "Edited after the last save");

    ASSERT_TRUE(QFile::remove(storePath));
    ASSERT_TRUE(QDir().mkpath(storePath + "/in-the-way"));
    alertAnswers = {1}; // "Quit Anyway"
    EXPECT_TRUE(controller->applicationShouldTerminate());
    EXPECT_EQ(alerts.size(), 1) << "the alerts of this start";
    QDir(storePath).removeRecursively();
}

TEST_F(LifecycleTest, WithEveryMapParsedNoWindowOpensAfterLaunch)
{
    controller->applicationDidFinishLaunching();
    QTest::qWait(20);
    EXPECT_EQ(controller->unparsedMapsWindow(), nullptr);
}

class UnparsedMapsTest : public EditorFixture
{
protected:
    QString prepareGame() override
    {
        const QString root = TestEnvironment::makeScratchDir("game");
        const QByteArray arenas = "{\nmap \"A\"\nlongname \"Arena A\"\ntype \"ffa\"\n}\n"
                                  "{\nmap \"Broken\"\ntimelimit 10 15\n}\n";
        const bool written = Pk3Builder()
                                 .add("scripts/arenas.txt", arenas)
                                 .add("scripts/bots.txt", "{\nname\t\tSarge\n}\n")
                                 .write(root + "/baseq3/pak00.pk3") &&
                             Pk3Builder()
                                 .add("maps/Broken.bsp", "IBSP")
                                 .write(root + "/baseq3/extra/pak-maps.pk3");
        EXPECT_TRUE(written);
        return written ? root : QString();
    }

    // Finishes the launch and answers the window it raises.
    UnparsedMapsWindow* launch()
    {
        controller->applicationDidFinishLaunching();
        EXPECT_EQ(controller->unparsedMapsWindow(), nullptr) << "raised on the next turn";
        QTest::qWait(0);
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return controller->unparsedMapsWindow() && controller->unparsedMapsWindow()->isVisible();
        }));
        return controller->unparsedMapsWindow();
    }

    const QString printout = "Map: Broken  Pak: extra/pak-maps.pk3    (Mod: baseq3)\n";
};

TEST_F(UnparsedMapsTest, TheWindowShowsThePrintoutAndSaveWritesTheDatedLog)
{
    EXPECT_EQ(libraryMaps(), QStringList{"A"});
    UnparsedMapsWindow* sheet = launch();
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->parentWidget(), window.get());
    QPlainTextEdit* text = sheet->unparsedMapsTextView();
    EXPECT_EQ(text->toPlainText(), printout);
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
    EXPECT_EQ(text->font().pointSize(), 11);

    sheet->unparsedMapsSaveAndContinueButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    const QStringList logs = unparsableLogs();
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^UnparsableMaps-\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}\.txt$)")
                    .match(logs.first())
                    .hasMatch())
        << logs.first().toStdString();
    QFile log(CommonData::appSupportQ3VXDir() + "/" + logs.first());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(log.readAll()), printout);
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(UnparsedMapsTest, ContinueAndEscapeWriteNothing)
{
    UnparsedMapsWindow* sheet = launch();
    sheet->unparsedMapsContinueDoNotSaveButton()->click();
    EXPECT_FALSE(sheet->isVisible());
    controller->raiseUnparsedMapsWindow();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->unparsedMapsTextView()->toPlainText(), printout) << "shown once, not twice";
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(unparsableLogs().isEmpty());
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(UnparsedMapsTest, ALogThatCannotBeWrittenIsReported)
{
    UnparsedMapsWindow* sheet = launch();
    // Directories stand where the logs of the next seconds would go.
    const QDateTime now = QDateTime::currentDateTime();
    for (int second = 0; second < 10; ++second)
        ASSERT_TRUE(QDir().mkpath(CommonData::appSupportQ3VXDir() + "/" +
                                  UnparsableMaps::logFileName(now.addSecs(second)) + "/x"));
    sheet->unparsedMapsSaveAndContinueButton()->click();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "The list of unparsed maps could not be saved!");
    EXPECT_TRUE(alerts.first().message.contains(CommonData::appSupportQ3VXDir()));
}

// Eleven mods: the default one and mod01 to mod10, each with one map.
class ElevenModsTest : public EditorFixture
{
protected:
    QString prepareGame() override
    {
        const QString root = TestEnvironment::makeScratchDir("game");
        bool written = true;
        for (int i = 0; i <= 10; ++i) {
            const QString mod = i == 0 ? QString("baseq3") : QString("mod%1").arg(i, 2, 10, QChar('0'));
            const QByteArray arenas = "{\nmap \"M" + QByteArray::number(i) + "\"\ntype \"ffa\"\n}\n";
            written = written && Pk3Builder()
                                     .add("scripts/arenas.txt", arenas)
                                     .add("scripts/bots.txt", "{\nname\t\tSarge\n}\n")
                                     .write(root + "/" + mod + "/pak0" + QString::number(i) + ".pk3");
        }
        EXPECT_TRUE(written);
        return written ? root : QString();
    }
};

TEST_F(ElevenModsTest, TheTenthModHasTheLastShortcutAndTheEleventhNone)
{
    const QList<QAction*> items = window->menus().modMenu->actions();
    ASSERT_EQ(items.size(), 11);
    EXPECT_EQ(items.at(0)->text(), "Quake 3 Arena (baseq3)");
    EXPECT_TRUE(items.at(0)->isChecked());
    EXPECT_EQ(items.at(0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    EXPECT_EQ(items.at(9)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_9));
    EXPECT_TRUE(items.at(10)->shortcut().isEmpty());
    EXPECT_EQ(items.at(10)->text(), "mod10 (mod10)");

    items.at(10)->trigger();
    EXPECT_EQ(controller->state().paths.qGameModDir(), "mod10");
    EXPECT_TRUE(items.at(10)->isChecked());
    EXPECT_FALSE(items.at(0)->isChecked());
    EXPECT_EQ(libraryMaps(), QStringList{"M10"});
}

TEST_F(ElevenModsTest, AModWithoutConfigurationsShowsAnEmptyTableWithNothingSelected)
{
    newConfig("Base");
    FormControls::selectRow(editor().controls().mapLibraryTableView, 0);
    editor().addMapToList();
    editor().addExtraParameter();
    const EditorControls& c = editor().controls();
    QTableView* configs = configList().configFilesTableView;

    controller->changeMod(3);
    EXPECT_EQ(controller->state().paths.qGameModDir(), "mod03");
    EXPECT_EQ(shownRows(configs), 0);
    EXPECT_TRUE(FormControls::selectedRows(configs).isEmpty());
    EXPECT_EQ(shownRows(c.mapListTableView), 0);
    EXPECT_EQ(shownRows(c.extraParametersTableView), 0);
    EXPECT_TRUE(c.configNameFieldAdvTab->text().isEmpty());
    EXPECT_FALSE(c.serverNameField->isEnabled());
    EXPECT_FALSE(window->menus().deleteMenuItem->isEnabled());

    controller->changeMod(0);
    EXPECT_EQ(FormControls::selectedRows(configs), QList<int>{0});
    EXPECT_EQ(c.configNameFieldAdvTab->text(), "Base");
    EXPECT_EQ(FormControls::selectedRows(c.mapListTableView), QList<int>{0});
    EXPECT_EQ(shownRows(c.extraParametersTableView), 1);
    EXPECT_EQ(FormControls::selectedRows(c.extraParametersTableView), QList<int>{0});
}
