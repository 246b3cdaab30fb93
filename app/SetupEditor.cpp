#include "app/SetupEditor.h"

#include "app/AlertPresenter.h"
#include "app/CallbackTableModel.h"
#include "app/ComboBoxGameTypeMenu.h"
#include "app/ControllerState.h"
#include "app/FormControls.h"
#include "app/MainWindow.h"
#include "app/MapListDragDrop.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "app/StepperButtons.h"
#include "config/CommonData.h"
#include "config/NetAddress.h"
#include "config/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableView>

using FormControls::selectedRows;
using FormControls::selectRow;

namespace {

struct TextBinding
{
    const char* outlet;
    const QString& (ServerConfig::*get)() const;
    void (ServerConfig::*set)(const QString&);
};

struct IntegerBinding
{
    const char* outlet;
    int (ServerConfig::*get)() const;
    void (ServerConfig::*set)(int);
    const char* stepper; // the stepper beside the field, if any
};

struct FlagBinding
{
    const char* outlet;
    bool (ServerConfig::*get)() const;
    void (ServerConfig::*set)(bool);
};

const TextBinding textBindings[] = {
    {"netIPField", &ServerConfig::netIP, &ServerConfig::setNetIP},
    {"privateClientPasswdField", &ServerConfig::privateClientPasswd,
     &ServerConfig::setPrivateClientPasswd},
    {"rconPasswordField", &ServerConfig::rconPassword, &ServerConfig::setRconPassword},
    {"serverNameField", &ServerConfig::serverName, &ServerConfig::setServerName},
    {"welcomeTextField", &ServerConfig::welcomeText, &ServerConfig::setWelcomeText},
};

const IntegerBinding integerBindings[] = {
    {"captureLimitField", &ServerConfig::captureLimit, &ServerConfig::setCaptureLimit,
     "captureLimitStepper"},
    {"fragLimitField", &ServerConfig::fragLimit, &ServerConfig::setFragLimit, "fragLimitStepper"},
    {"hunkMegsField", &ServerConfig::hunkMegs, &ServerConfig::setHunkMegs, nullptr},
    {"maxPlayersField", &ServerConfig::maxPlayers, &ServerConfig::setMaxPlayers,
     "maxPlayersStepper"},
    {"netPortField", &ServerConfig::netPort, &ServerConfig::setNetPort, nullptr},
    {"nPrivateClientsField", &ServerConfig::nPrivateClients, &ServerConfig::setNPrivateClients,
     nullptr},
    {"timeLimitField", &ServerConfig::timeLimit, &ServerConfig::setTimeLimit, "timeLimitStepper"},
    {"warmupField", &ServerConfig::warmup, &ServerConfig::setWarmup, nullptr},
    {"weaponsRespawnField", &ServerConfig::weaponsRespawn, &ServerConfig::setWeaponsRespawn,
     nullptr},
    {"knockbackField", &ServerConfig::knockback, &ServerConfig::setKnockback, nullptr},
    {"inactivityField", &ServerConfig::inactivity, &ServerConfig::setInactivity, nullptr},
    {"defaultBotSkillField", &ServerConfig::defaultBotSkill, &ServerConfig::setDefaultBotSkill,
     "defaultBotSkillStepper"},
    {"timeoutField", &ServerConfig::timeout, &ServerConfig::setTimeout, nullptr},
    {"minPingField", &ServerConfig::minPing, &ServerConfig::setMinPing, nullptr},
    {"maxPingField", &ServerConfig::maxPing, &ServerConfig::setMaxPing, nullptr},
};

const FlagBinding flagBindings[] = {
    {"allowDownloadsSwitch", &ServerConfig::allowDownloads, &ServerConfig::setAllowDownloads},
    {"allowVotingSwitch", &ServerConfig::allowVoting, &ServerConfig::setAllowVoting},
    {"autoJoinTeamsSwitch", &ServerConfig::autoJoinTeams, &ServerConfig::setAutoJoinTeams},
    {"forceTeamBalanceSwitch", &ServerConfig::forceTeamBalance, &ServerConfig::setForceTeamBalance},
    {"friendlyFireSwitch", &ServerConfig::friendlyFire, &ServerConfig::setFriendlyFire},
    {"hunkMegsUseSwitch", &ServerConfig::hunkMegsUse, &ServerConfig::setHunkMegsUse},
    {"punkBusterEnabledSwitch", &ServerConfig::punkBusterEnabled,
     &ServerConfig::setPunkBusterEnabled},
    {"pureServerSwitch", &ServerConfig::pureServer, &ServerConfig::setPureServer},
    {"rotateMapsSwitch", &ServerConfig::rotateMaps, &ServerConfig::setRotateMaps},
    {"botGrappleSwitch", &ServerConfig::botGrapple, &ServerConfig::setBotGrapple},
    {"botNoChatSwitch", &ServerConfig::botNoChat, &ServerConfig::setBotNoChat},
    {"botRocketJumpSwitch", &ServerConfig::botRocketJump, &ServerConfig::setBotRocketJump},
};

// The controls that showing no configuration disables and showing one enables.
const char* const setupGUIObjects[] = {
    "deleteConfigButton",
    "renameConfigButton",
    "duplicateConfigButton",
    "addMapsButton",
    "removeMapsButton",
    "allowVotingSwitch",
    "allowDownloadsSwitch",
    "autoJoinTeamsSwitch",
    "captureLimitField",
    "captureLimitStepper",
    "dedicatedTypeMatrix",
    "forceTeamBalanceSwitch",
    "fragLimitField",
    "fragLimitStepper",
    "friendlyFireSwitch",
    "hunkMegsField",
    "listAllMapsSwitch",
    "rotateMapsSwitch",
    "maxPlayersField",
    "maxPlayersStepper",
    "netIPField",
    "netPortField",
    "nPrivateClientsField",
    "optimizeNetworkField",
    "optimizeNetworkMatrix",
    "privateClientPasswdField",
    "pureServerSwitch",
    "quadFactorField",
    "rconPasswordField",
    "serverNameField",
    "timeLimitField",
    "timeLimitStepper",
    "warmupField",
    "weaponsRespawnField",
    "welcomeTextField",
    "knockbackField",
    "inactivityField",
    "botMinPlayersSlider",
    "botMinPlayersField",
    "botMaxPlayersField",
    "botNoChatSwitch",
    "botRocketJumpSwitch",
    "timeoutField",
    "minPingField",
    "maxPingField",
    "hunkMegsUseSwitch",
    "addExtraParameterButton",
    "deleteExtraParameterButton",
    "punkBusterEnabledSwitch",
};

int integerOf(const QLineEdit* field)
{
    return field->text().trimmed().toInt();
}

// Sets a field's text without the change counting as the user's edit.
void showText(QLineEdit* field, const QString& text)
{
    const QSignalBlocker blocker(field);
    field->setText(text);
}

} // namespace

