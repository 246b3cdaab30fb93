#include "app/SetupEditor.h"

#include "app/AlertPresenter.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/KeyedTableModel.h"
#include "app/MapLibraryFilter.h"
#include "app/MapListDragDrop.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "config/CommonData.h"
#include "config/NetAddress.h"
#include "config/StringTable.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>

using FormControls::selectedRows;
using FormControls::selectRow;

namespace {

struct TextBinding
{
    QLineEdit* EditorControls::*control;
    const QString& (ServerConfig::*get)() const;
    void (ServerConfig::*set)(const QString&);
};

struct NumberBinding
{
    QSpinBox* EditorControls::*control;
    int (ServerConfig::*get)() const;
    void (ServerConfig::*set)(int);
};

struct FlagBinding
{
    QCheckBox* EditorControls::*control;
    bool (ServerConfig::*get)() const;
    void (ServerConfig::*set)(bool);
};

using C = EditorControls;

const TextBinding textBindings[] = {
    {&C::netIPField, &ServerConfig::netIP, &ServerConfig::setNetIP},
    {&C::privateClientPasswdField, &ServerConfig::privateClientPasswd,
     &ServerConfig::setPrivateClientPasswd},
    {&C::rconPasswordField, &ServerConfig::rconPassword, &ServerConfig::setRconPassword},
    {&C::serverNameField, &ServerConfig::serverName, &ServerConfig::setServerName},
    {&C::welcomeTextField, &ServerConfig::welcomeText, &ServerConfig::setWelcomeText},
};

const NumberBinding numberBindings[] = {
    {&C::captureLimitField, &ServerConfig::captureLimit, &ServerConfig::setCaptureLimit},
    {&C::fragLimitField, &ServerConfig::fragLimit, &ServerConfig::setFragLimit},
    {&C::hunkMegsField, &ServerConfig::hunkMegs, &ServerConfig::setHunkMegs},
    {&C::maxPlayersField, &ServerConfig::maxPlayers, &ServerConfig::setMaxPlayers},
    {&C::netPortField, &ServerConfig::netPort, &ServerConfig::setNetPort},
    {&C::nPrivateClientsField, &ServerConfig::nPrivateClients, &ServerConfig::setNPrivateClients},
    {&C::timeLimitField, &ServerConfig::timeLimit, &ServerConfig::setTimeLimit},
    {&C::warmupField, &ServerConfig::warmup, &ServerConfig::setWarmup},
    {&C::weaponsRespawnField, &ServerConfig::weaponsRespawn, &ServerConfig::setWeaponsRespawn},
    {&C::knockbackField, &ServerConfig::knockback, &ServerConfig::setKnockback},
    {&C::inactivityField, &ServerConfig::inactivity, &ServerConfig::setInactivity},
    {&C::defaultBotSkillField, &ServerConfig::defaultBotSkill, &ServerConfig::setDefaultBotSkill},
    {&C::timeoutField, &ServerConfig::timeout, &ServerConfig::setTimeout},
    {&C::minPingField, &ServerConfig::minPing, &ServerConfig::setMinPing},
    {&C::maxPingField, &ServerConfig::maxPing, &ServerConfig::setMaxPing},
};

const FlagBinding flagBindings[] = {
    {&C::allowDownloadsSwitch, &ServerConfig::allowDownloads, &ServerConfig::setAllowDownloads},
    {&C::allowVotingSwitch, &ServerConfig::allowVoting, &ServerConfig::setAllowVoting},
    {&C::autoJoinTeamsSwitch, &ServerConfig::autoJoinTeams, &ServerConfig::setAutoJoinTeams},
    {&C::forceTeamBalanceSwitch, &ServerConfig::forceTeamBalance,
     &ServerConfig::setForceTeamBalance},
    {&C::friendlyFireSwitch, &ServerConfig::friendlyFire, &ServerConfig::setFriendlyFire},
    {&C::hunkMegsUseSwitch, &ServerConfig::hunkMegsUse, &ServerConfig::setHunkMegsUse},
    {&C::punkBusterEnabledSwitch, &ServerConfig::punkBusterEnabled,
     &ServerConfig::setPunkBusterEnabled},
    {&C::pureServerSwitch, &ServerConfig::pureServer, &ServerConfig::setPureServer},
    {&C::rotateMapsSwitch, &ServerConfig::rotateMaps, &ServerConfig::setRotateMaps},
    {&C::botGrappleSwitch, &ServerConfig::botGrapple, &ServerConfig::setBotGrapple},
    {&C::botNoChatSwitch, &ServerConfig::botNoChat, &ServerConfig::setBotNoChat},
    {&C::botRocketJumpSwitch, &ServerConfig::botRocketJump, &ServerConfig::setBotRocketJump},
};

int integerOf(const QLineEdit* field)
{
    return field->text().trimmed().toInt();
}

// Sets a control's value without the change counting as the user's edit.
void showText(QLineEdit* field, const QString& text)
{
    const QSignalBlocker blocker(field);
    field->setText(text);
}

template <typename SpinBox, typename Value> void showValue(SpinBox* field, Value value)
{
    const QSignalBlocker blocker(field);
    field->setValue(value);
}

void showState(QCheckBox* box, bool on)
{
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

const QString configNameColumn = QStringLiteral("configName");
const QString mapListColumn = QStringLiteral("mapList");
const QString xvariableColumn = QStringLiteral("xvariable");
const QString xvalueColumn = QStringLiteral("xvalue");

} // namespace

SetupEditor::SetupEditor(ControllerState& state, const MainWindow::ConfigList& configList,
                         const EditorControls& controls, QObject* parent)
    : QObject(parent), m_state(state), m_configList(configList), m_controls(controls),
      m_dragDrop(std::make_unique<MapListDragDrop>(*this, state))
{
    makeModels();
    connectControls();
}

SetupEditor::~SetupEditor() = default;

ServerConfig* SetupEditor::currentRecord() const
{
    return m_state.store.find(m_controls.configNameFieldAdvTab->text());
}

void SetupEditor::makeModels()
{
    m_configListModel = new KeyedTableModel({{configNameColumn, tr("Configuration")}}, this);
    m_mapLibraryModel = new MapLibraryFilter(this);
    m_mapListModel = new KeyedTableModel({{mapListColumn, tr("Map")}}, this);
    m_mapListModel->setDragAndDrop(true);
    m_extraParametersModel = new KeyedTableModel(
        {{xvariableColumn, tr("Variable")}, {xvalueColumn, tr("Value")}}, this);
    m_extraParametersModel->setCellEditor(
        [this](int row, const QString& column, const QVariant& value) {
            ServerConfig* record = currentRecord();
            return record && record->setExtraParameter(row, value.toString(), column);
        });

    m_configList.configFilesTableView->setModel(m_configListModel);
    m_controls.mapLibraryTableView->setModel(m_mapLibraryModel);
    m_controls.mapListTableView->setModel(m_mapListModel);
    m_controls.extraParametersTableView->setModel(m_extraParametersModel);
    m_controls.mapLibraryTableView->setDropHandler(m_dragDrop.get());
    // Map names are short: the titles take the rest of the width.
    m_controls.mapLibraryTableView->horizontalHeader()->setSectionResizeMode(
        0, QHeaderView::ResizeToContents);
    m_controls.mapListTableView->setDropHandler(m_dragDrop.get());
}

void SetupEditor::connectControls()
{
    const EditorControls& c = m_controls;
    // Every change of a control's state counts, however it came (a click, a key, an assistive
    // tool); the editor's own updates block the notices.
    for (const FlagBinding& binding : flagBindings) {
        QCheckBox* box = c.*binding.control;
        connect(box, &QCheckBox::toggled, this, [this, box] { switchClicked(box); });
    }
    connect(c.listAllMapsSwitch, &QCheckBox::toggled, this,
            [this] { switchClicked(m_controls.listAllMapsSwitch); });
    for (const TextBinding& binding : textBindings)
        connect(c.*binding.control, &QLineEdit::textChanged, this, &SetupEditor::textDidChange);
    for (const NumberBinding& binding : numberBindings)
        if (c.*binding.control != c.maxPlayersField)
            connect(c.*binding.control, &QSpinBox::valueChanged, this, &SetupEditor::textDidChange);
    connect(c.quadFactorField, &QDoubleSpinBox::valueChanged, this, &SetupEditor::textDidChange);
    connect(c.optimizeNetworkField, &QSpinBox::valueChanged, this, &SetupEditor::textDidChange);
    // The field reports a value once it is entered or stepped, not at each digit typed.
    connect(c.maxPlayersField, &QSpinBox::valueChanged, this,
            &SetupEditor::maxPlayersTextDidEndEditing);
    connect(c.netIPField, &QLineEdit::editingFinished, this, &SetupEditor::netIPTextDidEndEditing);
    connect(c.botMinPlayersSlider, &QSlider::valueChanged, this, &SetupEditor::sliderClicked);
    connect(c.dedicatedTypeMatrix, &RadioMatrix::choiceChanged, this, &SetupEditor::radioClicked);
    connect(c.optimizeNetworkMatrix, &RadioMatrix::choiceChanged, this,
            &SetupEditor::radioClicked);
    connect(c.gameTypeDynamicPopUpMenu, &QComboBox::currentIndexChanged, this,
            &SetupEditor::popupClicked);

    connect(m_configList.configFilesTableView->selectionModel(),
            &QItemSelectionModel::selectionChanged, this, [this] {
                if (m_refreshing)
                    return;
                m_recordNeedsSaving = true;
                handleTVClick();
            });
    connect(c.mapListTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!m_refreshing)
                    mapListTVClicked();
            });
    connect(c.mapLibraryTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!m_refreshing)
                    mapLibraryTVClicked();
            });

    connect(c.addMapsButton, &QPushButton::clicked, this, &SetupEditor::addMapToList);
    connect(c.mapLibrarySearchField, &QLineEdit::textChanged, this, &SetupEditor::searchLibrary);
    connect(c.mapLibraryTableView, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { addLibraryMapAt(index.row()); });
    connect(c.addSelectedMapsAction, &QAction::triggered, this, &SetupEditor::addMapToList);
    connect(c.removeSelectedMapsAction, &QAction::triggered, this,
            &SetupEditor::removeMapFromList);
    connect(c.moveMapsUpAction, &QAction::triggered, this, [this] { moveSelectedMaps(-1); });
    connect(c.moveMapsDownAction, &QAction::triggered, this, [this] { moveSelectedMaps(1); });
    connect(c.removeMapsButton, &QPushButton::clicked, this, &SetupEditor::removeMapFromList);
    connect(c.addExtraParameterButton, &QPushButton::clicked, this,
            &SetupEditor::addExtraParameter);
    connect(c.deleteExtraParameterButton, &QPushButton::clicked, this,
            &SetupEditor::deleteExtraParameter);
}

