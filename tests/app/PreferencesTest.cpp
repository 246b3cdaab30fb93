#include "AssistiveTool.h"
#include "EditorFixture.h"

#include "app/PreferenceController.h"
#include "app/RadioMatrix.h"
#include "app/SetupEditorView.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "support/PrivateServiceManager.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTest>

namespace {

// The settings the preferences window writes.
const QStringList preferenceKeys = {KZXDedicatedAppType,
                                    KZXCustomDedicatedAppname,
                                    KZXDedicatedAppName,
                                    KZXUseDefaultMasterServersKey,
                                    KZXGameMasterServKey,
                                    KZXPreserveServerNameKey,
                                    KZXPreserveWelcomeTextKey,
                                    KZXPreserveNetIPAddressKey,
                                    KZXPreserveNetPortKey,
                                    KZXPreservePrivateClientsPasswordKey,
                                    KZXRconPasswordGenerationType,
                                    KZXRconPasswordGenerationTypeStringKey,
                                    KZXEnablePunkBusterByDefaultKey,
                                    KZXPutTerminalBackKey,
                                    KZXMapImageLoadingKey,
                                    KZXMapImageCacheSizeKey};

// What the settings file on disk holds, read past the process's own settings object.
QVariant onDisk(const QString& key)
{
    return QSettings(UserDefaults::settingsFilePath(), QSettings::IniFormat).value(key);
}

void choose(RadioMatrix* matrix, int tag)
{
    matrix->buttonForTag(tag)->click();
}

// A key pressed where the keyboard focus is.
void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

void clearByKeyboard(QLineEdit* field)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
}

} // namespace

class PreferencesTest : public EditorFixture
{
protected:
    // Opens the preferences as the File menu does.
    PreferenceController& openPreferences()
    {
        window->menus().preferencesMenuItem->trigger();
        PreferenceController* preferences = controller->preferenceController();
        EXPECT_NE(preferences, nullptr);
        EXPECT_TRUE(preferences->window()->isVisible());
        return *preferences;
    }
    const PreferenceControls& prefs() { return controller->preferenceController()->controls(); }
    void save() { controller->preferenceController()->saveChanges(); }
};

TEST_F(PreferencesTest, OpensWithTheBuiltInSettingsAndIsKeptForTheRun)
{
    EXPECT_EQ(controller->preferenceController(), nullptr) << "made on first use";
    PreferenceController& preferences = openPreferences();
    const PreferenceControls& c = prefs();
    EXPECT_EQ(c.dedicatedApp->selectedTag(), 0);
    EXPECT_EQ(preferences.dedicatedAppName(), "ioq3ded.x86_64");
    EXPECT_FALSE(c.customDedicatedAppName->isEnabled());
    EXPECT_TRUE(c.useDefaultMasterServers->isChecked());
    EXPECT_EQ(c.masterServers[0]->text(), "master3.idsoftware.com");
    for (QLineEdit* field : c.masterServers)
        EXPECT_FALSE(field->isEnabled()) << "the switch's rule holds from the start";
    EXPECT_TRUE(c.preserveServerName->isChecked());
    EXPECT_TRUE(c.preserveWelcomeText->isChecked());
    EXPECT_FALSE(c.preserveNetPort->isChecked());
    EXPECT_EQ(preferences.passwordGenTypeString(), "random");
    EXPECT_TRUE(c.putTerminalBackSwitch->isChecked());
    EXPECT_FALSE(c.enablePunkBusterByDefault->isChecked());
    EXPECT_EQ(c.mapImageLoadingMethod->selectedTag(), 1);
    EXPECT_EQ(c.mapImageCacheSize->value(), 30);
    EXPECT_EQ(c.mapImageCacheSizeValue->text(), "30");
    EXPECT_FALSE(c.saveButton->isEnabled());
    EXPECT_FALSE(preferences.recordNeedsSaving());

    c.closeButton->click();
    EXPECT_FALSE(preferences.window()->isVisible());
    PreferencesWindow* first = preferences.window();
    openPreferences();
    EXPECT_EQ(controller->preferenceController()->window(), first) << "the same window again";
}