SetupEditor::SetupEditor(ControllerState& state, QObject* parent)
    : QObject(parent), m_state(state), m_controls(state.window),
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
    m_configListModel = new CallbackTableModel(
        {QStringLiteral("configName")},
        [this] { return int(m_state.serverConfigKeysModFiltered.size()); },
        [this](int row, const QString& column) -> QVariant {
            if (column != QLatin1String("configName"))
                return {};
            return m_state.serverConfigKeysModFiltered.value(row);
        },
        this);
    m_mapLibraryModel = new CallbackTableModel(
        {QStringLiteral("mapLibrary")},
        [this] {
            const MapLibrary* library = m_state.theMapLibrary.get();
            return library && library->mapLibraryKeysWithGameType()
                       ? int(library->mapLibraryKeysWithGameType()->size())
                       : 0;
        },
        [this](int row, const QString& column) -> QVariant {
            if (column != QLatin1String("mapLibrary") || !m_state.theMapLibrary)
                return {};
            return m_state.theMapLibrary->mapWithGameType(row);
        },
        this);
    m_mapListModel = new CallbackTableModel(
        {QStringLiteral("mapList")},
        [this] {
            const ServerConfig* record = currentRecord();
            return record ? int(record->mapsCount()) : 0;
        },
        [this](int row, const QString& column) -> QVariant {
            const ServerConfig* record = currentRecord();
            if (column != QLatin1String("mapList") || !record)
                return {};
            return record->map(row);
        },
        this);
    m_extraParametersModel = new CallbackTableModel(
        {QStringLiteral("xvariable"), QStringLiteral("xvalue")},
        [this] {
            const ServerConfig* record = currentRecord();
            return record ? int(record->extraParameters().size()) : 0;
        },
        [this](int row, const QString& column) -> QVariant {
            const ServerConfig* record = currentRecord();
            if (!record || row >= record->extraParameters().size())
                return {};
            const ExtraParameter& parameter = record->extraParameters().at(row);
            if (column == QLatin1String("xvariable"))
                return parameter.xvariable();
            if (column == QLatin1String("xvalue"))
                return parameter.xvalue();
            return {};
        },
        this);
    m_extraParametersModel->setHeaders({tr("Variable"), tr("Value")});
    m_extraParametersModel->setEditor([this](int row, const QString& column, const QString& value) {
        ServerConfig* record = currentRecord();
        return record && record->setExtraParameter(row, value, column);
    });
    m_mapLibraryModel->setDragAndDrop(true);
    m_mapListModel->setDragAndDrop(true);

    m_controls.configFilesTableView->setModel(m_configListModel);
    m_controls.mapLibraryTableView->setModel(m_mapLibraryModel);
    m_controls.mapListTableView->setModel(m_mapListModel);
    m_controls.extraParametersTableView->setModel(m_extraParametersModel);
    m_controls.mapLibraryTableView->setDropHandler(m_dragDrop.get());
    m_controls.mapListTableView->setDropHandler(m_dragDrop.get());
}