QList<QWidget*> SetupEditor::setupGUIObjects() const
{
    // The controls that showing no configuration disables and showing one enables; the
    // game-type pop-up, the default bot skill, the grapple switch and the tables stay.
    const EditorControls& c = m_controls;
    const MainWindow::ConfigList& l = m_configList;
    return {l.deleteConfigButton,
            l.renameConfigButton,
            l.duplicateConfigButton,
            c.addMapsButton,
            c.removeMapsButton,
            c.allowVotingSwitch,
            c.allowDownloadsSwitch,
            c.autoJoinTeamsSwitch,
            c.captureLimitField,
            c.dedicatedTypeMatrix,
            c.forceTeamBalanceSwitch,
            c.fragLimitField,
            c.friendlyFireSwitch,
            c.hunkMegsField,
            c.listAllMapsSwitch,
            c.rotateMapsSwitch,
            c.maxPlayersField,
            c.netIPField,
            c.netPortField,
            c.nPrivateClientsField,
            c.optimizeNetworkField,
            c.optimizeNetworkMatrix,
            c.privateClientPasswdField,
            c.pureServerSwitch,
            c.quadFactorField,
            c.rconPasswordField,
            c.serverNameField,
            c.timeLimitField,
            c.warmupField,
            c.weaponsRespawnField,
            c.welcomeTextField,
            c.knockbackField,
            c.inactivityField,
            c.botMinPlayersSlider,
            c.botMinPlayersField,
            c.botMaxPlayersField,
            c.botNoChatSwitch,
            c.botRocketJumpSwitch,
            c.timeoutField,
            c.minPingField,
            c.maxPingField,
            c.hunkMegsUseSwitch,
            c.addExtraParameterButton,
            c.deleteExtraParameterButton,
            c.punkBusterEnabledSwitch};
}

