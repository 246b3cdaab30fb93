#include "app/ConfigActions.h"

#include "app/AlertPresenter.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ConfigNameValidator.h"
#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/MainWindow.h"
#include "app/NewConfigSheet.h"
#include "app/RenameConfigSheet.h"
#include "app/SetupEditor.h"
#include "config/CommonData.h"
#include "config/ConfigFileName.h"
#include "config/StringTable.h"
#include "config/VisibleText.h"
#include "server/ConfigDeletion.h"
#include "server/ConfigFiles.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>

namespace {

ConfigNameValidator::Verdict verdictOf(const ConfigStore::Outcome& outcome)
{
    if (outcome.ok())
        return {true, {}, {}};
    return {false, outcome.title.isEmpty() ? outcome.message : outcome.title, outcome.message};
}

} // namespace

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
    m_newConfigWindow->nameValidator().setCheck([this](const QString& name) {
        return verdictOf(m_state.store.checkName(name, m_state.paths.qGameModDir()));
    });
    m_renameConfigWindow->nameValidator().setCheck([this](const QString& name) {
        const QString oldName = m_renameConfigWindow->configNameFieldRenameOld()->text();
        const ServerConfig* old = m_state.store.find(oldName);
        if (!old || name == oldName)
            return ConfigNameValidator::Verdict{};
        return verdictOf(m_state.store.checkName(name, old->modName(), oldName));
    });
}

void ConfigActions::raiseNewConfigWindow()
{
    m_newConfigWindow->configNameField()->clear();
    m_newConfigWindow->nameValidator().revalidate();
    m_newConfigWindow->configNameField()->setFocus();
    m_newConfigWindow->open();
}