void SetupEditor::connectControls()
{
    QWidget& w = m_controls.window;
    for (const FlagBinding& binding : flagBindings) {
        QCheckBox* box = m_controls.switchButton(binding.outlet);
        connect(box, &QCheckBox::clicked, this, [this, box] { switchClicked(box); });
    }
    connect(m_controls.listAllMapsSwitch, &QCheckBox::clicked, this,
            [this] { switchClicked(m_controls.listAllMapsSwitch); });
    for (QLineEdit* field : w.findChildren<QLineEdit*>())
        connect(field, &QLineEdit::textEdited, this, &SetupEditor::textDidChange);
    for (StepperButtons* stepper : w.findChildren<StepperButtons*>()) {
        if (stepper->objectName().startsWith(QLatin1String("rcon")))
            continue;
        connect(stepper, &StepperButtons::stepped, this,
                [this, stepper] { stepperClicked(stepper); });
    }
    connect(m_controls.maxPlayersField, &QLineEdit::editingFinished, this,
            &SetupEditor::maxPlayersTextDidEndEditing);
    connect(m_controls.field("netIPField"), &QLineEdit::editingFinished, this,
            &SetupEditor::netIPTextDidEndEditing);
    connect(m_controls.botMinPlayersSlider, &QSlider::valueChanged, this,
            &SetupEditor::sliderClicked);
    connect(m_controls.dedicatedTypeMatrix, &RadioMatrix::clicked, this,
            &SetupEditor::radioClicked);
    connect(m_controls.optimizeNetworkMatrix, &RadioMatrix::clicked, this,
            &SetupEditor::radioClicked);
    connect(m_controls.gameTypeDynamicPopUpMenu, &QComboBox::activated, this,
            &SetupEditor::popupClicked);

    connect(m_controls.configFilesTableView->selectionModel(),
            &QItemSelectionModel::selectionChanged, this, [this] {
                m_state.recordNeedsSaving = true;
                handleTVClick();
            });
    connect(m_controls.mapListTableView->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &SetupEditor::mapListTVClicked);
    connect(m_controls.mapLibraryTableView->selectionModel(),
            &QItemSelectionModel::selectionChanged, this, &SetupEditor::mapLibraryTVClicked);

    connect(w.findChild<QAbstractButton*>(QStringLiteral("addMapsButton")),
            &QAbstractButton::clicked, this, &SetupEditor::addMapToList);
    connect(w.findChild<QAbstractButton*>(QStringLiteral("removeMapsButton")),
            &QAbstractButton::clicked, this, &SetupEditor::removeMapFromList);
    connect(w.findChild<QAbstractButton*>(QStringLiteral("addExtraParameterButton")),
            &QAbstractButton::clicked, this, &SetupEditor::addExtraParameter);
    connect(w.findChild<QAbstractButton*>(QStringLiteral("deleteExtraParameterButton")),
            &QAbstractButton::clicked, this, &SetupEditor::deleteExtraParameter);
}