int SetupEditor::teamDivisor(const ServerConfig& record) const
{
    const bool team = m_state.modDB && m_state.modDB->gameTypeIsTeamBased(
                                           record.gameTypeString(), m_state.paths.qGameModDir());
    return team ? 2 : 1;
}

void SetupEditor::populateFields(const ServerConfig& record)
{
    const EditorControls& c = m_controls;
    showText(c.configNameFieldAdvTab, record.configName());
    for (const TextBinding& binding : textBindings)
        showText(c.*binding.control, (record.*binding.get)());
    for (const NumberBinding& binding : numberBindings)
        showValue(c.*binding.control, (record.*binding.get)());
    for (const FlagBinding& binding : flagBindings)
        showState(c.*binding.control, (record.*binding.get)());
    followLibrary();
    showState(c.listAllMapsSwitch, m_listAllMaps);
    showValue(c.quadFactorField, double(record.quadFactor()));

    QComboBox* gameTypes = c.gameTypeDynamicPopUpMenu;
    const int item = gameTypes->findData(record.gameType());
    {
        const QSignalBlocker blocker(gameTypes);
        gameTypes->setCurrentIndex(item >= 0 ? item : (gameTypes->count() > 0 ? 0 : -1));
    }

    c.hunkMegsField->setEnabled(record.hunkMegsUse());
    {
        const QSignalBlocker dedicated(c.dedicatedTypeMatrix);
        const QSignalBlocker optimize(c.optimizeNetworkMatrix);
        c.dedicatedTypeMatrix->selectTag(record.radioDedicatedType());
        c.optimizeNetworkMatrix->selectTag(record.radioOptimizeNetwork());
    }
    c.optimizeNetworkMatrix->setTitleForTag(0, record.radioDedicatedType() == 0 ? tr("LAN")
                                                                                : tr("Internet"));
    showValue(c.optimizeNetworkField, record.optimizeNetwork());
    c.optimizeNetworkField->setEnabled(record.radioOptimizeNetwork() == 1);

    const QString mod = m_state.paths.qGameModDir();
    const auto limitEnabled = [&](const char* limit) {
        return m_state.modDB && m_state.modDB->enableForLimitControl(QLatin1String(limit),
                                                                     record.gameTypeString(), mod);
    };
    c.fragLimitField->setEnabled(limitEnabled("fraglimit"));
    c.captureLimitField->setEnabled(limitEnabled("capturelimit"));

    const int cap = record.maxPlayers() / teamDivisor(record);
    {
        const QSignalBlocker blocker(c.botMinPlayersSlider);
        c.botMinPlayersSlider->setMaximum(std::max(0, cap));
        c.botMinPlayersSlider->setTickInterval(1);
        c.botMinPlayersSlider->setValue(record.botMinPlayers());
    }
    showText(c.botMinPlayersField, QString::number(record.botMinPlayers()));
    showText(c.botMaxPlayersField, QString::number(cap));
    reloadMapList();
    reloadExtraParameters();
}

