#include "app/ConfigActions.h"

#include "app/AlertPresenter.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/MainWindow.h"
#include "app/NewConfigSheet.h"
#include "app/RenameConfigSheet.h"
#include "app/SetupEditor.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "server/ConfigFiles.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>

ConfigActions::ConfigActions(ControllerState& state, SetupEditor& editor, QObject* parent)
    : QObject(parent), m_state(state), m_editor(editor),
      m_newConfigWindow(new NewConfigSheet(&state.window)),
      m_renameConfigWindow(new RenameConfigSheet(&state.window))
{
    connect(m_newConfigWindow, &QDialog::finished, this, [this](int code) {
        if (code == QDialog::Accepted)
            addFile(m_newConfigWindow->configNameField()->text(),
                    ComboBoxGameTypeMenu::selectedTag(*m_newConfigWindow->gameTypePopUpMenu()));
    });
    connect(m_renameConfigWindow, &QDialog::finished, this, [this](int code) {
        if (code == QDialog::Accepted)
            renameFile();
    });
}

void ConfigActions::raiseNewConfigWindow()
{
    m_newConfigWindow->configNameField()->clear();
    m_newConfigWindow->configNameField()->setFocus();
    m_newConfigWindow->open();
}

void ConfigActions::raiseRenameConfigWindow()
{
    const QString current = m_editor.controls().configNameFieldAdvTab->text();
    m_renameConfigWindow->configNameFieldRenameOld()->setText(current);
    m_renameConfigWindow->configNameFieldRenameNew()->setText(current);
    m_renameConfigWindow->configNameFieldRenameNew()->selectAll();
    m_renameConfigWindow->open();
}

bool ConfigActions::saveStore()
{
    const Result<void> saved = m_state.store.save();
    if (saved.ok())
        return true;
    m_state.alerts.show(
        &m_state.window,
        {voCommonText(QStringLiteral("StoreNotSavedTitle"),
                      QStringLiteral("Configurations could not be saved!")),
         voCommonText(QStringLiteral("StoreNotSavedMsg"),
                      QStringLiteral("%@\n\nYour changes stay in Voranth until you quit."),
                      {saved.error}),
         {QStringLiteral("OK")},
         true});
    return false;
}

void ConfigActions::sortLists()
{
    m_state.serverConfigKeysModFiltered.sort(Qt::CaseSensitive);
}

void ConfigActions::showNameTaken(const QString& name)
{
    const ServerConfig* existing = m_state.store.find(name);
    const QString message =
        voCommonText(QStringLiteral("ServerConfigNameTakenMsg"),
                     QStringLiteral("Server config name: '%@' already exists \n(with mod: %@). "
                                    "\n\nPlease find a unique name and do New again."),
                     {name, existing ? existing->modName() : QString()});
    m_state.alerts.show(&m_state.window,
                        {voCommonText(QStringLiteral("ServerConfigNameTakenTitle"),
                                      QStringLiteral("Server config name already taken!")),
                         message,
                         {QStringLiteral("OK")},
                         true});
}

void ConfigActions::selectConfig(const QString& name)
{
    QTableView* table = m_state.window.configList().configFilesTableView;
    m_editor.reloadConfigList();
    const int row = int(m_state.serverConfigKeysModFiltered.indexOf(name));
    FormControls::selectRow(table, row);
    table->resizeColumnToContents(0);
    table->horizontalHeader()->setStretchLastSection(true);
    table->scrollTo(table->model()->index(row, 0));
}