void ConfigActions::raiseRenameConfigWindow()
{
    const QString current = m_editor.controls().configNameFieldAdvTab->text();
    if (refusedWhileRunning(current, RunningConfigGuard::Change::Rename))
        return;
    m_renameConfigWindow->configNameFieldRenameOld()->setText(current);
    m_renameConfigWindow->configNameFieldRenameNew()->setText(current);
    m_renameConfigWindow->configNameFieldRenameNew()->selectAll();
    m_renameConfigWindow->nameValidator().revalidate();
    m_renameConfigWindow->configNameFieldRenameNew()->setFocus();
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

void ConfigActions::showRefusal(const ConfigStore::Outcome& outcome)
{
    m_state.alerts.show(&m_state.window,
                        {outcome.title, outcome.message, {QStringLiteral("OK")}, true});
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
    ConfigStore::NewConfig request;
    request.name = name;
    request.mod = m_state.paths.qGameModDir();
    request.gameType = gameType;
    request.gameTypeString = m_newConfigWindow->gameTypePopUpMenu()->currentText();
    if (m_state.modDB) {
        const auto limit = [&](const char* key) {
            return m_state.modDB->defaultValueForLimit(QLatin1String(key), request.gameTypeString,
                                                       request.mod);
        };
        request.limits = ConfigStore::Limits{limit("fraglimit"), limit("timelimit"),
                                             limit("capturelimit"), limit("maxplayers")};
    }
    request.shown = ConfigStore::ShownValues{c.netIPField->text(), c.netPortField->value(),
                                             c.privateClientPasswdField->text(),
                                             c.serverNameField->text(), c.welcomeTextField->text()};
    request.shownRconPassword = c.rconPasswordField->text();
    // The new name may sort before the shown one and take its row: its edits go first.
    m_editor.storePendingEdits();
    const ConfigStore::Outcome added = m_state.store.addConfig(request);
    if (!added.ok()) {
        showRefusal(added);
        return;
    }
    m_state.serverConfigKeysModFiltered.append(name);
    sortLists();
    selectConfig(name);

    m_editor.populateFields(*m_state.store.find(name));
    m_editor.setRecordNeedsSaving(false);
    m_editor.handleTVClick();
    saveStore();
}

void ConfigActions::duplicateFile()
{
    const QString name = m_editor.controls().configNameFieldAdvTab->text();
    ServerConfig* current = m_state.store.find(name);
    if (current && m_state.store.duplicateNameFor(name)) {
        m_editor.storePendingEdits();
        const ConfigStore::Outcome copied = m_state.store.duplicateConfig(name);
        if (copied.ok()) {
            if (m_state.store.find(copied.name)->modName() == m_state.paths.qGameModDir())
                m_state.serverConfigKeysModFiltered.append(copied.name);
            sortLists();
            selectConfig(copied.name);
            saveStore();
        }
    }
    m_editor.handleTVClick();
    m_editor.setRecordNeedsSaving(false);
}

void ConfigActions::renameFile()
{
    const QString oldName = m_renameConfigWindow->configNameFieldRenameOld()->text();
    const QString newName = m_renameConfigWindow->configNameFieldRenameNew()->text();
    // The server may have been started while the sheet was open.
    if (refusedWhileRunning(oldName, RunningConfigGuard::Change::Rename))
        return;
    // The record keeps every field, also those the editor does not show; the editor's values
    // are taken into it.
    const ConfigStore::Outcome renamed = m_state.store.renameConfig(
        oldName, newName, [this](ServerConfig& record) { m_editor.extractFields(record); });
    if (!renamed.ok()) {
        // An empty name is refused silently, as New refuses it: it would mean that nothing is
        // shown.
        if (renamed.refusal == ConfigStore::Refusal::EmptyName ||
            renamed.refusal == ConfigStore::Refusal::NotFound)
            return;
        showRefusal(renamed);
        m_editor.setRecordNeedsSaving(false);
        return;
    }
    const qsizetype at = m_state.serverConfigKeysModFiltered.indexOf(oldName);
    if (at >= 0)
        m_state.serverConfigKeysModFiltered[at] = newName;
    sortLists();
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
    if (refusedWhileRunning(name, RunningConfigGuard::Change::Delete))
        return;
    const ServerConfig* record = m_state.store.find(name);
    if (record && !confirmDeletion(*record))
        return;
    if (record) {
        const int row = int(m_state.serverConfigKeysModFiltered.indexOf(name));
        const ConfigDeletion::Outcome deleted =
            ConfigDeletion::deleteConfig(m_state.store, name, m_state.paths.qGameRootDir());
        if (deleted.kind != ConfigDeletion::Kind::Deleted)
            m_state.alerts.show(&m_state.window,
                                {deleted.title, deleted.message, {QStringLiteral("OK")}, true});
        if (deleted.deleted()) {
            m_state.serverConfigKeysModFiltered.removeAll(name);
            m_editor.controls().configNameFieldAdvTab->clear();
            sortLists();
            m_editor.reloadConfigList();
            if (row > 0)
                FormControls::selectRow(m_state.window.configList().configFilesTableView, row - 1);
            m_editor.reloadMapList();
        }
    }
    m_editor.handleTVClick();
    m_editor.setRecordNeedsSaving(false);
}

bool ConfigActions::refusedWhileRunning(const QString& name, RunningConfigGuard::Change change)
{
    const std::optional<ServerLauncher::Alert> refusal = RunningConfigGuard::refusal(name, change);
    if (!refusal)
        return false;
    m_state.alerts.show(&m_state.window, {refusal->title, refusal->message, refusal->buttons, false});
    return true;
}

bool ConfigActions::confirmDeletion(const ServerConfig& record)
{
    const QString serverFile = ConfigFileName::forConfigName(record.configName());
    const int answer = m_state.alerts.show(
        &m_state.window,
        {voCommonText(QStringLiteral("DeleteConfigTitle"),
                      QStringLiteral("Delete the server config '%@'?"),
                      {VisibleText::escaped(record.configName())}),
         voCommonText(QStringLiteral("DeleteConfigMsg"),
                      QStringLiteral("Its server file '%@' is deleted with it. This cannot be "
                                     "undone."),
                      {serverFile}),
         {tr("Delete"), tr("Cancel")},
         true});
    return answer == 0;
}