void SetupEditor::extractFields(ServerConfig& record)
{
    const EditorControls& c = m_controls;
    // A number still being typed counts as entered.
    for (const NumberBinding& binding : numberBindings)
        (c.*binding.control)->interpretText();
    c.quadFactorField->interpretText();
    c.optimizeNetworkField->interpretText();

    record.setConfigName(c.configNameFieldAdvTab->text());
    for (const TextBinding& binding : textBindings)
        (record.*binding.set)((c.*binding.control)->text());
    for (const NumberBinding& binding : numberBindings)
        (record.*binding.set)((c.*binding.control)->value());
    for (const FlagBinding& binding : flagBindings)
        (record.*binding.set)((c.*binding.control)->isChecked());
    const bool listAll = c.listAllMapsSwitch->isChecked();
    record.setListAllMaps(listAll);
    m_listAllMaps = listAll;
    record.setQuadFactor(float(c.quadFactorField->value()));
    QComboBox* gameTypes = c.gameTypeDynamicPopUpMenu;
    if (gameTypes->currentIndex() >= 0) {
        record.setGameTypeString(gameTypes->currentText());
        record.setGameType(ComboBoxGameTypeMenu::selectedTag(*gameTypes));
    }
    record.setBotMinPlayers(c.botMinPlayersSlider->value());
    // The two choices first: the rate the record keeps depends on them.
    record.setRadioDedicatedType(std::max(0, c.dedicatedTypeMatrix->selectedTag()));
    record.setRadioOptimizeNetwork(std::max(0, c.optimizeNetworkMatrix->selectedTag()));
    record.setOptimizeNetwork(c.optimizeNetworkField->value());
}

void SetupEditor::storePendingEdits()
{
    if (m_recordNeedsSaving)
        if (ServerConfig* record = currentRecord())
            extractFields(*record);
    m_recordNeedsSaving = false;
}