TEST_F(PreferencesTest, OpensWithTheStoredSettings)
{
    UserDefaults::setValue(KZXDedicatedAppType, 2);
    UserDefaults::setValue(KZXCustomDedicatedAppname, "bin/myded");
    UserDefaults::setValue(KZXUseDefaultMasterServersKey, false);
    UserDefaults::setValue(KZXGameMasterServKey, QStringList{"", "m2.example.org", "", "", "m5"});
    UserDefaults::setValue(KZXPreserveServerNameKey, false);
    UserDefaults::setValue(KZXPreserveNetPortKey, true);
    UserDefaults::setValue(KZXPreservePrivateClientsPasswordKey, true);
    UserDefaults::setValue(KZXRconPasswordGenerationType, 2);
    UserDefaults::setValue(KZXEnablePunkBusterByDefaultKey, true);
    UserDefaults::setValue(KZXPutTerminalBackKey, false);
    UserDefaults::setValue(KZXMapImageLoadingKey, 2);
    UserDefaults::setValue(KZXMapImageCacheSizeKey, 55);

    PreferenceController& preferences = openPreferences();
    const PreferenceControls& c = prefs();
    EXPECT_EQ(c.dedicatedApp->selectedTag(), 2);
    EXPECT_TRUE(c.customDedicatedAppName->isEnabled());
    EXPECT_EQ(preferences.dedicatedAppName(), "bin/myded");
    EXPECT_FALSE(c.useDefaultMasterServers->isChecked());
    QStringList masters;
    for (QLineEdit* field : c.masterServers) {
        masters.append(field->text());
        EXPECT_TRUE(field->isEnabled());
    }
    EXPECT_EQ(masters, (QStringList{"", "m2.example.org", "", "", "m5"}));
    EXPECT_FALSE(c.preserveServerName->isChecked());
    EXPECT_TRUE(c.preserveWelcomeText->isChecked()) << "not stored: the built-in default";
    EXPECT_TRUE(c.preserveNetPort->isChecked());
    EXPECT_TRUE(c.preserverPrivateClientsPassword->isChecked());
    EXPECT_EQ(c.rconPasswordGenerationType->selectedTag(), 2);
    EXPECT_EQ(preferences.passwordGenTypeString(), "empty");
    EXPECT_TRUE(c.enablePunkBusterByDefault->isChecked());
    EXPECT_FALSE(c.putTerminalBackSwitch->isChecked());
    EXPECT_EQ(c.mapImageLoadingMethod->selectedTag(), 2);
    EXPECT_FALSE(c.mapImageCacheSize->isEnabled()) << "the cache size counts for the cache only";
    EXPECT_EQ(c.mapImageCacheSize->value(), 55);
    EXPECT_FALSE(c.saveButton->isEnabled());
}

TEST_F(PreferencesTest, ASettingChangedWithoutTheWindowIsShownAsItsChoice)
{
    // voranthctl set names the program and the password rule, not the window's choices.
    UserDefaults::setValue(KZXDedicatedAppName, "q3ded");
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "copy");
    {
        PreferenceController preferences(
            scriptedAlerts, [this] { return gameRoot; }, nullptr);
        EXPECT_EQ(preferences.controls().dedicatedApp->selectedTag(), 1);
        EXPECT_EQ(preferences.controls().rconPasswordGenerationType->selectedTag(), 1);
        EXPECT_EQ(preferences.passwordGenTypeString(), "copy");
    }
    UserDefaults::setValue(KZXDedicatedAppName, "games/q3server");
    PreferenceController preferences(
        scriptedAlerts, [this] { return gameRoot; }, nullptr);
    EXPECT_EQ(preferences.controls().dedicatedApp->selectedTag(), 2);
    EXPECT_EQ(preferences.controls().customDedicatedAppName->text(), "games/q3server");
    EXPECT_EQ(preferences.dedicatedAppName(), "games/q3server");
}