int SetupEditor::teamDivisor(const ServerConfig& record) const
{
    const bool team = m_state.modDB && m_state.modDB->gameTypeIsTeamBased(
                                           record.gameTypeString(), CommonData::qGameModDir());
    return team ? 2 : 1;
}

void SetupEditor::populateFields(const ServerConfig& record)
{
    showText(m_controls.configNameFieldAdvTab, record.configName());
    for (const TextBinding& binding : textBindings)
        showText(m_controls.field(binding.outlet), (record.*binding.get)());
    for (const IntegerBinding& binding : integerBindings) {
        const int value = (record.*binding.get)();
        showText(m_controls.field(binding.outlet), QString::number(value));
        if (binding.stepper)
            m_controls.stepper(binding.stepper)->setValue(value);
    }
    for (const FlagBinding& binding : flagBindings)
        m_controls.switchButton(binding.outlet)->setChecked((record.*binding.get)());
    m_controls.listAllMapsSwitch->setChecked(m_state.theMapLibrary &&
                                             m_state.theMapLibrary->mapLibGlobalListAllMaps());
    showText(m_controls.quadFactorField, QString::number(double(record.quadFactor()), 'f', 2));

    QComboBox* gameTypes = m_controls.gameTypeDynamicPopUpMenu;
    const int item = gameTypes->findData(record.gameType());
    gameTypes->setCurrentIndex(item >= 0 ? item : (gameTypes->count() > 0 ? 0 : -1));

    m_controls.hunkMegsField->setEnabled(record.hunkMegsUse());
    m_controls.dedicatedTypeMatrix->selectTag(record.radioDedicatedType());
    m_controls.optimizeNetworkMatrix->selectTag(record.radioOptimizeNetwork());
    m_controls.optimizeNetworkMatrix->setTitleForTag(
        0, record.radioDedicatedType() == 0 ? tr("LAN") : tr("Internet"));
    showText(m_controls.optimizeNetworkField, QString::number(record.optimizeNetwork()));
    m_controls.optimizeNetworkField->setEnabled(record.radioOptimizeNetwork() == 1);

    const QString mod = CommonData::qGameModDir();
    const bool fragEnabled =
        m_state.modDB && m_state.modDB->enableForLimitControl(QStringLiteral("fraglimit"),
                                                              record.gameTypeString(), mod);
    const bool captureEnabled =
        m_state.modDB && m_state.modDB->enableForLimitControl(QStringLiteral("capturelimit"),
                                                              record.gameTypeString(), mod);
    for (const char* outlet : {"fragLimitField", "fragLimitStepper"})
        m_controls.control(outlet)->setEnabled(fragEnabled);
    for (const char* outlet : {"captureLimitField", "captureLimitStepper"})
        m_controls.control(outlet)->setEnabled(captureEnabled);

    const int cap = record.maxPlayers() / teamDivisor(record);
    {
        const QSignalBlocker blocker(m_controls.botMinPlayersSlider);
        m_controls.botMinPlayersSlider->setMaximum(std::max(0, cap));
        m_controls.botMinPlayersSlider->setTickInterval(1);
        m_controls.botMinPlayersSlider->setValue(record.botMinPlayers());
    }
    showText(m_controls.botMinPlayersField, QString::number(record.botMinPlayers()));
    showText(m_controls.botMaxPlayersField, QString::number(cap));
    reloadMapList();
    reloadExtraParameters();
}