void SetupEditor::netIPTextDidEndEditing()
{
    QLineEdit* field = m_controls.netIPField;
    const QString typed = field->text();
    if (NetAddress::isHostNameOrAddress(typed))
        return;
    // Put back first: the alert takes the focus, which ends the editing once more.
    const ServerConfig* record = currentRecord();
    const bool recordValid = record && NetAddress::isHostNameOrAddress(record->netIP());
    showText(field, recordValid ? record->netIP() : ServerConfig().netIP());
    m_state.alerts.show(&m_state.window, {NetAddress::refusalTitle(),
                                          NetAddress::refusalMessage(typed),
                                          {QStringLiteral("OK")},
                                          true});
}

void SetupEditor::activateAllSetupGUIObjects()
{
    for (QWidget* control : setupGUIObjects())
        control->setEnabled(true);
}

void SetupEditor::deactivateAllSetupGUIObjects()
{
    for (QWidget* control : setupGUIObjects())
        control->setEnabled(false);
}

QString SetupEditor::libraryFilterFor(const QString& gameTypeString) const
{
    if (m_controls.listAllMapsSwitch->isChecked() || !m_state.modDB)
        return QStringLiteral("all");
    return m_state.modDB->shortNameForGameTypeString(gameTypeString, m_state.paths.qGameModDir())
        .value_or(QStringLiteral("all"));
}

void SetupEditor::followLibrary()
{
    // By owner: a library made where a released one was is still another library.
    const std::shared_ptr<MapLibrary>& library = m_state.theMapLibrary;
    if (!m_libraryShown.owner_before(library) && !library.owner_before(m_libraryShown))
        return;
    m_libraryShown = m_state.theMapLibrary;
    m_listAllMaps = false;
    reloadMapLibrary();
}

void SetupEditor::applyLibraryFilter(const QString& filter)
{
    followLibrary();
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    m_mapLibraryModel->setGameType(filter);
}

void SetupEditor::handleTVClick()
{
    ServerConfig* record = currentRecord();
    const QList<int> rows = selectedRows(m_configList.configFilesTableView);
    const int row = rows.isEmpty() ? -1 : rows.first();
    if (row < 0) {
        deactivateAllSetupGUIObjects();
        showState(m_controls.listAllMapsSwitch, true);
    } else {
        if (!m_controls.serverNameField->isEnabled())
            activateAllSetupGUIObjects();
        const QString name = m_configListModel->key(row);
        if (m_recordNeedsSaving && record) {
            extractFields(*record);
            selectRow(m_configList.configFilesTableView, row);
        }
        record = m_state.store.find(name);
        if (record) {
            populateFields(*record);
            reloadMapList();
            selectRow(m_controls.mapListTableView, 0);
        }
    }
    applyLibraryFilter(libraryFilterFor(record ? record->gameTypeString() : QString()));
    selectRow(m_controls.mapLibraryTableView, 0);
    if (record && record->mapsCount() > 0)
        mapListTVClicked();
    else
        mapLibraryTVClicked();
}

void SetupEditor::showPreview(const QImage& image, const QString& title, const QString& name)
{
    m_controls.mapImageView->setPixmap(QPixmap::fromImage(image));
    m_controls.mapImageView->setAccessibleDescription(tr("Level shot of %1 (%2)").arg(title, name));
    m_controls.mapNameField->setText(title);
    m_controls.selectedMapField->setText(name);
}

void SetupEditor::clearPreview()
{
    m_controls.mapImageView->clear();
    m_controls.mapImageView->setAccessibleDescription(QString());
    m_controls.mapNameField->clear();
    m_controls.selectedMapField->clear();
}

void SetupEditor::mapLibraryTVClicked()
{
    const QList<int> rows = selectedRows(m_controls.mapLibraryTableView);
    MapLibrary* library = m_state.theMapLibrary.get();
    if (rows.isEmpty() || !library || library->mapLibraryKeys().isEmpty())
        return;
    const QString map = libraryMap(rows.first());
    showPreview(library->mapImageForMap(map), library->mapTitleForMap(map), map);
}