TEST_F(PreferencesTest, EachControlChangesItsSettingOnlyWhenSaved)
{
    openPreferences();
    const PreferenceControls& c = prefs();
    choose(c.dedicatedApp, 1);
    EXPECT_TRUE(c.saveButton->isEnabled());
    c.putTerminalBackSwitch->click();
    c.preserveServerName->click();
    c.preserveWelcomeText->click();
    c.preserveNetIPAddress->click();
    c.preserveNetPort->click();
    c.preserverPrivateClientsPassword->click();
    choose(c.rconPasswordGenerationType, 2);
    c.enablePunkBusterByDefault->click();
    c.useDefaultMasterServers->click();
    QTest::keyClicks(c.masterServers[1], "second.example.org");
    choose(c.mapImageLoadingMethod, 0);
    c.mapImageCacheSize->setValue(12);

    for (const QString& key : preferenceKeys)
        EXPECT_FALSE(UserDefaults::hasUserValue(key)) << key.toStdString() << " before Save";
    c.saveButton->click();
    EXPECT_FALSE(c.saveButton->isEnabled());
    EXPECT_TRUE(alerts.isEmpty());

    const QList<QPair<QString, QVariant>> expected = {
        {KZXDedicatedAppType, 1},
        {KZXCustomDedicatedAppname, ""},
        {KZXDedicatedAppName, "q3ded"},
        {KZXUseDefaultMasterServersKey, false},
        {KZXGameMasterServKey,
         QStringList{"master3.idsoftware.com", "second.example.org", "", "", ""}},
        {KZXPreserveServerNameKey, false},
        {KZXPreserveWelcomeTextKey, false},
        {KZXPreserveNetIPAddressKey, true},
        {KZXPreserveNetPortKey, true},
        {KZXPreservePrivateClientsPasswordKey, true},
        {KZXRconPasswordGenerationType, 2},
        {KZXRconPasswordGenerationTypeStringKey, "empty"},
        {KZXEnablePunkBusterByDefaultKey, true},
        {KZXPutTerminalBackKey, false},
        {KZXMapImageLoadingKey, 0},
        {KZXMapImageCacheSizeKey, 12},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_TRUE(UserDefaults::hasUserValue(key)) << key.toStdString();
        EXPECT_EQ(UserDefaults::value(key).toString(), value.toString()) << key.toStdString();
        EXPECT_EQ(onDisk(key).toString(), value.toString()) << key.toStdString() << " on disk";
    }
    EXPECT_EQ(onDisk(KZXGameMasterServKey).toStringList(), expected.at(4).second.toStringList());
}

TEST_F(PreferencesTest, SaveWithNoChangeWritesNothing)
{
    openPreferences();
    // Changed elsewhere since the window opened: an unchanged window must not put it back.
    UserDefaults::setValue(KZXPutTerminalBackKey, false);
    save();
    EXPECT_FALSE(UserDefaults::boolValue(KZXPutTerminalBackKey));
    for (const QString& key : preferenceKeys) {
        if (key != KZXPutTerminalBackKey) {
            EXPECT_FALSE(UserDefaults::hasUserValue(key)) << key.toStdString();
        }
    }

    // Once saved, the window is clean again.
    prefs().preserveNetPort->click();
    save();
    EXPECT_TRUE(UserDefaults::boolValue(KZXPreserveNetPortKey));
    UserDefaults::setValue(KZXPreserveNetPortKey, false);
    save();
    EXPECT_FALSE(UserDefaults::boolValue(KZXPreserveNetPortKey));
}