void SetupEditor::extractFields(ServerConfig& record)
{
    record.setConfigName(m_controls.configNameFieldAdvTab->text());
    for (const TextBinding& binding : textBindings)
        (record.*binding.set)(m_controls.field(binding.outlet)->text());
    for (const IntegerBinding& binding : integerBindings)
        (record.*binding.set)(integerOf(m_controls.field(binding.outlet)));
    for (const FlagBinding& binding : flagBindings)
        (record.*binding.set)(m_controls.switchButton(binding.outlet)->isChecked());
    const bool listAll = m_controls.listAllMapsSwitch->isChecked();
    record.setListAllMaps(listAll);
    if (m_state.theMapLibrary)
        m_state.theMapLibrary->setMapLibGlobalListAllMaps(listAll);
    record.setQuadFactor(m_controls.quadFactorField->text().trimmed().toFloat());
    QComboBox* gameTypes = m_controls.gameTypeDynamicPopUpMenu;
    if (gameTypes->currentIndex() >= 0) {
        record.setGameTypeString(gameTypes->currentText());
        record.setGameType(ComboBoxGameTypeMenu::selectedTag(*gameTypes));
    }
    record.setBotMinPlayers(m_controls.botMinPlayersSlider->value());
    // The two choices first: the rate the record keeps depends on them.
    record.setRadioDedicatedType(std::max(0, m_controls.dedicatedTypeMatrix->selectedTag()));
    record.setRadioOptimizeNetwork(std::max(0, m_controls.optimizeNetworkMatrix->selectedTag()));
    record.setOptimizeNetwork(integerOf(m_controls.optimizeNetworkField));
}

void SetupEditor::netIPTextDidEndEditing()
{
    QLineEdit* field = m_controls.field("netIPField");
    const QString typed = field->text();
    if (NetAddress::isHostNameOrAddress(typed))
        return;
    // Put back first: the alert takes the focus, which ends the editing once more.
    const ServerConfig* record = currentRecord();
    const bool recordValid = record && NetAddress::isHostNameOrAddress(record->netIP());
    showText(field, recordValid ? record->netIP() : ServerConfig().netIP());
    AlertPresenter::show(&m_state.window, {NetAddress::refusalTitle(),
                                           NetAddress::refusalMessage(typed),
                                           {QStringLiteral("OK")},
                                           true});
}

void SetupEditor::activateAllSetupGUIObjects()
{
    for (const char* outlet : setupGUIObjects)
        m_controls.control(outlet)->setEnabled(true);
}

void SetupEditor::deactivateAllSetupGUIObjects()
{
    for (const char* outlet : setupGUIObjects)
        m_controls.control(outlet)->setEnabled(false);
}

QString SetupEditor::libraryFilterFor(const QString& gameTypeString) const
{
    if (m_controls.listAllMapsSwitch->isChecked() || !m_state.modDB)
        return QStringLiteral("all");
    return m_state.modDB->shortNameForGameTypeString(gameTypeString, CommonData::qGameModDir())
        .value_or(QStringLiteral("all"));
}

void SetupEditor::applyLibraryFilter(const QString& filter)
{
    if (m_state.theMapLibrary)
        m_state.theMapLibrary->setMapLibraryKeysWithGameType(filter);
    reloadMapLibrary();
}