void SetupEditor::mapListTVClicked()
{
    const QList<int> rows = selectedRows(m_controls.mapListTableView);
    ServerConfig* record = currentRecord();
    if (rows.isEmpty() || !record || rows.first() >= record->mapsCount())
        return;
    const int row = rows.first();
    const QString map = record->map(row);
    MapLibrary* library = m_state.theMapLibrary.get();
    const qsizetype index = library ? library->mapLibraryKeys().indexOf(map) : -1;
    if (index >= 0) {
        showPreview(library->mapImage(int(index)), library->mapTitle(int(index)),
                    library->map(int(index)));
    } else {
        m_state.alerts.show(
            &m_state.window,
            {mapsText(QStringLiteral("MapNotFoundTitle"),
                      QStringLiteral("Map not found in library!")),
             mapsText(QStringLiteral("MapNotFoundMsg"),
                      QStringLiteral("This map will now be removed from the map list.")),
             {QStringLiteral("OK")},
             false});
        record->removeMap(row);
        reloadMapList();
    }
    m_recordNeedsSaving = true;
}

void SetupEditor::addMapToList()
{
    ServerConfig* record = currentRecord();
    MapLibrary* library = m_state.theMapLibrary.get();
    if (!record || !library)
        return;
    for (int row : selectedRows(m_controls.mapLibraryTableView))
        record->addMap(libraryMap(row));
    reloadMapList();
}

QString SetupEditor::libraryMap(int row) const
{
    return m_mapLibraryModel->mapAt(row);
}

void SetupEditor::addLibraryMapAt(int row)
{
    ServerConfig* record = currentRecord();
    const QString map = libraryMap(row);
    if (!record || map.isEmpty())
        return;
    record->addMap(map);
    reloadMapList();
    selectRow(m_controls.mapListTableView, int(record->mapsCount()) - 1);
    m_controls.mapListTableView->scrollToBottom();
}

void SetupEditor::moveSelectedMaps(int step)
{
    ServerConfig* record = currentRecord();
    const QList<int> rows = selectedRows(m_controls.mapListTableView);
    if (!record || rows.isEmpty())
        return;
    // The gap above the row before the first selected, or below the row after the last.
    const int dest = step < 0 ? std::max(0, rows.first() - 1)
                              : std::min(rows.last() + 2, int(record->mapsCount()));
    const MapListDragDrop::DropResult moved =
        MapListDragDrop::movedRows(record->mapList(), rows, dest);
    record->setMapList(moved.maps);
    m_recordNeedsSaving = true;
    reloadMapList();
    QTableView* list = m_controls.mapListTableView;
    list->selectionModel()->clearSelection();
    for (int i = 0; i < moved.count; ++i)
        selectRow(list, moved.first + i, true);
    list->scrollTo(list->model()->index(moved.first, 0));
}

void SetupEditor::searchLibrary(const QString& text)
{
    QTableView* table = m_controls.mapLibraryTableView;
    {
        // The maps still shown stay selected; when none is, the first is.
        const QScopedValueRollback<bool> refreshing(m_refreshing, true);
        m_mapLibraryModel->setSearchText(text);
        if (selectedRows(table).isEmpty())
            selectRow(table, 0);
    }
    const QList<int> rows = selectedRows(table);
    if (rows.isEmpty()) {
        clearPreview();
        return;
    }
    table->scrollTo(m_mapLibraryModel->index(rows.first(), 0));
    mapLibraryTVClicked();
}

void SetupEditor::removeMapFromList()
{
    ServerConfig* record = currentRecord();
    if (!record || record->mapsCount() == 0)
        return;
    int removed = 0;
    int lastRemoval = -1;
    for (int row : selectedRows(m_controls.mapListTableView)) {
        lastRemoval = row - removed;
        if (record->removeMap(lastRemoval))
            ++removed;
    }
    reloadMapList();
    if (record->mapsCount() > 0 && lastRemoval >= 0)
        selectRow(m_controls.mapListTableView, lastRemoval - 1);
    if (record->mapsCount() > 0)
        mapListTVClicked();
    else
        mapLibraryTVClicked();
}

void SetupEditor::addExtraParameter()
{
    ServerConfig* record = currentRecord();
    if (!record)
        return;
    record->addExtraParameter();
    reloadExtraParameters();
    const int last = int(record->extraParameters().size()) - 1;
    selectRow(m_controls.extraParametersTableView, last);
    m_controls.extraParametersTableView->scrollTo(m_extraParametersModel->index(last, 0));
}

void SetupEditor::deleteExtraParameter()
{
    ServerConfig* record = currentRecord();
    if (!record)
        return;
    int removed = 0;
    for (int row : selectedRows(m_controls.extraParametersTableView))
        if (record->deleteExtraParameter(row - removed))
            ++removed;
    reloadExtraParameters();
    if (!record->extraParameters().isEmpty())
        selectRow(m_controls.extraParametersTableView, 0);
}