TEST_F(PreferencesTest, TypingInTheMainWindowLeavesThePreferencesUnchanged)
{
    newConfig("Shown");
    PreferenceController& preferences = openPreferences();
    QTest::keyClicks(editor().controls().serverNameField, "My Host");
    QTest::keyClicks(editor().controls().rconPasswordField, "pw");
    EXPECT_FALSE(preferences.recordNeedsSaving());
    EXPECT_FALSE(prefs().saveButton->isEnabled());
    QTest::keyClicks(prefs().masterServers[0], "x");
    EXPECT_FALSE(preferences.recordNeedsSaving()) << "a disabled field takes no typing";
    QTest::keyClicks(prefs().customDedicatedAppName, "x");
    EXPECT_FALSE(preferences.recordNeedsSaving());
    choose(prefs().dedicatedApp, 2);
    QTest::keyClicks(prefs().customDedicatedAppName, "x");
    EXPECT_TRUE(preferences.recordNeedsSaving());
}

TEST_F(PreferencesTest, ACustomProgramMissingFromTheGameDirectoryIsNamedAndNothingWritten)
{
    PreferenceController& preferences = openPreferences();
    const PreferenceControls& c = prefs();
    choose(c.dedicatedApp, 2);
    EXPECT_TRUE(c.customDedicatedAppName->isEnabled());
    QTest::keyClicks(c.customDedicatedAppName, "myded");
    c.preserveNetPort->click();
    save();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Could not find myded!");
    EXPECT_EQ(alerts.first().message,
              "Please check that the given Quake3 application exists in your game root "
              "directory:\n" +
                  gameRoot);
    for (const QString& key : preferenceKeys)
        EXPECT_FALSE(UserDefaults::hasUserValue(key)) << key.toStdString();
    EXPECT_TRUE(preferences.recordNeedsSaving());
    EXPECT_TRUE(c.saveButton->isEnabled());

    clearByKeyboard(c.customDedicatedAppName);
    save();
    ASSERT_EQ(alerts.size(), 2) << "no name names nothing in the game directory";
    EXPECT_FALSE(UserDefaults::hasUserValue(KZXDedicatedAppName));

    QFile program(gameRoot + "/myded");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    QTest::keyClicks(c.customDedicatedAppName, "myded");
    save();
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(UserDefaults::stringValue(KZXDedicatedAppName), "myded");
    EXPECT_EQ(UserDefaults::stringValue(KZXCustomDedicatedAppname), "myded");
    EXPECT_EQ(UserDefaults::intValue(KZXDedicatedAppType), 2);
    EXPECT_TRUE(UserDefaults::boolValue(KZXPreserveNetPortKey));
    EXPECT_FALSE(c.saveButton->isEnabled());

    // A named choice is the user's to know: it is not looked for.
    choose(c.dedicatedApp, 1);
    EXPECT_FALSE(c.customDedicatedAppName->isEnabled());
    save();
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(UserDefaults::stringValue(KZXDedicatedAppName), "q3ded");
    EXPECT_EQ(UserDefaults::stringValue(KZXCustomDedicatedAppname), "myded");
}

TEST_F(PreferencesTest, ThePasswordRuleSavedIsTheOneNewFollows)
{
    newConfig("Shown");
    clearByKeyboard(editor().controls().rconPasswordField);
    QTest::keyClicks(editor().controls().rconPasswordField, "shownpw");
    openPreferences();
    choose(prefs().rconPasswordGenerationType, 2);
    newConfig("Before Save");
    EXPECT_FALSE(record("Before Save")->rconPassword().isEmpty()) << "random until saved";
    save();
    EXPECT_EQ(UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey), "empty");
    newConfig("Empty");
    EXPECT_EQ(record("Empty")->rconPassword(), "");

    selectConfig("Shown");
    EXPECT_EQ(editor().controls().rconPasswordField->text(), "shownpw")
        << "kept though the new names sort before it";
    choose(prefs().rconPasswordGenerationType, 1);
    save();
    newConfig("Copied");
    EXPECT_EQ(record("Copied")->rconPassword(), "shownpw");
}