void ConfigActions::addFile(const QString& name, int gameType)
{
    if (name.isEmpty())
        return;
    const EditorControls& c = m_editor.controls();
    const QString shownIP = c.netIPField->text();
    const int shownPort = c.netPortField->value();
    const QString shownPrivatePassword = c.privateClientPasswdField->text();
    const QString shownServerName = c.serverNameField->text();
    const QString shownWelcome = c.welcomeTextField->text();
    const QString shownRconPassword = c.rconPasswordField->text();
    const QString mod = m_state.paths.qGameModDir();
    if (m_state.store.contains(name)) {
        showNameTaken(name);
        return;
    }
    ServerConfig record(mod);
    record.setConfigName(name);
    m_state.store.insert(record);
    m_state.serverConfigKeysModFiltered.append(name);
    sortLists();
    selectConfig(name);

    const QString gameTypeString = m_newConfigWindow->gameTypePopUpMenu()->currentText();
    ServerConfig& added = *m_state.store.find(name);
    added.setConfigName(name);
    added.setGameType(gameType);
    added.setGameTypeString(gameTypeString);
    if (m_state.modDB) {
        const auto limit = [&](const char* key) {
            return m_state.modDB->defaultValueForLimit(QLatin1String(key), gameTypeString, mod);
        };
        added.setFragLimit(limit("fraglimit"));
        added.setTimeLimit(limit("timelimit"));
        added.setCaptureLimit(limit("capturelimit"));
        added.setMaxPlayers(limit("maxplayers"));
    }
    if (UserDefaults::boolValue(KZXPreserveNetIPAddressKey))
        added.setNetIP(shownIP);
    if (UserDefaults::boolValue(KZXPreserveNetPortKey))
        added.setNetPort(shownPort);
    if (UserDefaults::boolValue(KZXPreservePrivateClientsPasswordKey))
        added.setPrivateClientPasswd(shownPrivatePassword);
    if (UserDefaults::boolValue(KZXPreserveServerNameKey))
        added.setServerName(shownServerName);
    if (UserDefaults::boolValue(KZXPreserveWelcomeTextKey))
        added.setWelcomeText(shownWelcome);
    added.setRconPasswordAccordingToPrefs(shownRconPassword);
    if (UserDefaults::boolValue(KZXEnablePunkBusterByDefaultKey))
        added.setPunkBusterEnabled(true);

    m_editor.populateFields(added);
    m_editor.setRecordNeedsSaving(false);
    m_editor.handleTVClick();
    saveStore();
}

void ConfigActions::duplicateFile()
{
    const QString name = m_editor.controls().configNameFieldAdvTab->text();
    const std::optional<QString> copyName = m_state.store.duplicateNameFor(name);
    ServerConfig* current = m_state.store.find(name);
    if (copyName && current) {
        m_editor.storePendingEdits();
        ServerConfig copy = ServerConfig::copyOf(*current);
        copy.setConfigName(*copyName);
        m_state.store.insert(copy);
        if (copy.modName() == m_state.paths.qGameModDir())
            m_state.serverConfigKeysModFiltered.append(*copyName);
        sortLists();
        selectConfig(*copyName);
        saveStore();
    }
    m_editor.handleTVClick();
    m_editor.setRecordNeedsSaving(false);
}

void ConfigActions::renameFile()
{
    const QString oldName = m_renameConfigWindow->configNameFieldRenameOld()->text();
    const QString newName = m_renameConfigWindow->configNameFieldRenameNew()->text();
    // An empty name is refused as New refuses it: it would mean that nothing is shown.
    if (newName.isEmpty())
        return;
    if (m_state.store.contains(newName)) {
        showNameTaken(newName);
        return;
    }
    const ServerConfig* old = m_state.store.find(oldName);
    if (!old)
        return;
    ServerConfig renamed;
    renamed.setMapList(old->mapList());
    renamed.setExtraParameters(old->extraParameters());
    m_editor.extractFields(renamed);
    renamed.setConfigName(newName);

    m_state.store.remove(oldName);
    const qsizetype at = m_state.serverConfigKeysModFiltered.indexOf(oldName);
    if (at >= 0)
        m_state.serverConfigKeysModFiltered[at] = newName;
    sortLists();
    m_state.store.insert(renamed);
    m_editor.setRecordNeedsSaving(false);
    m_editor.controls().configNameFieldAdvTab->setText(newName);
    selectConfig(newName);
    m_editor.populateFields(*m_state.store.find(newName));
    m_editor.setRecordNeedsSaving(false);
    saveStore();
}

void ConfigActions::deleteFile()
{
    const QString name = m_editor.controls().configNameFieldAdvTab->text();
    if (m_runningConfigName && !name.isEmpty() && m_runningConfigName() == name) {
        m_state.alerts.show(
            &m_state.window,
            {rconCommText(QStringLiteral("DeleteRunningFileErrorTitle"),
                          QStringLiteral("'%@' is running!"), {name}),
             rconCommText(QStringLiteral("DeleteRunningFileErrorMsg"),
                          QStringLiteral("Please do 'Quit Server' or 'Run Config' for "
                                         "another config before deleting the selected config.")),
             {QStringLiteral("OK")},
             false});
        return;
    }
    if (const ServerConfig* record = m_state.store.find(name)) {
        ConfigFiles(m_state.paths.withMod(record->modName())).deleteConfigFile(*record);
        const int row = int(m_state.serverConfigKeysModFiltered.indexOf(name));
        m_state.store.remove(name);
        m_state.serverConfigKeysModFiltered.removeAll(name);
        m_editor.controls().configNameFieldAdvTab->clear();
        sortLists();
        m_editor.reloadConfigList();
        if (row > 0)
            FormControls::selectRow(m_state.window.configList().configFilesTableView, row - 1);
        m_editor.reloadMapList();
        saveStore();
    }
    m_editor.handleTVClick();
    m_editor.setRecordNeedsSaving(false);
}