void SetupEditor::switchClicked(QAbstractButton* sender)
{
    if (sender == m_controls.listAllMapsSwitch) {
        const ServerConfig* record = currentRecord();
        applyLibraryFilter(libraryFilterFor(record ? record->gameTypeString() : QString()));
    } else if (sender == m_controls.hunkMegsUseSwitch) {
        m_controls.hunkMegsField->setEnabled(m_controls.hunkMegsUseSwitch->isChecked());
    }
    m_recordNeedsSaving = true;
}

void SetupEditor::popupClicked()
{
    applyLibraryFilter(libraryFilterFor(m_controls.gameTypeDynamicPopUpMenu->currentText()));
    m_recordNeedsSaving = true;
}

void SetupEditor::sliderClicked()
{
    showText(m_controls.botMinPlayersField,
             QString::number(m_controls.botMinPlayersSlider->value()));
    m_recordNeedsSaving = true;
}

void SetupEditor::radioClicked()
{
    m_recordNeedsSaving = true;
    handleTVClick();
}

void SetupEditor::limitBotSlider(int cap)
{
    QSlider* slider = m_controls.botMinPlayersSlider;
    if (slider->value() > cap)
        slider->setValue(cap);
    slider->setMaximum(std::max(0, cap));
    slider->setTickInterval(1);
    if (integerOf(m_controls.botMinPlayersField) > cap)
        showText(m_controls.botMinPlayersField, QString::number(cap));
    showText(m_controls.botMaxPlayersField, QString::number(cap));
}

void SetupEditor::maxPlayersTextDidEndEditing()
{
    const ServerConfig* record = currentRecord();
    const int divisor = record ? teamDivisor(*record) : 1;
    limitBotSlider(m_controls.maxPlayersField->value() / divisor);
    m_recordNeedsSaving = true;
}

void SetupEditor::textDidChange()
{
    m_recordNeedsSaving = true;
}

void SetupEditor::reloadConfigList()
{
    // A change of the list's rows can move its selection, whose observers may ask for the
    // list again: that reload follows once the rows are in place, never inside the change.
    if (m_reloadingConfigList) {
        m_configListReloadPending = true;
        return;
    }
    const QScopedValueRollback<bool> reloading(m_reloadingConfigList, true);
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    do {
        m_configListReloadPending = false;
        m_configListModel->setRows(configListRows());
    } while (m_configListReloadPending);
}

QList<KeyedTableModel::Row> SetupEditor::configListRows() const
{
    QList<KeyedTableModel::Row> rows;
    for (const QString& name : std::as_const(m_state.serverConfigKeysModFiltered))
        rows.append({name, {{configNameColumn, name}}});
    if (m_configRowMarks)
        for (KeyedTableModel::Row& row : rows)
            if (const QIcon icon = m_configRowMarks(row.key); !icon.isNull())
                row.values.insert(configNameColumn + QLatin1String(KeyedTableModel::iconSuffix),
                                  icon);
    return rows;
}

void SetupEditor::setConfigRowMarks(ConfigRowMarks marks, KeyedTableModel::ToolTip toolTip)
{
    m_configRowMarks = std::move(marks);
    m_configListModel->setToolTip(std::move(toolTip));
    reloadConfigList();
}

void SetupEditor::reloadMapLibrary()
{
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    m_mapLibraryModel->setLibrary(m_state.theMapLibrary.get());
}

void SetupEditor::reloadMapList()
{
    QList<KeyedTableModel::Row> rows;
    if (const ServerConfig* record = currentRecord())
        for (const QString& map : record->mapList())
            rows.append({map, {{mapListColumn, map}}});
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    m_mapListModel->setRows(rows);
}

void SetupEditor::reloadExtraParameters()
{
    QList<KeyedTableModel::Row> rows;
    if (const ServerConfig* record = currentRecord()) {
        const QList<ExtraParameter>& parameters = record->extraParameters();
        for (int row = 0; row < parameters.size(); ++row)
            rows.append({QString::number(row),
                         {{xvariableColumn, parameters.at(row).xvariable()},
                          {xvalueColumn, parameters.at(row).xvalue()}}});
    }
    const QScopedValueRollback<bool> refreshing(m_refreshing, true);
    m_extraParametersModel->setRows(rows);
}