TEST_F(PreferencesTest, AClearedMasterServerIsStoredEmptyInItsPlace)
{
    openPreferences();
    const PreferenceControls& c = prefs();
    c.useDefaultMasterServers->click();
    for (QLineEdit* field : c.masterServers)
        EXPECT_TRUE(field->isEnabled());
    clearByKeyboard(c.masterServers[0]);
    QTest::keyClicks(c.masterServers[2], "third.example.org");
    save();
    const QStringList expected{"", "", "third.example.org", "", ""};
    EXPECT_EQ(UserDefaults::stringListValue(KZXGameMasterServKey), expected);
    EXPECT_EQ(onDisk(KZXGameMasterServKey).toStringList(), expected);

    clearByKeyboard(c.masterServers[2]);
    c.useDefaultMasterServers->click();
    for (QLineEdit* field : c.masterServers)
        EXPECT_FALSE(field->isEnabled());
    save();
    EXPECT_EQ(onDisk(KZXGameMasterServKey).toStringList(), QStringList(5, QString()));
    EXPECT_TRUE(onDisk(KZXUseDefaultMasterServersKey).toBool());
}

TEST_F(PreferencesTest, TheMapLibraryTakesTheImageSettingsWhenItIsNextOpened)
{
    openPreferences();
    const PreferenceControls& c = prefs();
    choose(c.mapImageLoadingMethod, 2);
    EXPECT_FALSE(c.mapImageCacheSize->isEnabled());
    save();
    EXPECT_EQ(controller->state().theMapLibrary->numberOfImagesHeld(), 1) << "the one shown";
    controller->changeMod(0);
    EXPECT_EQ(controller->state().theMapLibrary->numberOfImagesHeld(), 5) << "every map's";

    choose(c.mapImageLoadingMethod, 1);
    EXPECT_TRUE(c.mapImageCacheSize->isEnabled());
    c.mapImageCacheSize->setFocus();
    QTest::keyClick(c.mapImageCacheSize, Qt::Key_Home);
    QTest::keyClick(c.mapImageCacheSize, Qt::Key_Right);
    EXPECT_EQ(c.mapImageCacheSizeValue->text(), "2");
    save();
    EXPECT_EQ(UserDefaults::intValue(KZXMapImageCacheSizeKey), 2);
    controller->changeMod(0);
    MapLibrary& library = *controller->state().theMapLibrary;
    ASSERT_NE(library.mapCache(), nullptr);
    EXPECT_EQ(library.mapCache()->queueSize(), 2);
    for (const char* map : {"A", "B", "C"})
        library.mapImageForMap(map);
    EXPECT_FALSE(library.holdsImageFor("A")) << "pushed out of a cache of two";
    EXPECT_TRUE(library.holdsImageFor("C"));
}

TEST_F(PreferencesTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheChangesKept)
{
    PreferenceController& preferences = openPreferences();
    const QString directory = QFileInfo(UserDefaults::settingsFilePath()).path();
    QDir(directory).removeRecursively();
    QFile blocker(directory);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the directory belongs";
    blocker.close();

    prefs().enablePunkBusterByDefault->click();
    save();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Preferences could not be saved!");
    EXPECT_TRUE(alerts.first().message.contains(UserDefaults::settingsFilePath()));
    EXPECT_TRUE(alerts.first().message.contains("(Cannot make the directory " + directory +
                                                ": Not a directory)"))
        << alerts.first().message.toStdString();
    EXPECT_TRUE(preferences.recordNeedsSaving());
    EXPECT_TRUE(prefs().saveButton->isEnabled());

    QFile::remove(directory);
    save();
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_TRUE(onDisk(KZXEnablePunkBusterByDefaultKey).toBool());
    EXPECT_FALSE(preferences.recordNeedsSaving());
}