void SetupEditor::handleTVClick()
{
    ServerConfig* record = currentRecord();
    const QList<int> rows = selectedRows(m_controls.configFilesTableView);
    const int row = rows.isEmpty() ? -1 : rows.first();
    if (row < 0) {
        deactivateAllSetupGUIObjects();
        m_controls.listAllMapsSwitch->setChecked(true);
    } else {
        if (!m_controls.serverNameField->isEnabled())
            activateAllSetupGUIObjects();
        const QString name = m_state.serverConfigKeysModFiltered.value(row);
        if (m_state.recordNeedsSaving && record) {
            extractFields(*record);
            selectRow(m_controls.configFilesTableView, row);
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
    m_controls.mapNameField->setText(title);
    m_controls.selectedMapField->setText(name);
}

void SetupEditor::clearPreview()
{
    m_controls.mapImageView->clear();
    m_controls.mapNameField->clear();
    m_controls.selectedMapField->clear();
}

void SetupEditor::mapLibraryTVClicked()
{
    const QList<int> rows = selectedRows(m_controls.mapLibraryTableView);
    MapLibrary* library = m_state.theMapLibrary.get();
    if (rows.isEmpty() || !library || library->mapLibraryKeys().isEmpty())
        return;
    const int row = rows.first();
    showPreview(library->mapImageWithGameType(row).value_or(QImage()),
                library->mapTitleWithGameType(row), library->mapWithGameType(row));
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
        AlertPresenter::show(
            &m_controls.window,
            {mapsText(QStringLiteral("MapNotFoundTitle"),
                      QStringLiteral("Map not found in library!")),
             mapsText(QStringLiteral("MapNotFoundMsg"),
                      QStringLiteral("This map will now be removed from the map list.")),
             {QStringLiteral("OK")},
             false});
        record->removeMap(row);
        reloadMapList();
    }
    m_state.recordNeedsSaving = true;
}

void SetupEditor::addMapToList()
{
    ServerConfig* record = currentRecord();
    MapLibrary* library = m_state.theMapLibrary.get();
    if (!record || !library)
        return;
    for (int row : selectedRows(m_controls.mapLibraryTableView))
        record->addMap(library->mapWithGameType(row));
    reloadMapList();
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
    m_state.recordNeedsSaving = true;
}

void SetupEditor::popupClicked()
{
    applyLibraryFilter(libraryFilterFor(m_controls.gameTypeDynamicPopUpMenu->currentText()));
    m_state.recordNeedsSaving = true;
}

void SetupEditor::sliderClicked()
{
    showText(m_controls.botMinPlayersField,
             QString::number(m_controls.botMinPlayersSlider->value()));
    m_state.recordNeedsSaving = true;
}

void SetupEditor::stepperClicked(QObject* sender)
{
    StepperButtons* maxPlayers = m_controls.stepper("maxPlayersStepper");
    if (sender == maxPlayers) {
        showText(m_controls.maxPlayersField, QString::number(maxPlayers->value()));
        maxPlayersTextDidEndEditing();
    }
    for (const IntegerBinding& binding : integerBindings)
        if (binding.stepper)
            showText(m_controls.field(binding.outlet),
                     QString::number(m_controls.stepper(binding.stepper)->value()));
    m_state.recordNeedsSaving = true;
}

void SetupEditor::radioClicked()
{
    m_state.recordNeedsSaving = true;
    handleTVClick();
}

void SetupEditor::popUpMenuClicked()
{
    radioClicked();
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
    limitBotSlider(integerOf(m_controls.maxPlayersField) / divisor);
    m_state.recordNeedsSaving = true;
}

void SetupEditor::textDidChange()
{
    m_state.recordNeedsSaving = true;
}

namespace {

// Re-reads a table, keeping the rows that still exist selected, without selection notices.
void reloadKeepingSelection(QAbstractItemView* view, CallbackTableModel* model)
{
    const QList<int> rows = FormControls::selectedRows(view);
    const QSignalBlocker blocker(view->selectionModel());
    model->reload();
    for (int row : rows)
        if (row < model->rowCount())
            FormControls::selectRow(view, row, true);
}

} // namespace

void SetupEditor::reloadConfigList()
{
    reloadKeepingSelection(m_controls.configFilesTableView, m_configListModel);
}

void SetupEditor::reloadMapLibrary()
{
    reloadKeepingSelection(m_controls.mapLibraryTableView, m_mapLibraryModel);
}

void SetupEditor::reloadMapList()
{
    reloadKeepingSelection(m_controls.mapListTableView, m_mapListModel);
}

void SetupEditor::reloadExtraParameters()
{
    reloadKeepingSelection(m_controls.extraParametersTableView, m_extraParametersModel);
}