TEST_F(PreferencesTest, EveryControlIsNamedAndTheKeyboardAloneSavesAChange)
{
    PreferenceController& preferences = openPreferences();
    PreferencesWindow* prefsWindow = preferences.window();
    prefsWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(prefsWindow));
    const QList<QWidget*> widgets = prefsWindow->findChildren<QWidget*>();
    int controls = 0;
    for (QWidget* widget : widgets) {
        if (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QLineEdit*>(widget) &&
            !qobject_cast<QSlider*>(widget))
            continue;
        ++controls;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << widget->objectName().toStdString();
        // Of a group of choices Tab reaches the chosen one; the arrows choose another.
        const auto* choice = qobject_cast<QRadioButton*>(widget);
        if (!choice || choice->isChecked()) {
            EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus) << widget->objectName().toStdString();
        }
    }
    EXPECT_EQ(controls, 3 + 1 + 1 + 2 + 5 + 3 + 1 + 1 + 5 + 3 + 1 + 2);

    // The switch, then Tab to the first master server it enabled, type, Return saves.
    const PreferenceControls& c = prefs();
    c.useDefaultMasterServers->setFocus();
    press(Qt::Key_Space);
    EXPECT_TRUE(c.masterServers[0]->isEnabled());
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), c.masterServers[0]);
    press(Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), ".example");
    press(Qt::Key_Return);
    EXPECT_FALSE(preferences.recordNeedsSaving());
    EXPECT_EQ(UserDefaults::stringListValue(KZXGameMasterServKey).value(0),
              "master3.idsoftware.com.example");
    EXPECT_FALSE(UserDefaults::boolValue(KZXUseDefaultMasterServersKey));

    c.rconPasswordGenerationType->buttonForTag(0)->setFocus();
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(preferences.passwordGenTypeString(), "empty");
    press(Qt::Key_Return);
    EXPECT_EQ(UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey), "empty");
}

TEST_F(PreferencesTest, ChoicesMadeThroughTheAccessibilityInterfaceEnableSave)
{
    PreferenceController& preferences = openPreferences();
    const PreferenceControls& c = prefs();
    ASSERT_FALSE(c.saveButton->isEnabled());
    QAbstractButton* empty = c.rconPasswordGenerationType->buttonForTag(2);
    AssistiveTool::toggle(empty);
    ASSERT_TRUE(empty->isChecked());
    EXPECT_TRUE(c.saveButton->isEnabled());
    EXPECT_EQ(preferences.passwordGenTypeString(), "empty");
    save();
    EXPECT_EQ(UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey), "empty");
    EXPECT_FALSE(c.saveButton->isEnabled());

    // A switch, and the fields it enables, the same way.
    AssistiveTool::toggle(c.useDefaultMasterServers);
    EXPECT_TRUE(c.masterServers[1]->isEnabled());
    EXPECT_TRUE(c.saveButton->isEnabled());
    save();
    AssistiveTool::setText(c.masterServers[1], "master.example");
    EXPECT_TRUE(c.saveButton->isEnabled());
    save();
    EXPECT_EQ(UserDefaults::stringListValue(KZXGameMasterServKey).value(1), "master.example");
    EXPECT_FALSE(UserDefaults::boolValue(KZXUseDefaultMasterServersKey));
}

TEST_F(PreferencesTest, HostingAsAServiceIsOfferedOnlyWhileAServiceManagerAnswers)
{
    // No manager answers in the test's environment: the choice says why it is unavailable.
    QWidget* prefsWindow = openPreferences().window();
    const PreferenceControls& c = prefs();
    EXPECT_FALSE(c.serverHosting->buttonForTag(1)->isEnabled());
    EXPECT_TRUE(c.serverHostingNote->isVisibleTo(prefsWindow));
    EXPECT_TRUE(c.serverHostingNote->text().startsWith(
        "Unavailable: no service manager of the user answers ("))
        << c.serverHostingNote->text().toStdString();
    prefsWindow->close();

    const PrivateServiceManager manager;
    ASSERT_TRUE(manager.ready()) << manager.error().toStdString();
    openPreferences();
    EXPECT_TRUE(c.serverHosting->buttonForTag(1)->isEnabled());
    EXPECT_FALSE(c.serverHostingNote->isVisibleTo(prefsWindow));
    choose(c.serverHosting, 1);
    c.saveButton->click();
    EXPECT_EQ(UserDefaults::stringValue(KZXServerHostingKey), "service");
    EXPECT_EQ(onDisk(KZXServerHostingKey).toString(), "service");
}
